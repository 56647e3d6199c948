// The version resource of a program file. The build stamps a VS_FIXEDFILEINFO into a section
// of its own in the ELF file; these calls find that section through the section headers, so
// they read the version of any file given, not only of the running program.
#include <windows.h>

#include <elf.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

std::string NarrowPath(LPCWSTR path) {
  int bytes = WideCharToMultiByte(CP_ACP, 0, path, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return {};
  std::string narrow(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, path, -1, narrow.data(), bytes, nullptr, nullptr);
  narrow.pop_back();
  return narrow;
}

bool ReadAt(std::ifstream& file, std::uint64_t offset, void* out, std::size_t size) {
  file.clear();
  file.seekg(static_cast<std::streamoff>(offset));
  file.read(static_cast<char*>(out), static_cast<std::streamsize>(size));
  return static_cast<std::size_t>(file.gcount()) == size;
}

std::optional<VS_FIXEDFILEINFO> ReadStampedVersion(LPCWSTR filename) {
  if (filename == nullptr) return std::nullopt;
  std::ifstream file(NarrowPath(filename), std::ios::binary);
  if (!file) return std::nullopt;

  Elf64_Ehdr header{};
  if (!ReadAt(file, 0, &header, sizeof header) ||
      std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
      header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shnum == 0 ||
      header.e_shstrndx >= header.e_shnum) {
    return std::nullopt;
  }
  std::vector<Elf64_Shdr> sections(header.e_shnum);
  if (!ReadAt(file, header.e_shoff, sections.data(), sections.size() * sizeof(Elf64_Shdr))) {
    return std::nullopt;
  }
  const Elf64_Shdr& names_section = sections[header.e_shstrndx];
  constexpr std::uint64_t kMaxNames = 1 << 20;
  if (names_section.sh_size == 0 || names_section.sh_size > kMaxNames) return std::nullopt;
  std::string names(names_section.sh_size, '\0');
  if (!ReadAt(file, names_section.sh_offset, names.data(), names.size())) return std::nullopt;

  for (const Elf64_Shdr& section : sections) {
    if (section.sh_name >= names.size() || section.sh_type == SHT_NOBITS) continue;
    if (std::strcmp(names.c_str() + section.sh_name, kVersionSectionName) != 0) continue;
    VS_FIXEDFILEINFO info{};
    if (section.sh_size < sizeof info || !ReadAt(file, section.sh_offset, &info, sizeof info) ||
        info.dwSignature != VS_FFI_SIGNATURE) {
      return std::nullopt;
    }
    return info;
  }
  return std::nullopt;
}

}  // namespace

DWORD GetFileVersionInfoSizeW(LPCWSTR filename, DWORD* handle) {
  if (handle != nullptr) *handle = 0;
  return ReadStampedVersion(filename) ? sizeof(VS_FIXEDFILEINFO) : 0;
}

BOOL GetFileVersionInfoW(LPCWSTR filename, DWORD, DWORD size, LPVOID data) {
  if (data == nullptr || size < sizeof(VS_FIXEDFILEINFO)) return FALSE;
  std::optional<VS_FIXEDFILEINFO> info = ReadStampedVersion(filename);
  if (!info) return FALSE;
  std::memcpy(data, &*info, sizeof *info);
  return TRUE;
}

BOOL VerQueryValueW(LPCVOID block, LPCWSTR sub_block, LPVOID* buffer, UINT* length) {
  if (block == nullptr || sub_block == nullptr || buffer == nullptr || length == nullptr ||
      std::wcscmp(sub_block, L"\\") != 0) {
    return FALSE;
  }
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(block);
  if (info->dwSignature != VS_FFI_SIGNATURE) return FALSE;
  *buffer = const_cast<VS_FIXEDFILEINFO*>(info);
  *length = sizeof(VS_FIXEDFILEINFO);
  return TRUE;
}
