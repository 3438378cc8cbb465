#include "paths/canonical_path.h"

#include <cstring>

#include "platform/path_platform.h"
#include "shared/text_buffers.h"

namespace {

// The names of typed, read before the system resolves the text: the
// system would quietly drop a trailing dot or blank ("c:\Orbivue.\" is
// "c:\Orbivue\" to it) and the uninstaller could then never match the
// name the user meant.
PathVerdict CheckTypedNames(const char* typed) {
  for (const char* start = typed + 3; *start != '\0';) {
    const char* last;
    const char* end = EndOfName(start, &last);
    const size_t n = size_t(end - start);
    const bool dots = (n == 1 && start[0] == '.') || (n == 2 && start[0] == '.' && start[1] == '.');
    if (n > 0 && !dots) {
      if (*last == '.' || *last == ' ') return PathVerdict::DotName;
      if (IsDeviceName(start, n)) return PathVerdict::DeviceName;
    }
    if (*end == '\0') break;
    start = end + 1;
  }
  return PathVerdict::Accepted;
}

// Replaces the longest existing leading part of path by its long form.
void SpellAsOnDisk(char* path, size_t capacity) {
  char part[PathCapacity];
  if (!CopyText(part, path, sizeof part)) return;
  size_t cut = std::strlen(part);
  for (;;) {
    char longForm[PathCapacity];
    if (QueryPath(part) != PathKind::Missing && GetLongPath(part, longForm, sizeof longForm)) {
      if (AppendText(longForm, path + cut, sizeof longForm)) CopyText(path, longForm, capacity);
      return;
    }
    const char* slash = LastBackslash(part);
    if (slash == nullptr || slash - part <= 2) return;  // down to the drive: nothing exists
    cut = size_t(slash - part);
    part[cut] = '\0';
  }
}

}  // namespace

PathVerdict CanonicalDestination(const char* typed, char* out, size_t capacity) {
  out[0] = '\0';
  char text[PathCapacity];
  if (typed[0] == '\0') return PathVerdict::Empty;
  if (!CopyText(text, typed, sizeof text)) return PathVerdict::TooLong;
  for (char* p = text; *p != '\0'; p = const_cast<char*>(NextCharacter(p)))
    if (*p == '/') *p = '\\';
  const char drive = text[0] >= 'a' && text[0] <= 'z' ? char(text[0] - 32) : text[0];
  if (drive < 'A' || drive > 'Z' || text[1] != ':' || text[2] != '\\')
    return PathVerdict::NotFullPath;
  const PathVerdict names = CheckTypedNames(text);
  if (names != PathVerdict::Accepted) return names;
  char full[PathCapacity];
  if (!GetFullPath(text, full, sizeof full)) return PathVerdict::TooLong;
  if (LengthWithoutTrailingBackslash(full) <= 3) return PathVerdict::DriveRoot;
  // One trailing backslash, then the form of the result judged as a folder.
  full[LengthWithoutTrailingBackslash(full)] = '\0';
  if (!AppendText(full, "\\", sizeof full)) return PathVerdict::TooLong;
  const PathVerdict form = CheckPathForm(full, true);
  if (form != PathVerdict::Accepted) return form;
  SpellAsOnDisk(full, sizeof full);
  if (!EndsWithBackslash(full) && !AppendText(full, "\\", sizeof full)) return PathVerdict::TooLong;
  if (!CopyText(out, full, capacity)) return PathVerdict::TooLong;
  return PathVerdict::Accepted;
}

bool FoldedCopy(const char* path, char* out, size_t capacity) {
  if (!CopyText(out, path, capacity)) return false;
  FoldCase(out);
  return true;
}

bool FindLinkBelow(const char* place, const char* path, char* link, size_t capacity,
                   PathKind* kind) {
  PathKind ignored;
  PathKind& last = kind != nullptr ? *kind : ignored;
  last = PathKind::Missing;
  const size_t start = LengthWithoutTrailingBackslash(place);
  char part[PathCapacity];
  if (!CopyText(part, path, sizeof part)) return false;
  if (std::strlen(part) <= start + 1) {
    // The place itself: nothing below it to walk.
    if (kind != nullptr) last = QueryPath(path);
    return false;
  }
  // Each component from the first below the place, the path itself last.
  for (const char* p = part + start + 1;; p = NextCharacter(p)) {
    if (*p != '\\' && *p != '\0') continue;
    const char saved = *p;
    const size_t at = size_t(p - part);
    part[at] = '\0';
    last = part[0] != '\0' ? QueryPath(part) : PathKind::Missing;
    if (last == PathKind::Link) {
      CopyText(link, part, capacity);
      return true;
    }
    part[at] = saved;
    if (last == PathKind::Missing || saved == '\0' || p[1] == '\0') return false;
  }
}
