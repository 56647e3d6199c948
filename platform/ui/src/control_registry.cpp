#include "control_registry.h"

#include <map>

#include "ui/ui_controls.h"

namespace ui {

namespace {

template <typename Kind>
std::unique_ptr<CControlUI> Make() {
  return std::make_unique<Kind>();
}

}  // namespace

std::unique_ptr<CControlUI> CreateControl(const std::wstring& kind) {
  using Factory = std::unique_ptr<CControlUI> (*)();
  static const std::map<std::wstring, Factory> kinds = {
      {L"Control", &Make<CControlUI>},
      {L"Container", &Make<CContainerUI>},
      {L"VerticalLayout", &Make<CVerticalLayoutUI>},
      {L"HorizontalLayout", &Make<CHorizontalLayoutUI>},
      {L"Label", &Make<CLabelUI>},
      {L"Text", &Make<CLabelUI>},
      {L"Button", &Make<CButtonUI>},
      {L"Edit", &Make<CEditUI>},
      {L"Combo", &Make<CComboUI>},
      {L"ListLabelElement", &Make<CListLabelElementUI>},
      {L"Progress", &Make<CProgressUI>},
      {L"Slider", &Make<CSliderUI>},
      {L"HotKey", &Make<CHotKeyUI>},
  };
  const auto found = kinds.find(kind);
  return found == kinds.end() ? nullptr : found->second();
}

}  // namespace ui
