#include "paths/path_form.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "platform/path_platform.h"

namespace {

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? char(c - 32) : c;
}

bool IsLead(char c) {
  return IsLeadByte(static_cast<uint8_t>(c));
}

}  // namespace

const char* NextCharacter(const char* p) {
  if (*p == '\0') return p;
  if (IsLead(*p) && p[1] != '\0') return p + 2;
  return p + 1;
}

const char* EndOfName(const char* start, const char** last) {
  const char* end = start;
  *last = start;
  while (*end != '\0' && *end != '\\') {
    *last = end;
    end = NextCharacter(end);
  }
  return end;
}

const char* LastBackslash(const char* text) {
  const char* last = nullptr;
  for (const char* p = text; *p != '\0'; p = NextCharacter(p))
    if (*p == '\\') last = p;
  return last;
}

size_t LengthWithoutTrailingBackslash(const char* path) {
  // Only a backslash that is a character of its own counts.
  size_t n = std::strlen(path);
  while (n > 0) {
    const char* last = nullptr;
    for (const char* p = path; p < path + n; p = NextCharacter(p)) last = p;
    if (last == nullptr || *last != '\\' || last != path + n - 1) break;
    n--;
  }
  return n;
}

bool IsDeviceName(const char* name, size_t length) {
  size_t base = 0;
  while (base < length && name[base] != '.') base++;
  while (base > 0 && name[base - 1] == ' ') base--;  // "CON .txt" is CON too
  if (base < 3 || base > 7) return false;
  char upper[8] = {};
  for (size_t i = 0; i < base; i++) upper[i] = AsciiUpper(name[i]);
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (std::strcmp(upper, device) == 0) return true;
  return base == 4 && (std::strncmp(upper, "COM", 3) == 0 || std::strncmp(upper, "LPT", 3) == 0) &&
         upper[3] >= '1' && upper[3] <= '9';
}

PathVerdict CheckPathForm(const char* path, bool folder) {
  const size_t length = std::strlen(path);
  if (length == 0) return PathVerdict::Empty;
  if (length >= size_t(PathCapacity)) return PathVerdict::TooLong;
  const char drive = AsciiUpper(path[0]);
  if (length < 3 || drive < 'A' || drive > 'Z' || path[1] != ':' || path[2] != '\\')
    return PathVerdict::NotFullPath;
  for (const char* p = path; *p != '\0'; p = NextCharacter(p)) {
    const unsigned char c = static_cast<unsigned char>(*p);
    // A two-byte character is a letter of a name; no code page has second
    // bytes below 0x40, so such a pair (a drive's colon, a dot, a slash) is
    // not a character at all.
    if (IsLead(*p)) {
      if (static_cast<unsigned char>(p[1]) < 0x40) return PathVerdict::BadCharacter;
      continue;
    }
    if (c == '/') return PathVerdict::NotFullPath;
    if (c < 32 || std::strchr("<>\"|?*", c) != nullptr || (c == ':' && p != path + 1))
      return PathVerdict::BadCharacter;
  }
  const char* start = path + 3;
  if (*start == '\0') return folder ? PathVerdict::Accepted : PathVerdict::NotFullPath;
  while (*start != '\0') {
    const char* lastCharacter;
    const char* end = EndOfName(start, &lastCharacter);
    const size_t n = size_t(end - start);
    if (n == 0) return PathVerdict::NotFullPath;  // "\\" inside the path
    if (n > 255) return PathVerdict::TooLong;
    if (*lastCharacter == '.' || *lastCharacter == ' ') return PathVerdict::DotName;
    if (IsDeviceName(start, n)) return PathVerdict::DeviceName;
    if (*end == '\0') break;
    if (end[1] == '\0') return folder ? PathVerdict::Accepted : PathVerdict::NotFullPath;
    start = end + 1;
  }
  return PathVerdict::Accepted;
}

bool FoldedWithin(const char* path, const char* place, bool mayBeThePlace) {
  if (place[0] == '\0') return false;
  const size_t p = LengthWithoutTrailingBackslash(path), q = LengthWithoutTrailingBackslash(place);
  if (p < q || std::memcmp(path, place, q) != 0) return false;
  // The place ends on a whole character, so the byte after it in path
  // starts a character: a backslash there is a separator.
  if (p == q) return mayBeThePlace;
  return path[q] == '\\';
}

bool FoldedSame(const char* a, const char* b) {
  const size_t n = LengthWithoutTrailingBackslash(a);
  return n == LengthWithoutTrailingBackslash(b) && std::memcmp(a, b, n) == 0;
}
