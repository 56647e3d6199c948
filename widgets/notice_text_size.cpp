#include "widgets/notice_text_size.h"

#include <cwchar>
#include <memory>
#include <type_traits>

namespace {

struct FontDeleter {
  void operator()(std::remove_pointer_t<HFONT>* font) const { DeleteObject(font); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// Releases the window's device context, after putting its own font back.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ == nullptr) return;
    if (previous_font_ != nullptr) SelectObject(dc_, previous_font_);
    ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC get() const { return dc_; }
  void Select(HFONT font) {
    const HGDIOBJ previous = SelectObject(dc_, font);
    if (previous_font_ == nullptr) previous_font_ = previous;
  }

 private:
  HWND window_;
  HDC dc_;
  HGDIOBJ previous_font_ = nullptr;
};

FontHandle CreateNoticeFont() {
  LOGFONTW description{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description);
  wcsncpy(description.lfFaceName, L"微软雅黑", LF_FACESIZE);
  description.lfFaceName[LF_FACESIZE - 1] = L'\0';
  description.lfCharSet = DEFAULT_CHARSET;
  description.lfHeight = -16;
  return FontHandle(CreateFontIndirectW(&description));
}

}  // namespace

SIZE MeasureNoticeText(HWND window, const std::wstring& text) {
  const FontHandle font = CreateNoticeFont();
  RECT measured{0, 0, 0, 0};
  {
    WindowDc dc(window);
    if (dc.get() == nullptr) return SIZE{0, 0};
    dc.Select(font.get());
    DrawTextW(dc.get(), text.c_str(), -1, &measured, DT_CALCRECT);
    if (measured.right - measured.left > kNoticeWrapWidth) {
      measured = RECT{0, 0, kNoticeWrapWidth, 0};
      DrawTextW(dc.get(), text.c_str(), -1, &measured, DT_CALCRECT | DT_WORDBREAK);
    }
  }  // the context gets its font back and is released before the font is deleted
  return SIZE{measured.right - measured.left, measured.bottom - measured.top};
}
