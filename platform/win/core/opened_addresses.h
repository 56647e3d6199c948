// The addresses ShellExecuteW handed to the system's opener, kept for the headless test hook.
#pragma once

#include <string>
#include <vector>

namespace win::core {

std::vector<std::wstring> OpenedAddresses();

}  // namespace win::core
