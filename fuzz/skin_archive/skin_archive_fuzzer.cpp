// Any bytes as the skin archive, from which a window loads its layout "fuzz.xml" the way
// every window of the program does. Beyond the sanitizers, it checks that every problem
// reported (an unreadable archive or entry included) names the layout and a line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/support/fuzz_support.h"
#include "fuzz/support/fuzz_window.h"

namespace {

const std::wstring kLayout = L"fuzz.xml";
std::string archive_path;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz_support::UseHeadlessWindows();
  const std::string folder = fuzz_support::ScratchFolder() + "/";
  archive_path = folder + "fuzz.zip";
  ui::CPaintManagerUI::SetResourcePath(std::wstring(folder.begin(), folder.end()).c_str());
  ui::CPaintManagerUI::SetResourceZip(L"fuzz.zip");
  fuzz_support::RequireProblemsNameTheLine(kLayout);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_support::WriteFileBytes(archive_path, reinterpret_cast<const char*>(data), size);
  fuzz_support::FuzzWindow(kLayout).ShowOnce();
  return 0;
}
