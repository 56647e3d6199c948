#include "ui/ui_string.h"

#include <cwctype>

namespace ui {

namespace {

int Sign(long difference) { return difference < 0 ? -1 : (difference > 0 ? 1 : 0); }

}  // namespace

int CUiString::Compare(LPCTSTR other) const {
  return Sign(text_.compare(other != nullptr ? other : L""));
}

int CUiString::CompareNoCase(LPCTSTR other) const {
  const wchar_t* a = text_.c_str();
  const wchar_t* b = other != nullptr ? other : L"";
  for (;; ++a, ++b) {
    const long la = static_cast<long>(std::towlower(static_cast<wint_t>(*a)));
    const long lb = static_cast<long>(std::towlower(static_cast<wint_t>(*b)));
    if (la != lb || *a == L'\0') return Sign(la - lb);
  }
}

}  // namespace ui
