// CControlUI: one node of a window's control tree.
//
// A window's layout is a tree of controls owned by its paint manager: containers own their
// children, a drop-down list owns its items. Each control keeps its look as attributes (named
// texts, applied through one table per kind), its place as given by its parent's layout, and
// its state (visible, enabled, focused, hot, pushed). A change never paints at once: it marks
// the window dirty, and the paint manager repaints once per turn of the message loop.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "ui/ui_string.h"

namespace ui {

class CPaintManagerUI;
class CRenderContext;  // one paint's drawing target; defined inside the library

// Input as the paint manager hands it to one control.
enum class UIEvent {
  MouseEnter,
  MouseLeave,
  MouseMove,
  ButtonDown,
  ButtonUp,
  DoubleClick,
  MiddleButtonDown,  // pastes the desktop's primary selection where text is edited
  KeyDown,
  KeyUp,
  Char,
  SetFocus,
  KillFocus,
  Timer,  // wParam: the id given to CPaintManagerUI::SetTimer
};

// Modifier keys held during an event. Win is only ever named in a hotkey text.
enum ModifierKey : WORD { kModShift = 1, kModControl = 2, kModAlt = 4, kModWin = 8 };

struct TEventUI {
  UIEvent Type = UIEvent::MouseMove;
  class CControlUI* pSender = nullptr;
  POINT ptMouse{};     // window client coordinates
  WPARAM wParam = 0;   // virtual key (key events) or character (Char)
  WORD wKeyState = 0;  // ModifierKey flags
};

// What applying one attribute came to; anything but Applied is reported as broken layout.
enum class AttributeStatus { Applied, UnknownName, BadValue };

// Text alignment flags, combined from the "align" and "valign" attributes.
enum TextAlign : UINT {
  kAlignLeft = 0x0,
  kAlignCenter = 0x1,
  kAlignRight = 0x2,
  kAlignTop = 0x0,
  kAlignVCenter = 0x4,
  kAlignBottom = 0x8,
  kAlignWordBreak = 0x10,
};

class CControlUI {
 public:
  CControlUI();
  virtual ~CControlUI();
  CControlUI(const CControlUI&) = delete;
  CControlUI& operator=(const CControlUI&) = delete;

  // The element name that builds this kind in a layout ("Control", "Button", ...).
  virtual LPCTSTR GetClass() const;

  CUiString GetName() const { return name_; }
  void SetName(LPCTSTR name) { name_ = name; }
  // A text the program keeps with the control; the library never reads it.
  CUiString GetUserData() const { return user_data_; }
  void SetUserData(LPCTSTR data) { user_data_ = data; }
  virtual CUiString GetText() const { return text_; }
  virtual void SetText(LPCTSTR text);

  bool IsVisible() const { return visible_; }
  virtual void SetVisible(bool visible = true);
  bool IsEnabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled = true);
  bool IsFocused() const;
  virtual void SetFocus();
  // Whether a click or SetFocus gives this control the keyboard.
  virtual bool IsFocusable() const { return false; }
  // Whether the focused control uses Tab, Enter or Esc itself (with these modifiers) rather
  // than leaving it to the window's keyboard navigation.
  virtual bool TakesKey(WPARAM, WORD) const { return false; }
  // Acts as a click from the keyboard would (a dialog's Enter or Esc); false when it cannot.
  virtual bool Activate() { return false; }
  // Visible itself and inside visible containers all the way up.
  bool IsShown() const;

  int GetFixedWidth() const { return fixed_width_; }
  void SetFixedWidth(int width);
  int GetFixedHeight() const { return fixed_height_; }
  void SetFixedHeight(int height);
  RECT GetPadding() const { return padding_; }
  void SetPadding(RECT padding);
  bool IsFloat() const { return float_; }
  void SetFloat(bool floating);
  // Relative to the parent's top-left corner, for a floating control.
  RECT GetFloatPos() const { return float_pos_; }
  void SetFloatPos(RECT pos);

  DWORD GetBkColor() const { return bk_color_; }
  void SetBkColor(DWORD argb);
  DWORD GetTextColor() const { return text_color_; }
  void SetTextColor(DWORD argb);
  CUiString GetBkImage() const { return bk_image_; }
  void SetBkImage(LPCTSTR image);
  int GetFont() const { return font_; }
  void SetFont(int font_id);
  RECT GetTextPadding() const { return text_padding_; }
  // The "tooltip" attribute's text.
  void SetToolTip(LPCTSTR text) { tooltip_ = text; }
  // What hovering shows: the tooltip, or else the whole text when the control cuts it off.
  virtual CUiString GetHoverText() const;

  // Repaint this control on the next turn of the loop.
  void Invalidate();
  // Lay the window out again and repaint on the next turn of the loop.
  void NeedUpdate();

  // Applies a named attribute from its text, as a layout does. An unknown name or a value that
  // does not parse is reported through the debugger output and changes nothing.
  void SetAttribute(LPCTSTR name, LPCTSTR value);
  // The attribute's text as last set; for "text", "visible", "enabled", "width" and "height"
  // the control's current state. Empty when never set.
  virtual CUiString GetAttribute(LPCTSTR name) const;
  // Applies one attribute and says how it went; the layout loader reports the failures.
  AttributeStatus ApplyAttribute(LPCTSTR name, LPCTSTR value);

  CPaintManagerUI* GetManager() const { return manager_; }
  CControlUI* GetParent() const { return parent_; }
  // Where the parent's layout placed it, in window client coordinates.
  const RECT& GetPos() const { return pos_; }
  virtual void SetPos(RECT pos);

  // Library internals: tree wiring, layout, input, hit testing and painting.
  virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent);
  virtual SIZE EstimateSize(SIZE available) const;
  virtual void DoEvent(TEventUI& event);
  virtual void DoPaint(CRenderContext& context);
  virtual CControlUI* FindControlAt(POINT point);
  virtual CControlUI* FindControlByName(const CUiString& name);

 protected:
  // One kind's attribute table; unknown names go on to the base kind's table.
  virtual AttributeStatus ApplyOwnAttribute(const std::wstring& name, const std::wstring& value);

  void PaintBkColor(CRenderContext& context);
  void PaintBkImage(CRenderContext& context);
  // Draws an image description (a file or "file='..' corner='..'") over rect; false when missing.
  bool DrawImage(CRenderContext& context, const CUiString& image, RECT rect);
  void PaintText(CRenderContext& context, const std::wstring& text, DWORD color);
  // Where PaintText draws: the control's place less its text padding.
  virtual RECT TextArea() const;
  void Notify(LPCTSTR type, WPARAM wParam = 0, LPARAM lParam = 0);

  bool hot_ = false;
  bool pushed_ = false;

 private:
  CPaintManagerUI* manager_ = nullptr;
  CControlUI* parent_ = nullptr;
  CUiString name_;
  CUiString user_data_;
  CUiString text_;
  bool visible_ = true;
  bool enabled_ = true;
  bool float_ = false;
  int fixed_width_ = 0;
  int fixed_height_ = 0;
  RECT padding_{};
  RECT float_pos_{};
  RECT pos_{};
  DWORD bk_color_ = 0;
  DWORD text_color_ = 0xFF000000;
  CUiString bk_image_;
  CUiString tooltip_;
  int font_ = -1;
  UINT text_align_ = kAlignLeft | kAlignVCenter;
  RECT text_padding_{};
  std::map<std::wstring, std::wstring> attributes_;
};

}  // namespace ui
