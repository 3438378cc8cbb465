#include "uninstall/product_places.h"

#include <cstring>
#include <initializer_list>

#include "wizard/text_buffers.h"

namespace {

char Folded(char c) {
  return c >= 'a' && c <= 'z' ? char(c - 32) : c;
}

size_t LengthWithoutTrailingBackslash(const char* path) {
  size_t n = std::strlen(path);
  while (n > 0 && path[n - 1] == '\\') n--;
  return n;
}

bool SameStart(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; i++)
    if (Folded(a[i]) != Folded(b[i])) return false;
  return true;
}

// path is place itself, or lies below it (whole names compared).
bool IsWithin(const char* path, const char* place, bool mayBeThePlace) {
  if (place[0] == '\0') return false;
  const size_t p = LengthWithoutTrailingBackslash(path), q = LengthWithoutTrailingBackslash(place);
  if (p == q) return mayBeThePlace && SameStart(path, place, q);
  return p > q && path[q] == '\\' && SameStart(path, place, q);
}

bool IsDeviceName(const char* name, size_t length) {
  size_t base = 0;
  while (base < length && name[base] != '.') base++;
  char upper[5] = {};
  if (base < 3 || base > 4) return false;
  for (size_t i = 0; i < base; i++) upper[i] = Folded(name[i]);
  for (const char* device : {"CON", "PRN", "AUX", "NUL"})
    if (std::strcmp(upper, device) == 0) return true;
  return base == 4 && (std::strncmp(upper, "COM", 3) == 0 || std::strncmp(upper, "LPT", 3) == 0) &&
         upper[3] >= '1' && upper[3] <= '9';
}

// The form alone: "X:\" then names separated by single backslashes, with at
// most one trailing backslash for a folder.
PathVerdict CheckForm(const char* path, bool folder) {
  const size_t length = std::strlen(path);
  if (length == 0) return PathVerdict::Empty;
  if (length >= size_t(PathCapacity)) return PathVerdict::TooLong;
  const char drive = Folded(path[0]);
  if (length < 3 || drive < 'A' || drive > 'Z' || path[1] != ':' || path[2] != '\\')
    return PathVerdict::NotFullPath;
  for (size_t i = 0; i < length; i++) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (c == '/') return PathVerdict::NotFullPath;
    if (c < 32 || std::strchr("<>\"|?*", c) != nullptr || (c == ':' && i != 1))
      return PathVerdict::BadCharacter;
  }
  size_t start = 3;
  if (start == length) return folder ? PathVerdict::Accepted : PathVerdict::NotFullPath;
  while (start < length) {
    size_t end = start;
    while (end < length && path[end] != '\\') end++;
    const size_t n = end - start;
    const char* name = path + start;
    if (n == 0) return PathVerdict::NotFullPath;  // "\\" inside the path
    if (n > 255) return PathVerdict::TooLong;
    if (name[n - 1] == '.' || name[n - 1] == ' ') return PathVerdict::DotName;
    if (IsDeviceName(name, n)) return PathVerdict::DeviceName;
    if (end + 1 == length && !folder) return PathVerdict::NotFullPath;  // a file ends in a name
    start = end + 1;
  }
  return PathVerdict::Accepted;
}

// Copies a sound full folder path into place with one trailing backslash
// and then suffix; leaves place empty otherwise.
void SetPlace(char* place, const char* folder, size_t folderLength, const char* suffix) {
  place[0] = '\0';
  char path[PathCapacity];
  if (folderLength + 1 >= sizeof path) return;
  std::memcpy(path, folder, folderLength);
  path[folderLength] = '\0';
  if (CheckForm(path, true) != PathVerdict::Accepted) return;
  if (!EndsWithBackslash(path) && !AppendText(path, "\\", sizeof path)) return;
  if (AppendText(path, suffix, sizeof path)) CopyText(place, path, PathCapacity);
}

}  // namespace

bool LiesWithin(const char* path, const char* folder) {
  return IsWithin(path, folder, false);
}

bool SamePath(const char* a, const char* b) {
  const size_t n = LengthWithoutTrailingBackslash(a);
  return n == LengthWithoutTrailingBackslash(b) && SameStart(a, b, n);
}

PathVerdict CheckRecordPath(const char* path, RecordKind kind, const ProductPlaces& places) {
  const PathVerdict form = CheckForm(path, kind == RecordKind::Folder);
  if (form != PathVerdict::Accepted) return form;
  bool inside = false;
  switch (kind) {
    case RecordKind::Folder:
      inside =
          IsWithin(path, places.destination, true) || IsWithin(path, places.programGroup, true);
      break;
    case RecordKind::File:
      inside = IsWithin(path, places.destination, false) ||
               IsWithin(path, places.programGroup, false) ||
               (places.desktopLink[0] != '\0' && SamePath(path, places.desktopLink));
      break;
    case RecordKind::Filter:
      inside = IsWithin(path, places.destination, false);
      break;
  }
  return inside ? PathVerdict::Accepted : PathVerdict::OutsideProduct;
}

void SetProductPlaces(ProductPlaces* places, const char* programPath, const char* programsFolder,
                      const char* desktopFolder) {
  const char* slash = std::strrchr(programPath, '\\');
  size_t folderLength = slash == nullptr ? 0 : size_t(slash - programPath);
  while (folderLength > 0 && programPath[folderLength - 1] == '\\') folderLength--;  // "c:\\x.exe"
  // A drive's root is nobody's product folder: "c:\" would make every path
  // of the drive the product's.
  if (folderLength > 2)
    SetPlace(places->destination, programPath, folderLength, "");
  else
    places->destination[0] = '\0';
  SetPlace(places->programGroup, programsFolder, LengthWithoutTrailingBackslash(programsFolder),
           "Orbivue\\");
  SetPlace(places->desktopLink, desktopFolder, LengthWithoutTrailingBackslash(desktopFolder),
           "Orbivue.lnk");
}
