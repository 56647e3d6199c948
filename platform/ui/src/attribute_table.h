// One table of named attributes per control kind, so that the layout loader stays generic.
#pragma once

#include <initializer_list>
#include <map>
#include <string>

#include "attribute_values.h"
#include "ui/ui_control.h"

namespace ui {

template <typename Kind>
class AttributeTable {
 public:
  // A setter answers false when the value does not parse, or when a number of it was beyond
  // the layout's range (then it applies the value clamped).
  using Setter = bool (*)(Kind& control, const std::wstring& value);

  AttributeTable(std::initializer_list<std::pair<const std::wstring, Setter>> setters)
      : setters_(setters) {}

  AttributeStatus Apply(Kind& control, const std::wstring& name, const std::wstring& value) const {
    const auto found = setters_.find(name);
    if (found == setters_.end()) return AttributeStatus::UnknownName;
    return found->second(control, value) ? AttributeStatus::Applied : AttributeStatus::BadValue;
  }

 private:
  std::map<std::wstring, Setter> setters_;
};

}  // namespace ui
