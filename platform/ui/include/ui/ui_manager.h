// CPaintManagerUI: one window's control tree, its input and its painting.
//
// The process-wide part (instance, resource folder and archive, message loop) is static.
// Each window built from a layout has one manager: it owns the root control, turns the
// window's mouse and keyboard messages into control events (hot, pushed, focused, captured
// controls), sends notifications to its notifiers, and paints the tree onto the window's
// surface. Tab, Enter and Esc that the focused control leaves alone move the focus or press
// the layout's default and cancel buttons; a hovered control's cut-off text shows in a tooltip;
// controls' timers run here. Changes only mark the window dirty; one paint runs per turn of
// the message loop.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "ui/ui_control.h"

namespace ui {

struct TNotifyUI {
  CUiString sType;
  CControlUI* pSender = nullptr;
  DWORD dwTimestamp = 0;
  POINT ptMouse{};
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

class CToolTipWnd;

class INotifyUI {
 public:
  virtual void Notify(TNotifyUI& msg) = 0;

 protected:
  ~INotifyUI() = default;
};

// A font of a layout's <Font> element, referred to by its id.
struct FontInfo {
  CUiString face;
  int size = 12;  // character height in pixels
  bool bold = false;
  bool italic = false;
};

class CPaintManagerUI {
 public:
  CPaintManagerUI();
  ~CPaintManagerUI();
  CPaintManagerUI(const CPaintManagerUI&) = delete;
  CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

  // Process-wide start-up.
  static void SetInstance(HINSTANCE instance);
  static HINSTANCE GetInstance();
  // The program file's folder, with its trailing separator.
  static CUiString GetInstancePath();
  static void SetResourcePath(LPCTSTR path);
  static CUiString GetResourcePath();
  // Layouts and images come from this archive inside the resource folder. The archive is read
  // afresh on each load (never cached) and carries no password.
  static void SetResourceZip(LPCTSTR zip_name, bool cached = false, const char* password = nullptr);
  static CUiString GetResourceZip();
  // Gets and dispatches messages until the quit message.
  static void MessageLoop();

  void Init(HWND window);
  HWND GetPaintWindow() const { return window_; }
  // Takes ownership of the layout's root control (null leaves the window empty).
  bool AttachDialog(CControlUI* root);
  CControlUI* GetRoot() const { return root_.get(); }

  bool AddNotifier(INotifyUI* notifier);
  bool RemoveNotifier(INotifyUI* notifier);
  // Delivers a notification to every notifier at once.
  void SendNotify(CControlUI* sender, LPCTSTR type, WPARAM wParam = 0, LPARAM lParam = 0);

  // Null when no control of that name exists.
  CControlUI* FindControl(LPCTSTR name) const;
  // The topmost visible control under a client point.
  CControlUI* FindControl(POINT point) const;

  RECT& GetCaptionRect() { return caption_; }
  void SetCaptionRect(const RECT& caption) { caption_ = caption; }
  RECT& GetSizeBox() { return size_box_; }
  void SetSizeBox(const RECT& size_box) { size_box_ = size_box; }
  SIZE GetInitSize() const { return init_size_; }
  // Resizes the window (never moving it) and remembers the size; a 0 x 0 size changes nothing.
  void SetInitSize(int cx, int cy);

  int AddFont(const FontInfo& font, int id);
  void SetDefaultFont(const FontInfo& font) { default_font_ = font; }
  const FontInfo& GetFont(int id) const;

  CControlUI* GetFocus() const { return focus_; }
  void SetFocus(CControlUI* control);
  // Tab and Shift+Tab: the next (or previous) shown, enabled control that takes the keyboard,
  // in layout order, round the end; false when there is none.
  bool MoveFocus(bool backwards);
  // The buttons that Enter and Esc press when the focused control leaves those keys alone,
  // by name (the layout's Window attributes "defaultbutton" and "cancelbutton").
  void SetDefaultButton(LPCTSTR name) { default_button_ = name; }
  void SetCancelButton(LPCTSTR name) { cancel_button_ = name; }
  // The focus mark shows once the keyboard has moved the focus in this window.
  bool ShowsFocusMark() const { return focus_mark_; }
  // The text of the hover tooltip on show now, empty when none is.
  CUiString GetToolTipText() const;

  // A control's timer on this window: "Timer" events with the id reach the control until it is
  // killed or the control goes. The window's own handler never sees these timers.
  bool SetTimer(CControlUI* control, UINT_PTR id, UINT elapse_ms);
  void KillTimer(CControlUI* control, UINT_PTR id);
  CControlUI* GetCapture() const { return capture_; }

  // Lay out again and repaint on the next turn of the loop.
  void NeedUpdate();
  // Repaint everything, or one rectangle, on the next turn of the loop.
  void Invalidate();
  void Invalidate(const RECT& rect);
  // Paints what is dirty now (the loop does this once per turn by itself).
  void PaintNow();
  bool IsUpdateNeeded() const { return layout_needed_; }

  // Called by the window for every message; true when the manager handled it.
  bool MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Forgets a control that is being deleted (hot, focused or captured).
  void ReapControl(CControlUI* control);

  // The manager painting a window, or null (used by pop-ups and the test driver).
  static CPaintManagerUI* FromWindow(HWND window);
  // Every window that has a manager now.
  static std::vector<HWND> Windows();

 private:
  void RequestPaint();
  // Paints the dirty part on the window's surface; false when nothing was drawn.
  bool PaintOnSurface();
  void Layout();
  void OnMouse(UINT message, WPARAM wParam, LPARAM lParam);
  void OnKey(UINT message, WPARAM wParam);
  void SetHot(CControlUI* control, POINT point);
  // Tab, Enter and Esc that the focused control leaves to the window; true when used.
  bool OnNavigationKey(WPARAM key);
  void InvalidateFocusMark(const CControlUI* control);
  void PaintFocusMark(CRenderContext& context);
  // Hovering a control with a hover text starts the delay; anything else hides the tip.
  void ArmToolTip(CControlUI* control);
  void ShowToolTip();
  void HideToolTip();
  static void CALLBACK OnTimer(HWND window, UINT message, UINT_PTR id, DWORD time);
  void Dispatch(CControlUI* control, UIEvent type, POINT point, WPARAM wParam = 0);

  HWND window_ = nullptr;
  std::unique_ptr<CControlUI> root_;
  std::vector<INotifyUI*> notifiers_;
  CControlUI* focus_ = nullptr;
  CControlUI* hot_ = nullptr;
  CControlUI* capture_ = nullptr;
  WORD modifiers_ = 0;
  WORD held_modifiers_ = 0;  // modifier keys seen going down in this window's key messages
  POINT last_mouse_{};
  RECT caption_{};
  RECT size_box_{};
  SIZE init_size_{};
  RECT dirty_{};
  bool paint_pending_ = false;
  bool tracking_leave_ = false;  // WM_MOUSELEAVE has been asked for
  bool layout_needed_ = true;
  CUiString default_button_;
  CUiString cancel_button_;
  bool focus_mark_ = false;
  std::vector<std::pair<UINT_PTR, CControlUI*>> timers_;
  CControlUI* tip_control_ = nullptr;  // the hovered control whose tooltip waits or shows
  std::unique_ptr<CToolTipWnd> tool_tip_;
  FontInfo default_font_;
  std::vector<std::pair<int, FontInfo>> fonts_;
};

}  // namespace ui
