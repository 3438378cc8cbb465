#include "check.h"

#include <windows.h>

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return std::string();
  int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string result(size_t(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &result[0], size, nullptr,
                      nullptr);
  return result;
}

void Fail(const char* file, int line, const std::string& what) {
  const char* name = file;
  for (const char* p = file; *p; p++) {
    if (*p == '/' || *p == '\\') name = p + 1;
  }
  throw ScenarioFailure(std::string(name) + ":" + std::to_string(line) + ": " + what);
}
