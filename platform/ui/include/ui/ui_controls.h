// The control kinds: labels, buttons, edit fields, drop-down lists and their items, progress
// bars, sliders and hotkey fields.
#pragma once

#include "ui/ui_containers.h"

#include <optional>
#include <string>

namespace ui {

class CLabelUI : public CControlUI {
 public:
  LPCTSTR GetClass() const override;
  void DoPaint(CRenderContext& context) override;

 protected:
  AttributeStatus ApplyOwnAttribute(const std::wstring& name, const std::wstring& value) override;
  DWORD CurrentTextColor() const;

 private:
  DWORD disabled_text_color_ = 0xFFA7A6AA;
};

// Raises "click" when pressed and released over it, or on Enter or Space while focused.
class CButtonUI : public CLabelUI {
 public:
  CButtonUI();
  LPCTSTR GetClass() const override;
  bool IsFocusable() const override { return true; }
  bool TakesKey(WPARAM key, WORD) const override { return key == VK_RETURN; }
  bool Activate() override;

  CUiString GetNormalImage() const { return normal_image_; }
  void SetNormalImage(LPCTSTR image);
  CUiString GetHotImage() const { return hot_image_; }
  void SetHotImage(LPCTSTR image);
  void SetPushedImage(LPCTSTR image);
  void SetDisabledImage(LPCTSTR image);
  CUiString GetAttribute(LPCTSTR name) const override;

  void DoEvent(TEventUI& event) override;
  void DoPaint(CRenderContext& context) override;

 protected:
  AttributeStatus ApplyOwnAttribute(const std::wstring& name, const std::wstring& value) override;

 private:
  CUiString normal_image_;
  CUiString hot_image_;
  CUiString pushed_image_;
  CUiString disabled_image_;
  DWORD hot_text_color_ = 0;
  DWORD hot_bk_color_ = 0;
  DWORD pushed_bk_color_ = 0;
};

// A one-line text field drawn by the library: a blinking caret, kept in view by scrolling the
// text; selection by Shift with the keys or by a drag; typing, Backspace and Delete; Home,
// End and Ctrl+arrows by words; Ctrl+A; every change of its text raises "textchanged".
class CEditUI : public CLabelUI {
 public:
  LPCTSTR GetClass() const override;
  bool IsFocusable() const override { return true; }
  void SetText(LPCTSTR text) override;

  int GetCaret() const { return caret_; }
  // The selected range [start, end) in characters; empty when start == end.
  int GetSelectionStart() const;
  int GetSelectionEnd() const;
  void SetSel(int start, int end);
  // Whether the blinking caret is on show at this moment.
  bool IsCaretShown() const { return IsFocused() && caret_on_; }
  // Where the caret is drawn, in window client coordinates, the text's scrolling applied.
  RECT GetCaretRect() const;

  void DoEvent(TEventUI& event) override;
  void DoPaint(CRenderContext& context) override;

 protected:
  AttributeStatus ApplyOwnAttribute(const std::wstring& name, const std::wstring& value) override;

 private:
  void OnKey(WPARAM key, WORD modifiers);
  void InsertText(const std::wstring& text);
  void MoveCaret(int to, bool extend);
  void MoveCaretByKey(int to, bool shift);
  // What the user selected becomes the desktop's primary selection, as on every X desktop.
  void OfferSelection() const;
  void PastePrimarySelection(int x);
  bool DeleteSelection();
  void ReplaceText(std::wstring text, int caret);
  HWND PaintWindow() const;
  // The caret shows solid from now and blinks again after a while.
  void RestartBlink();
  // The pixels of text scrolled away at the left so that the caret is in view.
  int Scroll() const;
  int IndexAtX(int x) const;

  int caret_ = 0;
  bool caret_on_ = false;
  mutable int scroll_ = 0;
  int anchor_ = 0;
  bool focus_fresh_ = false;  // the keyboard arrived and nothing has used it yet
  bool placing_ = false;      // the press under way places the caret, and a drag selects
  int max_char_ = 255;
  DWORD selected_bk_color_ = 0xFFBAD6FB;
};

// One line of a drop-down list, owned by the list it was added to.
class CListLabelElementUI : public CLabelUI {
 public:
  LPCTSTR GetClass() const override;
  bool IsSelected() const { return selected_; }
  void Select(bool selected) { selected_ = selected; }

 private:
  bool selected_ = false;
};

class CComboWnd;

// A closed box showing the selected item's text; a click, Space, F4 or an arrow key raises
// "predropdown" and opens the items in a pop-up window of their own, which then has the keys
// (arrows, Page Up and Down, Home, End and first letters move its highlight; Enter picks it,
// Esc closes without a change). Selecting raises "itemselect" at once.
class CComboUI : public CContainerUI {
 public:
  CComboUI();
  ~CComboUI() override;
  LPCTSTR GetClass() const override;
  bool IsFocusable() const override { return true; }
  bool TakesKey(WPARAM key, WORD) const override { return IsDropped() && key != VK_TAB; }

