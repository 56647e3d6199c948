#include "diagnostics.h"

#include <windows.h>

#include <cstdio>
#include <utility>

namespace ui {

namespace {

std::function<void(const std::wstring&)>& Sink() {
  static std::function<void(const std::wstring&)> sink;
  return sink;
}

}  // namespace

void ReportProblem(const std::wstring& line) {
  OutputDebugStringW((L"ui: " + line + L"\n").c_str());
  if (Sink()) Sink()(line);
}

void ReportEmptyWindow(const std::wstring& line) {
  std::fprintf(stderr, "ui: %s\n", Narrow(line).c_str());
  if (Sink()) Sink()(line);
}

void SetProblemSink(std::function<void(const std::wstring&)> sink) { Sink() = std::move(sink); }

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int count =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(count), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), count);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int count = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(count), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), narrow.data(), count,
                      nullptr, nullptr);
  return narrow;
}

}  // namespace ui
