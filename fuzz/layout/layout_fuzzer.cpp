// Any bytes as a layout file of a skin folder, built into a window the way every window of
// the program is built, then laid out, painted and destroyed. Beyond the sanitizers, it
// checks what the loader promises: every problem it reports names the file and a line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/support/fuzz_support.h"
#include "fuzz/support/fuzz_window.h"

namespace {

const std::wstring kLayout = L"fuzz.xml";
std::string layout_path;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_support::UseHeadlessWindows();
  const std::string folder = fuzz_support::ScratchFolder() + "/";
  layout_path = folder + "fuzz.xml";
  ui::CPaintManagerUI::SetResourcePath(std::wstring(folder.begin(), folder.end()).c_str());
  ui::CPaintManagerUI::SetResourceZip(L"");
  fuzz_support::RequireProblemsNameTheLine(kLayout);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_support::WriteFileBytes(layout_path, reinterpret_cast<const char*>(data), size);
  fuzz_support::FuzzWindow(kLayout).ShowOnce();
  return 0;
}
