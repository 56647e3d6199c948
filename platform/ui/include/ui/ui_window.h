// Windows of the library: CWindowWnd (a window handle with a virtual message handler) and
// WindowImplBase (a window whose content is a layout from the skin archive).
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "ui/ui_manager.h"

namespace ui {

// Results given to Close by the library's own callers.
constexpr UINT IDOK = 1;
constexpr UINT IDCANCEL = 2;

class CWindowWnd {
 public:
  CWindowWnd() = default;
  virtual ~CWindowWnd() = default;
  CWindowWnd(const CWindowWnd&) = delete;
  CWindowWnd& operator=(const CWindowWnd&) = delete;

  HWND GetHWND() const { return window_; }
  operator HWND() const { return window_; }  // NOLINT: as in the contract

  // Registers the window class on first use and creates the window; null on failure. A window
  // without WS_CHILD takes parent as its owner.
  HWND Create(HWND parent, LPCTSTR name, DWORD style, DWORD ex_style, int x = CW_USEDEFAULT,
              int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT,
              HMENU menu = nullptr);
  void ShowWindow(bool show = true, bool take_focus = true);
  // Centres over the owner, or over the work area of the monitor when there is none.
  void CenterWindow();
  // Runs a nested message loop with the owner disabled until this window is destroyed, and
  // returns the code given to Close. A quit message ends it early and is passed on (result 0).
  UINT ShowModal();
  // Asks the window to close; ShowModal returns code.
  void Close(UINT code = IDOK);
  void SetIcon(UINT resource_id);
  bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

 protected:
  virtual LPCTSTR GetWindowClassName() const = 0;
  virtual UINT GetClassStyle() const { return 0; }
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The window's last message has been handled; the object may delete itself here.
  virtual void OnFinalMessage(HWND window);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool RegisterWindowClass();

  HWND window_ = nullptr;
};

// A window whose content is the layout GetSkinFile names. HandleCustomMessage sees every
// message first; what it leaves unhandled goes to the On* handlers, then to the paint
// manager, then to the window system. InitWindow runs once the layout is built. A "size" on
// the layout's Window element resizes the window as it is built (its position is kept).
// Top-level windows move when dragged by the layout's caption and resize by its size box.
class WindowImplBase : public CWindowWnd, public INotifyUI {
 public:
  void Notify(TNotifyUI& msg) override;

 protected:
  virtual CUiString GetSkinFile() = 0;
  virtual CUiString GetSkinFolder() { return CUiString(); }
  virtual void InitWindow() {}
  virtual LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  virtual LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  virtual LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  virtual LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  // HTCAPTION inside the layout's caption rectangle (away from controls that take input),
  // the sizing codes on the size box of a top-level window, else HTCLIENT.
  virtual LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  virtual LRESULT OnChar(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  virtual LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  virtual LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  virtual LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  virtual LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  virtual LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

  // The layout's control of that name; when the layout has none (it failed to load), a stand-in
  // that belongs to no window and shows nowhere, so the window's own code needs no checks.
  CControlUI& ControlOrStandIn(LPCTSTR name);

  CPaintManagerUI m_PaintManager;

 private:
  std::vector<std::unique_ptr<CControlUI>> stand_ins_;
  // Moving by the caption and resizing by the size box, driven by the left button.
  struct FrameDrag {
    LRESULT hit = HTNOWHERE;
    POINT start_cursor{};
    RECT start_rect{};
  };
  bool StartFrameDrag(LPARAM lParam);
  void ContinueFrameDrag();

  FrameDrag drag_;
};

}  // namespace ui
