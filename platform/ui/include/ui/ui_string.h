// CUiString: the library's wide text, a thin value type over std::wstring.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

using LPCTSTR = const wchar_t*;

class CUiString {
 public:
  CUiString() = default;
  CUiString(LPCTSTR text)
      : text_(text != nullptr ? text : L"") {}              // NOLINT: implicit as in the contract
  CUiString(std::wstring text) : text_(std::move(text)) {}  // NOLINT

  bool IsEmpty() const { return text_.empty(); }
  int GetLength() const { return static_cast<int>(text_.size()); }
  LPCTSTR GetData() const { return text_.c_str(); }
  operator LPCTSTR() const { return text_.c_str(); }  // NOLINT
  const std::wstring& str() const { return text_; }

  // Negative, zero or positive as text sorts before, equal to or after other.
  int Compare(LPCTSTR other) const;
  // The same, with letters of any script compared without case.
  int CompareNoCase(LPCTSTR other) const;

  void Empty() { text_.clear(); }
  CUiString& operator+=(const CUiString& other) {
    text_ += other.text_;
    return *this;
  }
  CUiString& operator+=(wchar_t ch) {
    text_ += ch;
    return *this;
  }
  friend CUiString operator+(CUiString a, const CUiString& b) { return a += b; }
  friend bool operator==(const CUiString& a, const CUiString& b) { return a.text_ == b.text_; }
  friend bool operator!=(const CUiString& a, const CUiString& b) { return a.text_ != b.text_; }
  friend bool operator<(const CUiString& a, const CUiString& b) { return a.text_ < b.text_; }

 private:
  std::wstring text_;
};

}  // namespace ui
