// The library's diagnostic lines (broken layouts, missing files), written to the debugger output.
#pragma once

#include <functional>
#include <string>

namespace ui {

void ReportProblem(const std::wstring& line);
// A fault that leaves a whole window empty: on standard error too, debugger or not.
void ReportEmptyWindow(const std::wstring& line);

// Tests watch the lines through this sink; an empty function stops watching.
void SetProblemSink(std::function<void(const std::wstring&)> sink);

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace ui
