// The pop-up of an open drop-down list: a window of its own under the closed box, drawing the
// list's items (which the list keeps owning) and picking one on a click.
#pragma once

#include "ui/ui_controls.h"
#include "ui/ui_window.h"

namespace ui {

class CComboWnd : public CWindowWnd {
 public:
  explicit CComboWnd(CComboUI& owner) : owner_(owner) {}

  // Creates the pop-up below the list's box; the object deletes itself when its window goes.
  void Open();
  CComboUI& owner() const { return owner_; }
  int GetHotItem() const { return hot_item_; }
  // The item under a client point, or -1.
  int ItemAt(POINT point) const;
  RECT ItemRect(int index) const;
  // Selects the item, hides the pop-up and lets it close.
  void Pick(int index);

 protected:
  LPCTSTR GetWindowClassName() const override { return L"DuiComboWnd"; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND window) override;

 private:
  static int ItemHeight(const CControlUI& item);

  CComboUI& owner_;
  CPaintManagerUI manager_;
  int hot_item_ = -1;
  bool picked_ = false;
};

}  // namespace ui
