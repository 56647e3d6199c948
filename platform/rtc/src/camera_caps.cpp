#include "camera_caps.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

namespace rtc {
namespace {

// The value's items (a list's, or the value itself) that read gives something for.
template <typename Item, typename Read>
std::vector<Item> Items(const GValue* value, Read read) {
  std::vector<Item> items;
  auto add = [&](const GValue* item) {
    if (std::optional<Item> got = read(item)) items.push_back(*got);
  };
  if (!GST_VALUE_HOLDS_LIST(value)) {
    add(value);
    return items;
  }
  for (guint i = 0; i < gst_value_list_get_size(value); ++i)
    add(gst_value_list_get_value(value, i));
  return items;
}

// One empty text when there is no such field.
std::vector<std::string> Texts(const GstStructure* structure, const char* field) {
  const GValue* value = gst_structure_get_value(structure, field);
  if (value == nullptr) return {""};
  return Items<std::string>(value, [](const GValue* item) -> std::optional<std::string> {
    if (!G_VALUE_HOLDS_STRING(item)) return std::nullopt;
    return std::string(g_value_get_string(item));
  });
}

std::vector<int> Ints(const GstStructure* structure, const char* field, int wanted) {
  const GValue* value = gst_structure_get_value(structure, field);
  if (value == nullptr) return {};
  if (GST_VALUE_HOLDS_INT_RANGE(value)) {
    return {
        std::clamp(wanted, gst_value_get_int_range_min(value), gst_value_get_int_range_max(value))};
  }
  return Items<int>(value, [](const GValue* item) -> std::optional<int> {
    if (!G_VALUE_HOLDS_INT(item)) return std::nullopt;
    return g_value_get_int(item);
  });
}

using Rate = std::pair<int, int>;

Rate Fraction(const GValue* value) {
  return {gst_value_get_fraction_numerator(value), gst_value_get_fraction_denominator(value)};
}

// {0, 1} alone when the caps say nothing of the rate.
std::vector<Rate> Rates(const GstStructure* structure, int wanted) {
  const GValue* value = gst_structure_get_value(structure, "framerate");
  if (value == nullptr) return {{0, 1}};
  if (GST_VALUE_HOLDS_FRACTION_RANGE(value)) {
    Rate low = Fraction(gst_value_get_fraction_range_min(value));
    Rate high = Fraction(gst_value_get_fraction_range_max(value));
    auto fps = [](const Rate& r) { return r.second > 0 ? double(r.first) / r.second : 0.0; };
    if (wanted < fps(low)) return {low};
    if (wanted > fps(high)) return {high};
    return {{wanted, 1}};
  }
  return Items<Rate>(value, [](const GValue* item) -> std::optional<Rate> {
    if (!GST_VALUE_HOLDS_FRACTION(item)) return std::nullopt;
    return Fraction(item);
  });
}

}  // namespace

std::vector<CameraMode> ModesOfCaps(const GstCaps* caps, int width, int height, int rate) {
  std::vector<CameraMode> modes;
  for (guint i = 0; caps != nullptr && i < gst_caps_get_size(caps); ++i) {
    const GstStructure* structure = gst_caps_get_structure(caps, i);
    std::string media = gst_structure_get_name(structure);
    for (const std::string& format : Texts(structure, "format")) {
      for (int w : Ints(structure, "width", width)) {
        for (int h : Ints(structure, "height", height)) {
          for (const Rate& r : Rates(structure, rate)) {
            modes.push_back(CameraMode{media, format, w, h, r.first, r.second});
          }
        }
      }
    }
  }
  return modes;
}

}  // namespace rtc
