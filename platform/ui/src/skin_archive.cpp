#include "skin_archive.h"

#include <zip.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "diagnostics.h"

namespace DuiLib {

namespace {

struct ZipCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipCloser>;
using ZipEntry = std::unique_ptr<zip_file_t, ZipFileCloser>;

ResourceData Failure(std::wstring error) {
  ResourceData data;
  data.error = std::move(error);
  return data;
}

ResourceData ReadFromArchive(const std::wstring& path, const std::wstring& name) {
  int code = 0;
  ZipArchive archive(zip_open(Narrow(path).c_str(), ZIP_RDONLY, &code));
  if (!archive) return Failure(L"cannot open skin archive " + path);
  const std::string entry_name = Narrow(name);
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat(archive.get(), entry_name.c_str(), 0, &stat) != 0 ||
      (stat.valid & ZIP_STAT_SIZE) == 0) {
    return Failure(L"no " + name + L" in skin archive " + path);
  }
  ZipEntry entry(zip_fopen(archive.get(), entry_name.c_str(), 0));
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

}  // namespace DuiLib
