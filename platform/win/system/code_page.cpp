#include <windows.h>

#include <optional>
#include <string>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsScalar(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

// Decodes one UTF-8 sequence at text[i]; a malformed or truncated one consumes a single byte
// and gives nothing, which the Windows conversion turns into U+FFFD without flags.
std::optional<char32_t> DecodeOne(const unsigned char* text, size_t length, size_t& i) {
  unsigned char lead = text[i++];
  if (lead < 0x80) return lead;
  int extra;
  char32_t c;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, c = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, c = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, c = lead & 0x07, minimum = 0x10000;
  } else {
    return std::nullopt;
  }
  if (length - i < static_cast<size_t>(extra)) return std::nullopt;
  for (int k = 0; k < extra; ++k) {
    if ((text[i + k] & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (text[i + k] & 0x3F);
  }
  if (c < minimum || !IsScalar(c)) return std::nullopt;
  i += extra;
  return c;
}

void EncodeOne(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool KnownCodePage(UINT code_page) { return code_page == CP_ACP || code_page == CP_UTF8; }

// Windows counts: -1 means "up to and including the terminating NUL"; 0 is an error.
template <typename Char>
bool InputLength(int given, size_t& length, const Char* text) {
  if (text == nullptr || given == 0 || given < -1) return false;
  length = given == -1 ? std::char_traits<Char>::length(text) + 1 : static_cast<size_t>(given);
  return true;
}

}  // namespace

int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR text, int bytes, LPWSTR wide,
                        int wide_chars) {
  size_t length = 0;
  if (!KnownCodePage(code_page) || wide_chars < 0 || !InputLength(bytes, length, text)) {
    return 0;
  }
  std::wstring out;
  out.reserve(length);
  const auto* in = reinterpret_cast<const unsigned char*>(text);
  for (size_t i = 0; i < length;) {
    const std::optional<char32_t> c = DecodeOne(in, length, i);
    if (!c && (flags & MB_ERR_INVALID_CHARS) != 0) return 0;
    out += static_cast<wchar_t>(c.value_or(kReplacement));
  }
  if (out.size() > static_cast<size_t>(INT32_MAX)) return 0;
  if (wide_chars == 0) return static_cast<int>(out.size());
  if (out.size() > static_cast<size_t>(wide_chars)) return 0;
  out.copy(wide, out.size());
  return static_cast<int>(out.size());
}

int WideCharToMultiByte(UINT code_page, DWORD, LPCWSTR wide, int wide_chars, LPSTR text, int bytes,
                        LPCSTR default_char, BOOL* used_default_char) {
  size_t length = 0;
  if (!KnownCodePage(code_page) || bytes < 0 || !InputLength(wide_chars, length, wide)) {
    return 0;
  }
  const std::string fallback = default_char != nullptr ? default_char : "?";
  bool used_default = false;
  std::string out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    char32_t c = static_cast<char32_t>(wide[i]);
    if (IsScalar(c)) {
      EncodeOne(c, out);
    } else {
      out += fallback;
      used_default = true;
    }
  }
  if (used_default_char != nullptr) *used_default_char = used_default ? TRUE : FALSE;
  if (out.size() > static_cast<size_t>(INT32_MAX)) return 0;
  if (bytes == 0) return static_cast<int>(out.size());
  if (out.size() > static_cast<size_t>(bytes)) return 0;
  out.copy(text, out.size());
  return static_cast<int>(out.size());
}
