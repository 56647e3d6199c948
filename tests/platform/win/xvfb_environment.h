// A private X server for the X11 tests: started on a free display before the first test,
// ending with the test process. The tests skip when the server program is not installed.
#pragma once

#include <string>

namespace win_test {

// True once the server runs and DISPLAY names it; else why it does not.
bool XvfbRunning();
std::string XvfbDisplay();
std::string XvfbProblem();

}  // namespace win_test
