// Setup's own command line and the log of an unattended run on Windows.
#include <windows.h>

#include "platform/platform.h"

bool GetSetupArguments(char* out, int capacity) {
  if (capacity < 1) return false;
  out[0] = '\0';
  // The program's name comes first: quoted, or up to the first blank.
  const WCHAR* p = GetCommandLineW();
  if (*p == L'"') {
    p++;
    while (*p != L'\0' && *p != L'"') p++;
    if (*p == L'"') p++;
  } else {
    while (*p != L'\0' && *p != L' ' && *p != L'\t') p++;
  }
  if (*p == L'\0') return true;
  // Converted without a best fit: a character the code page has no form of
  // would otherwise become another one (a fullwidth backslash a backslash).
  BOOL lossy = FALSE;
  const int n =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, p, -1, out, capacity, nullptr, &lossy);
  if (n <= 0 || lossy) {
    out[0] = '\0';
    return false;
  }
  return true;
}

RunLogFile CreateRunLogFile(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

void AppendRunLogLine(RunLogFile file, const char* text) {
  if (file == nullptr) return;
  WCHAR wide[2048];
  char utf8[6144];
  const int w = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 2048);
  int n = w > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8 - 2, nullptr, nullptr)
                : 0;
  if (n <= 0) n = 1;  // an empty line rather than a cut one
  utf8[n - 1] = '\r';
  utf8[n] = '\n';
  DWORD written = 0;
  WriteFile(static_cast<HANDLE>(file), utf8, DWORD(n + 1), &written, nullptr);
}

void CloseRunLogFile(RunLogFile file) {
  if (file != nullptr) CloseHandle(static_cast<HANDLE>(file));
}
