// Setup's own command line and the log of an unattended run on Windows.
#include <windows.h>

#include "paths/path_form.h"
#include "platform/install_platform.h"
#include "platform/platform.h"
#include "shared/text_buffers.h"

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
  // Setup runs as administrator, and the log's folder may be one that every
  // user writes in: the log is made as Setup's own files are, through a
  // checked handle in the folder named, so that a link or a second name
  // planted under its name is refused rather than followed (opening it by
  // name would truncate whatever file it leads to).
  char full[PathBufferSize], place[PathBufferSize];
  const DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full || !CopyText(place, full, sizeof place)) return nullptr;
  const char* slash = LastBackslash(place);
  if (slash == nullptr) return nullptr;
  place[slash - place] = '\0';
  return StartFile(place, full, nullptr);
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
  WritePiece(static_cast<FileBeingWritten>(file), reinterpret_cast<const uint8_t*>(utf8),
             uint32_t(n + 1));
}

void CloseRunLogFile(RunLogFile file) {
  if (file != nullptr) EndFile(static_cast<FileBeingWritten>(file), FileEnd::Keep);
}
