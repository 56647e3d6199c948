# Build helpers shared by every folder.

# The fuzz targets, one folder of fuzz/ each: built with libFuzzer by fuzz/, and as replays of
# their kept inputs by the suite (tests/fuzz).
set(QUORVEL_FUZZ_TARGETS service settings layout skin_archive hotkey)

# The project's own code builds clean of warnings.
function(quorvel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  if(QUORVEL_SANITIZE)
    # GCC 12 warns falsely inside the standard library once sanitizers are on.
    target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
  endif()
endfunction()

# One folder of the program as a static library: its sources, and the libraries of the
# folders below it (and of the platform) that it uses.
function(quorvel_library name)
  cmake_parse_arguments(L "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${L_LIBS} Threads::Threads)
  quorvel_warnings(${name})
endfunction()

# Stamps a fixed file version (a.b.c.d) into an executable, where the version-information
# calls of the window system read it back from the file.
function(quorvel_stamp_version target version)
  string(REPLACE "." ";" parts "${version}")
  list(LENGTH parts count)
  if(NOT count EQUAL 4)
    message(FATAL_ERROR "quorvel_stamp_version: '${version}' is not major.minor.build.revision")
  endif()
  list(GET parts 0 QV_MAJOR)
  list(GET parts 1 QV_MINOR)
  list(GET parts 2 QV_BUILD)
  list(GET parts 3 QV_REVISION)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_stamp.cpp)
  configure_file(${PROJECT_SOURCE_DIR}/platform/win/version/version_stamp.cpp.in ${out} @ONLY)
  target_sources(${target} PRIVATE ${out})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/win/include)
endfunction()
