#include "tooltip_window.h"

#include <algorithm>

#include "render.h"

namespace ui {

namespace {

constexpr int kPaddingX = 10;
constexpr int kPaddingY = 5;
constexpr int kCursorGap = 20;  // below the pointer, so the tip never sits under it

class CToolTipUI : public CControlUI {
 public:
  void DoPaint(CRenderContext& context) override {
    context.FillRect(GetPos(), 0xFFFFFFFF);
    context.FrameRect(GetPos(), 0xFFB8BEC8);
    const RECT& pos = GetPos();
    const RECT text{pos.left + kPaddingX, pos.top, pos.right - kPaddingX, pos.bottom};
    context.DrawText(GetText().str(), text, 0xFF2B2F36, context.manager().GetFont(GetFont()),
                     kAlignLeft | kAlignVCenter);
  }
};

}  // namespace

CToolTipWnd::~CToolTipWnd() {
  if (GetHWND() != nullptr) DestroyWindow(GetHWND());
}

void CToolTipWnd::ShowAt(HWND owner, const std::wstring& text, const FontInfo& font, POINT screen) {
  if (GetHWND() == nullptr && Create(owner, L"", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 1, 1) == nullptr)
    return;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT work = monitor.rcWork;
  const int width =
      std::min<int>(TextWidth(text, font) + 2 * kPaddingX + 2, work.right - work.left);
  const int height = font.size + 2 * kPaddingY + 4;
  int x = std::clamp<int>(screen.x, work.left, work.right - width);
  int y = screen.y + kCursorGap;
  if (y + height > work.bottom) y = screen.y - kCursorGap - height;
  manager_.SetDefaultFont(font);
  manager_.GetRoot()->SetText(text.c_str());
  shown_ = text;
  SetWindowPos(GetHWND(), HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE);
  ShowWindow(true, false);
  manager_.Invalidate();
}

void CToolTipWnd::Hide() {
  if (shown_.empty()) return;
  shown_.clear();
  ShowWindow(false, false);
}

LRESULT CToolTipWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    manager_.Init(GetHWND());
    manager_.AttachDialog(new CToolTipUI);
    return 0;
  }
  if (message == WM_NCDESTROY) {
    manager_.Init(nullptr);
    shown_.clear();
  }
  LRESULT result = 0;
  if (manager_.MessageHandler(message, wParam, lParam, result)) return result;
  return CWindowWnd::HandleMessage(message, wParam, lParam);
}

}  // namespace ui
