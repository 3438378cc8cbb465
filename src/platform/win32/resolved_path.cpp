#include "platform/win32/resolved_path.h"

#include "paths/path_form.h"
#include "platform/path_platform.h"

namespace {

constexpr DWORD ResolvedCapacity = MAX_PATH * 2;

// The handle's full path as the file system resolves it, without "\\?\".
bool ResolvedPath(HANDLE handle, char* out) {
  char path[ResolvedCapacity];
  const DWORD n = GetFinalPathNameByHandleA(handle, path, ResolvedCapacity, VOLUME_NAME_DOS);
  if (n == 0 || n >= ResolvedCapacity) return false;
  const char* start = path;
  if (path[0] == '\\' && path[1] == '\\' && path[2] == '?' && path[3] == '\\') start = path + 4;
  lstrcpynA(out, start, int(ResolvedCapacity));
  return true;
}

}  // namespace

namespace {

// Whether handle resolves to the name of full (a full path) in the folder
// that full's folder resolves to.
bool ResolvesAs(const char* resolvedHandle, const char* full) {
  char path[MAX_PATH];
  lstrcpynA(path, full, MAX_PATH);
  path[LengthWithoutTrailingBackslash(path)] = '\0';
  const char* slash = LastBackslash(path);
  if (slash == nullptr) return true;
  // The folder that holds path, resolved the same way, and then the name.
  char folder[MAX_PATH];
  const int folderLength = int(slash - path);
  lstrcpynA(folder, path, folderLength + 1);
  if (folderLength <= 2) lstrcatA(folder, "\\");  // "C:" is the drive's root "C:\"
  HANDLE parent = CreateFileA(folder, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (parent == INVALID_HANDLE_VALUE) return true;
  char expected[ResolvedCapacity];
  const bool known = ResolvedPath(parent, expected);
  CloseHandle(parent);
  if (!known) return true;
  expected[LengthWithoutTrailingBackslash(expected)] = '\0';
  if (lstrlenA(expected) + lstrlenA(slash) >= int(ResolvedCapacity)) return true;
  lstrcatA(expected, slash);
  char resolved[ResolvedCapacity];
  lstrcpynA(resolved, resolvedHandle, int(ResolvedCapacity));
  resolved[LengthWithoutTrailingBackslash(resolved)] = '\0';
  FoldCase(expected);
  FoldCase(resolved);
  return lstrcmpA(expected, resolved) == 0;
}

}  // namespace

bool HandleIsAt(HANDLE handle, const char* path) {
  char resolved[ResolvedCapacity], full[MAX_PATH], longForm[MAX_PATH];
  if (!ResolvedPath(handle, resolved)) return true;
  const DWORD n = GetFullPathNameA(path, MAX_PATH, full, nullptr);
  if (n == 0 || n >= MAX_PATH) return true;
  // Most often the handle resolves to the very text asked for: nothing on
  // the way is a link or an 8.3 name, and the folder need not be opened.
  char same[ResolvedCapacity], asked[MAX_PATH];
  lstrcpynA(same, resolved, int(ResolvedCapacity));
  lstrcpynA(asked, full, MAX_PATH);
  same[LengthWithoutTrailingBackslash(same)] = '\0';
  asked[LengthWithoutTrailingBackslash(asked)] = '\0';
  FoldCase(same);
  FoldCase(asked);
  if (lstrcmpA(same, asked) == 0) return true;
  if (ResolvesAs(resolved, full)) return true;
  // A name spelled in its 8.3 form resolves to its long form: only then is
  // the long form looked up, which reads every folder on the way.
  const DWORD m = GetLongPathNameA(full, longForm, MAX_PATH);
  return m > 0 && m < MAX_PATH && lstrcmpA(longForm, full) != 0 && ResolvesAs(resolved, longForm);
}
