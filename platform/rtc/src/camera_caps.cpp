#include "camera_caps.h"

#include <algorithm>
#include <utility>

namespace rtc {
namespace {

// The field's values as texts; one empty text when there is no such field.
std::vector<std::string> Texts(const GstStructure* structure, const char* field) {
  const GValue* value = gst_structure_get_value(structure, field);
  if (value == nullptr) return {""};
  if (G_VALUE_HOLDS_STRING(value)) return {g_value_get_string(value)};
  std::vector<std::string> texts;
  if (GST_VALUE_HOLDS_LIST(value)) {
    for (guint i = 0; i < gst_value_list_get_size(value); ++i) {
      const GValue* item = gst_value_list_get_value(value, i);
      if (G_VALUE_HOLDS_STRING(item)) texts.emplace_back(g_value_get_string(item));
    }
  }
  return texts;
}

std::vector<int> Ints(const GstStructure* structure, const char* field, int wanted) {
  const GValue* value = gst_structure_get_value(structure, field);
  if (value == nullptr) return {};
  if (G_VALUE_HOLDS_INT(value)) return {g_value_get_int(value)};
  if (GST_VALUE_HOLDS_INT_RANGE(value)) {
    return {
        std::clamp(wanted, gst_value_get_int_range_min(value), gst_value_get_int_range_max(value))};
  }
  std::vector<int> ints;
  if (GST_VALUE_HOLDS_LIST(value)) {
    for (guint i = 0; i < gst_value_list_get_size(value); ++i) {
      const GValue* item = gst_value_list_get_value(value, i);
      if (G_VALUE_HOLDS_INT(item)) ints.push_back(g_value_get_int(item));
    }
  }
  return ints;
}

using Rate = std::pair<int, int>;

Rate Fraction(const GValue* value) {
  return {gst_value_get_fraction_numerator(value), gst_value_get_fraction_denominator(value)};
}

// {0, 1} alone when the caps say nothing of the rate.
std::vector<Rate> Rates(const GstStructure* structure, int wanted) {
  const GValue* value = gst_structure_get_value(structure, "framerate");
  if (value == nullptr) return {{0, 1}};
  if (GST_VALUE_HOLDS_FRACTION(value)) return {Fraction(value)};
  if (GST_VALUE_HOLDS_FRACTION_RANGE(value)) {
    Rate low = Fraction(gst_value_get_fraction_range_min(value));
    Rate high = Fraction(gst_value_get_fraction_range_max(value));
    auto fps = [](const Rate& r) { return r.second > 0 ? double(r.first) / r.second : 0.0; };
    if (wanted < fps(low)) return {low};
    if (wanted > fps(high)) return {high};
    return {{wanted, 1}};
  }
  std::vector<Rate> rates;
  if (GST_VALUE_HOLDS_LIST(value)) {
    for (guint i = 0; i < gst_value_list_get_size(value); ++i) {
      const GValue* item = gst_value_list_get_value(value, i);
      if (GST_VALUE_HOLDS_FRACTION(item)) rates.push_back(Fraction(item));
    }
  }
  return rates;
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
