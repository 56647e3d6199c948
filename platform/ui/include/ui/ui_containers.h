// Containers: controls that own and place child controls.
#pragma once

#include <memory>
#include <vector>

#include "ui/ui_control.h"

namespace ui {

// Places every child over its whole inner area (or at its fixed size from the top-left);
// floating children go to their "pos" whatever the kind of container.
class CContainerUI : public CControlUI {
 public:
  LPCTSTR GetClass() const override;

  // Takes ownership of item; false (and item deleted) for a null item.
  virtual bool Add(CControlUI* item);
  virtual bool AddAt(CControlUI* item, int index);
  // Deletes item; false when it is not a child of this container.
  virtual bool Remove(CControlUI* item);
  virtual void RemoveAll();
  int GetCount() const { return static_cast<int>(items_.size()); }
  CControlUI* GetItemAt(int index) const;
  int GetItemIndex(CControlUI* item) const;

  void SetInset(RECT inset);
  void SetChildPadding(int padding);

  void SetPos(RECT pos) override;
  void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;
  void DoPaint(CRenderContext& context) override;
  CControlUI* FindControlAt(POINT point) override;
  CControlUI* FindControlByName(const CUiString& name) override;

 protected:
  AttributeStatus ApplyOwnAttribute(const std::wstring& name, const std::wstring& value) override;
  // Places the children that do not float inside inner.
  virtual void LayoutChildren(RECT inner);
  void PlaceFloating();
  enum class Axis { Vertical, Horizontal };
  // Lines the children up along axis: fixed lengths first, the rest shared by the others.
  void StackChildren(RECT inner, Axis axis);

  std::vector<std::unique_ptr<CControlUI>> items_;

 private:
  RECT inset_{};
  int child_padding_ = 0;
};

// Stacks children top to bottom: fixed heights first, the rest shared by the others.
class CVerticalLayoutUI : public CContainerUI {
 public:
  LPCTSTR GetClass() const override;

 protected:
  void LayoutChildren(RECT inner) override;
};

// Lines children up left to right: fixed widths first, the rest shared by the others.
class CHorizontalLayoutUI : public CContainerUI {
 public:
  LPCTSTR GetClass() const override;

 protected:
  void LayoutChildren(RECT inner) override;
};

}  // namespace ui