  bool Add(CControlUI* item) override;
  bool AddAt(CControlUI* item, int index) override;
  bool Remove(CControlUI* item) override;
  void RemoveAll() override;
  int GetCurSel() const { return cur_sel_; }
  // Selects the item at index (-1 clears) and raises "itemselect"; false when out of range.
  bool SelectItem(int index, bool take_focus = false);
  CUiString GetText() const override;
  void SetEnabled(bool enabled = true) override;
  void SetVisible(bool visible = true) override;

  bool IsDropped() const;
  void OpenDropDown();
  void CloseDropDown();
  CComboWnd* GetDropDown() const { return drop_down_; }
  int GetDropBoxHeight() const { return drop_box_height_; }
  DWORD GetItemHotBkColor() const { return item_hot_bk_color_; }
  DWORD GetItemSelectedBkColor() const { return item_selected_bk_color_; }
  DWORD GetItemBkColor() const { return item_bk_color_; }

  void SetPos(RECT pos) override;
  void DoEvent(TEventUI& event) override;
  void DoPaint(CRenderContext& context) override;
  CControlUI* FindControlAt(POINT point) override;

 protected:
  AttributeStatus ApplyOwnAttribute(const std::wstring& name, const std::wstring& value) override;
  RECT TextArea() const override;

 private:
  friend class CComboWnd;
  void DropDownClosed() { drop_down_ = nullptr; }
  void OnKey(WPARAM key, WORD modifiers);

  int cur_sel_ = -1;
  CComboWnd* drop_down_ = nullptr;  // the pop-up; it deletes itself when its window goes
  int drop_box_height_ = 0;         // the pop-up's greatest height; 0 leaves it to the item count
  DWORD item_bk_color_ = 0xFFFFFFFF;
  DWORD item_hot_bk_color_ = 0xFFE9F5FF;
  DWORD item_selected_bk_color_ = 0xFFC1E3FF;
};

// A bar filled from min to value over max - min.
class CProgressUI : public CLabelUI {
 public:
  LPCTSTR GetClass() const override;
  int GetMinValue() const { return min_; }
  int GetMaxValue() const { return max_; }
  void SetMinValue(int value);
  void SetMaxValue(int value);
  int GetValue() const { return value_; }
  // Clamped into [min, max].
  virtual void SetValue(int value);
  CUiString GetAttribute(LPCTSTR name) const override;
  void DoPaint(CRenderContext& context) override;

 protected:
  AttributeStatus ApplyOwnAttribute(const std::wstring& name, const std::wstring& value) override;
  // The filled part's right edge for a value.
  int ValueToX(int value) const;

  DWORD fore_color_ = 0xFF3C8CE7;
  CUiString fore_image_;

 private:
  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
};

// A progress bar the user moves: press or drag anywhere on it, or the arrow, Home and End keys.
// "valuechanged" is raised when the user's change ends (button released, key pressed) and
// the value differs; SetValue from code raises nothing.
class CSliderUI : public CProgressUI {
 public:
  LPCTSTR GetClass() const override;
  bool IsFocusable() const override { return true; }
  RECT GetThumbRect() const;
  void DoEvent(TEventUI& event) override;
  void DoPaint(CRenderContext& context) override;

 protected:
  AttributeStatus ApplyOwnAttribute(const std::wstring& name, const std::wstring& value) override;

 private:
  int XToValue(int x) const;

  int step_ = 1;
  SIZE thumb_size_{12, 12};
  DWORD thumb_color_ = 0xFFFFFFFF;
  CUiString thumb_image_;
  int value_at_press_ = 0;
};

// A combination in the hotkey field's form: a virtual-key code and ModifierKey flags.
struct HotKeyCombination {
  WORD key;
  WORD modifiers;
};

// The shown form of a combination: "Ctrl + Shift + Alt + Win + S", "F5", "Page Up".
std::wstring HotKeyText(WORD key, WORD modifiers);
// The combination of a text in the shown form, read in any case and spacing: modifier words
// and exactly one key name. Nothing for any other text.
std::optional<HotKeyCombination> ParseHotKeyText(const std::wstring& text);

// Captures one key with its modifiers while focused and shows it as "Ctrl + Alt + S".
// Modifier flags: Shift 1, Ctrl 2, Alt 4 (Win 8 only from a text). Every change raises
// "textchanged".
class CHotKeyUI : public CLabelUI {
 public:
  LPCTSTR GetClass() const override;
  bool IsFocusable() const override { return true; }
  // Tab, Shift+Tab, Enter and Esc stay the dialog's, so the keyboard can always leave the
  // field; with Ctrl or Alt held they are recorded like any other key.
  bool TakesKey(WPARAM, WORD modifiers) const override {
    return (modifiers & (kModControl | kModAlt)) != 0;
  }
  void GetHotKey(WORD& virtual_key, WORD& modifiers) const;
  void SetHotKey(WORD virtual_key, WORD modifiers);
  // A text in the shown form ("Alt + S") also sets the key it names.
  void SetText(LPCTSTR text) override;
  void DoEvent(TEventUI& event) override;
  void DoPaint(CRenderContext& context) override;

 private:
  WORD key_ = 0;
  WORD modifiers_ = 0;
};

}  // namespace ui
