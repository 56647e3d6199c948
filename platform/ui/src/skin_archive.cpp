#include "skin_archive.h"

#include <sys/stat.h>
#include <zip.h>

#include <ctime>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>

#include "diagnostics.h"
#include "handles/zip.h"

namespace ui {

namespace {

// Far beyond any layout or picture of a skin; an entry claiming more is refused before its
// size is allocated, so a damaged archive cannot ask for gigabytes.
constexpr zip_uint64_t kMaxEntryBytes = 64u << 20;

using handles::ZipArchive;
using handles::ZipEntry;

ResourceData Failure(std::wstring error) {
  ResourceData data;
  data.error = std::move(error);
  return data;
}

// The file an open archive was read from; a replaced or rewritten file is another one.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  bool operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
  }
};

// The last archive read stays open: a window reads its layout and every image from it, and
// opening reads the archive's whole directory each time. Only a settled file is kept: file
// times move in coarse steps, so a file rewritten in place within the step of its last change
// could keep its identity; one last changed over a second ago cannot.
struct OpenArchive {
  std::mutex mutex;  // a zip_t is not to be used by two threads at once
  std::string path;
  FileIdentity identity;
  ZipArchive archive;
};

constexpr time_t kSettledSeconds = 1;

OpenArchive& LastArchive() {
  static OpenArchive* last = new OpenArchive;  // never destroyed: reads may come during exit
  return *last;
}

// The archive at path: the one kept in last (whose lock the caller holds) when the file is
// the same, else opened anew, kept in last when settled, in fresh otherwise. Null when it
// cannot be opened.
zip_t* Open(OpenArchive& last, const std::string& path, ZipArchive& fresh) {
  struct stat file {};
  if (::stat(path.c_str(), &file) != 0) return nullptr;
  const FileIdentity identity{file.st_dev, file.st_ino, file.st_size, file.st_mtim};
  if (last.archive && last.path == path && last.identity == identity) return last.archive.get();
  int code = 0;
  fresh.reset(zip_open(path.c_str(), ZIP_RDONLY, &code));
  if (!fresh || file.st_mtim.tv_sec + kSettledSeconds >= std::time(nullptr)) return fresh.get();
  last.archive = std::move(fresh);
  last.path = path;
  last.identity = identity;
  return last.archive.get();
}

ResourceData ReadFromArchive(const std::wstring& path, const std::wstring& name) {
  OpenArchive& last = LastArchive();
  std::lock_guard<std::mutex> lock(last.mutex);
  ZipArchive fresh;
  zip_t* archive = Open(last, Narrow(path), fresh);
  if (archive == nullptr) return Failure(L"cannot open skin archive " + path);
  const std::string entry_name = Narrow(name);
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat(archive, entry_name.c_str(), 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0) {
    return Failure(L"no " + name + L" in skin archive " + path);
  }
  if (stat.size > kMaxEntryBytes) {
    return Failure(L"too large an entry " + name + L" (" + std::to_wstring(stat.size) +
                   L" bytes) in skin archive " + path);
  }
  ZipEntry entry(zip_fopen(archive, entry_name.c_str(), 0));
  if (!entry) return Failure(L"cannot read " + name + L" in skin archive " + path);
  ResourceData data;
  data.bytes.resize(static_cast<size_t>(stat.size));
  const zip_int64_t read = zip_fread(entry.get(), data.bytes.data(), stat.size);
  if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size) {
    return Failure(L"truncated " + name + L" in skin archive " + path);
  }
  return data;
}

ResourceData ReadFromFolder(const std::wstring& path) {
  std::ifstream file(Narrow(path), std::ios::binary);
  if (!file) return Failure(L"cannot open skin file " + path);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  ResourceData data;
  data.bytes = bytes.str();
  return data;
}

}  // namespace

ResourceData ReadSkinFile(const ResourceLocation& where, const std::wstring& name) {
  if (name.empty()) return Failure(L"empty skin file name");
  if (!where.archive.empty()) return ReadFromArchive(where.folder + where.archive, name);
  return ReadFromFolder(where.folder + name);
}

}  // namespace ui
