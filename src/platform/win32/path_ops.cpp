// Paths on Windows: the ANSI code page's lead bytes and letters, the full
// and long forms from kernel32, and attributes read without following a
// link (a reparse point reports itself, whatever it points at).
#include <windows.h>

#include "platform/path_platform.h"
#include "platform/win32/resolved_path.h"

bool IsLeadByte(uint8_t c) {
  return IsDBCSLeadByte(c) != 0;
}

void FoldCase(char* text) {
  // Through the wide form, so that every letter of the code page folds as
  // the file system folds it; should the round trip change the length (it
  // does not for the code pages Windows ships), only A to Z are folded.
  const int length = lstrlenA(text);
  WCHAR wide[MAX_PATH * 2];
  char back[MAX_PATH * 4];
  const int n = MultiByteToWideChar(CP_ACP, 0, text, length, wide, MAX_PATH * 2);
  if (n > 0) {
    CharUpperBuffW(wide, DWORD(n));
    const int m = WideCharToMultiByte(CP_ACP, 0, wide, n, back, sizeof back, nullptr, nullptr);
    if (m == length) {
      CopyMemory(text, back, DWORD(m));
      return;
    }
  }
  for (char* p = text; *p != '\0'; p++) {
    if (IsDBCSLeadByte(static_cast<BYTE>(*p))) {
      if (p[1] == '\0') break;
      p++;
    } else if (*p >= 'a' && *p <= 'z') {
      *p = char(*p - 32);
    }
  }
}

bool GetFullPath(const char* path, char* out, int capacity) {
  const DWORD n = GetFullPathNameA(path, DWORD(capacity), out, nullptr);
  return n > 0 && n < DWORD(capacity);
}

bool GetLongPath(const char* path, char* out, int capacity) {
  const DWORD n = GetLongPathNameA(path, out, DWORD(capacity));
  return n > 0 && n < DWORD(capacity);
}

PathKind QueryPath(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return PathKind::Link;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
  // A file link that the system reports as a plain file still resolves to
  // another place than its name.
  HANDLE file = CreateFileA(
      path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return PathKind::File;  // held open: it is there
  const bool here = HandleIsAt(file, path);
  CloseHandle(file);
  return here ? PathKind::File : PathKind::Link;
}
