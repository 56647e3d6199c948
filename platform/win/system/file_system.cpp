#include <windows.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace {

bool SyncPath(const char* path, int flags) {
  int fd = ::open(path, flags | O_CLOEXEC);
  if (fd < 0) return false;
  bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

std::string ParentFolder(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

BOOL CreateDirectoryA(LPCSTR path, LPVOID) {
  return path != nullptr && ::mkdir(path, 0700) == 0 ? TRUE : FALSE;
}

BOOL PathFileExistsA(LPCSTR path) {
  struct stat info {};
  return path != nullptr && ::stat(path, &info) == 0 ? TRUE : FALSE;
}

BOOL MoveFileExA(LPCSTR existing, LPCSTR replacement, DWORD flags) {
  if (existing == nullptr || replacement == nullptr) return FALSE;
  if (!(flags & MOVEFILE_REPLACE_EXISTING) && PathFileExistsA(replacement)) return FALSE;
  const bool write_through = (flags & MOVEFILE_WRITE_THROUGH) != 0;
  if (write_through && !SyncPath(existing, O_RDONLY)) return FALSE;
  if (std::rename(existing, replacement) != 0) return FALSE;
  if (write_through && !SyncPath(ParentFolder(replacement).c_str(), O_RDONLY | O_DIRECTORY)) {
    return FALSE;
  }
  return TRUE;
}
