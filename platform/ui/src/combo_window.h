// The pop-up of an open drop-down list: a window of its own under (or above) the closed box,
// as wide as its longest item allows, drawing the list's items (which the list keeps owning).
// It shows up to eight items and scrolls by the wheel, its scroll bar and the keyboard; its
// highlight moves without selecting, and a click or Enter picks the highlighted item.
#pragma once

#include "ui/ui_controls.h"
#include "ui/ui_window.h"

namespace ui {

class CComboWnd : public CWindowWnd {
 public:
  explicit CComboWnd(CComboUI& owner) : owner_(owner) {}

  // Creates the pop-up by the list's box; the object deletes itself when its window goes.
  void Open();
  CComboUI& owner() const { return owner_; }
  int GetHotItem() const { return hot_item_; }
  // The item under a client point, or -1.
  int ItemAt(POINT point) const;
  // Where an item lies in the pop-up's client area now, scrolled or not.
  RECT ItemRect(int index) const;
  // The part of the client area that shows items (the scroll bar stays out of it).
  RECT ItemsArea() const;
  bool ItemShown(int index) const;
  // Selects the item, hides the pop-up and lets it close.
  void Pick(int index);
  // Hides the pop-up and lets it close without a change.
  void Dismiss();
  bool IsClosing() const { return closing_; }
  // A key or a typed character for the open list; false when it leaves the key alone.
  bool OnKey(WPARAM key);
  void OnChar(wchar_t ch);
  // Scrolls so that the item lies wholly inside the pop-up.
  void ScrollToItem(int index);
  bool HasScrollBar() const;
  RECT ScrollThumb() const;

 protected:
  LPCTSTR GetWindowClassName() const override { return L"DuiComboWnd"; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND window) override;

 private:
  static int ItemHeight(const CControlUI& item);
  int ContentHeight() const;
  int MaxScroll() const;
  void ScrollTo(int offset);
  void Highlight(int index);
  void OnPress(POINT point);

  CComboUI& owner_;
  CPaintManagerUI manager_;
  int hot_item_ = -1;
  int scroll_ = 0;        // pixels of the items scrolled away above the top
  int drag_from_y_ = -1;  // where a drag of the scroll bar's thumb started, or -1
  int drag_from_scroll_ = 0;
  bool closing_ = false;
};

}  // namespace ui
