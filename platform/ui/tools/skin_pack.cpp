// Build tool: packs files into a skin archive.
//   quorvel_skin_pack OUTPUT.zip FILE...   each file is stored under its own base name
// Exits non-zero, naming the file, when anything cannot be read or written.
#include <zip.h>

#include <cstdio>
#include <memory>
#include <string>

#include "handles/zip.h"

namespace {

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUTPUT.zip FILE...\n", argv[0]);
    return 2;
  }
  int error = 0;
  handles::ZipArchive archive(zip_open(argv[1], ZIP_CREATE | ZIP_TRUNCATE, &error));
  if (!archive) {
    std::fprintf(stderr, "skin_pack: cannot create %s\n", argv[1]);
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    zip_source_t* source = zip_source_file(archive.get(), argv[i], 0, -1);
    if (source == nullptr) {
      std::fprintf(stderr, "skin_pack: cannot read %s\n", argv[i]);
      return 1;
    }
    if (zip_file_add(archive.get(), BaseName(argv[i]).c_str(), source,
                     ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
      zip_source_free(source);
      std::fprintf(stderr, "skin_pack: cannot add %s: %s\n", argv[i], zip_strerror(archive.get()));
      return 1;
    }
  }
  // zip_close writes the archive; on success it also frees it.
  if (zip_close(archive.get()) != 0) {
    std::fprintf(stderr, "skin_pack: cannot write %s: %s\n", argv[1], zip_strerror(archive.get()));
    return 1;
  }
  archive.release();
  return 0;
}
