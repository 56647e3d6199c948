#include "x11/window_hints.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cctype>
#include <vector>

#include "core/icons.h"
#include "core/text_utf8.h"

namespace win::core {

namespace {

std::string ProgramClass() {
  wchar_t path[4096] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, 4096);
  std::wstring file(path, length < 4096 ? length : 0);
  std::string name = ToUtf8(file.substr(file.find_last_of(L'/') + 1));
  if (name.empty()) return "Program";
  name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  return name;
}

}  // namespace

void SetClassHint(Display* display, ::Window id, const std::wstring& class_name) {
  static const std::string program_class = ProgramClass();
  std::string instance = ToUtf8(class_name);
  std::string program = program_class;
  XClassHint hint{instance.data(), program.data()};
  XSetClassHint(display, id, &hint);
}

std::wstring ModelClassOf(Display* display, ::Window id) {
  XClassHint hint{};
  if (!XGetClassHint(display, id, &hint)) return {};
  std::wstring name = hint.res_name != nullptr ? FromUtf8(hint.res_name) : std::wstring();
  if (hint.res_name != nullptr) XFree(hint.res_name);
  if (hint.res_class != nullptr) XFree(hint.res_class);
  return name;
}

void SetIconProperty(Display* display, ::Window id, HICON handle) {
  const Atom property = XInternAtom(display, "_NET_WM_ICON", False);
  const Icon* icon = IconOf(handle);
  if (icon == nullptr) {
    XDeleteProperty(display, id, property);
    return;
  }
  // Format 32 travels as longs on the client side, whatever their width.
  std::vector<long> values;
  for (const IconImage& image : icon->images) {
    values.push_back(image.width);
    values.push_back(image.height);
    values.insert(values.end(), image.argb.begin(), image.argb.end());
  }
  XChangeProperty(display, id, property, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(values.data()),
                  static_cast<int>(values.size()));
}

}  // namespace win::core
