#include "uninstall/product_places.h"

#include <cstring>
#include <string>

#include "paths/canonical_path.h"
#include "shared/log_records.h"
#include "shared/product_files.h"
#include "shared/text_buffers.h"

namespace {

// Copies a sound full folder path into place with one trailing backslash
// and then suffix, and its folded form into key; leaves both empty otherwise.
void SetPlace(char* place, char* key, const char* folder, size_t folderLength, const char* suffix) {
  place[0] = key[0] = '\0';
  char path[PathCapacity];
  if (folderLength + 1 >= sizeof path) return;
  std::memcpy(path, folder, folderLength);
  path[folderLength] = '\0';
  if (CheckPathForm(path, true) != PathVerdict::Accepted) return;
  if (!EndsWithBackslash(path) && !AppendText(path, "\\", sizeof path)) return;
  if (AppendText(path, suffix, sizeof path) && FoldedCopy(path, key, PathCapacity))
    CopyText(place, path, PathCapacity);
  else
    key[0] = '\0';
}

// The place's spelling of what lies below another spelling of it: place
// and then path's part after prefix (whose length is prefixLength).
bool Rebase(const char* path, size_t prefixLength, const char* place, char* out) {
  const char* rest = path + prefixLength;
  if (*rest == '\\') rest++;
  return CopyText(out, place, PathCapacity) && AppendText(out, rest, PathCapacity);
}

// The folded name below the destination of a filter file Setup registers.
bool FilterFileKey(const char* fileName, char* key, size_t capacity) {
  char name[PathCapacity];
  return CopyText(name, FiltersFolder, sizeof name) && AppendText(name, fileName, sizeof name) &&
         FoldedCopy(name, key, capacity);
}

bool IsFilterFile(const char* key, const char* destinationKey) {
  for (const char* file : {ElecardDecoderFilter, ElecardLibraryFilter, TwinHanSourceFilter}) {
    char name[PathCapacity];
    if (!FilterFileKey(file, name, sizeof name)) continue;
    const size_t d = std::strlen(destinationKey);
    if (std::strncmp(key, destinationKey, d) == 0 && std::strcmp(key + d, name) == 0) return true;
  }
  return false;
}

// A folder above the destination that Setup made because it was missing:
// key is an ancestor of the destination as logged (loggedKey), and the own
// folder has the same names below the corresponding ancestor, which is
// what out receives. Never a drive's root.
bool MapAncestor(const char* key, const char* loggedKey, const ProductPlaces& places, char* out) {
  if (!FoldedWithin(loggedKey, key, false)) return false;
  const size_t k = LengthWithoutTrailingBackslash(key);
  const size_t l = LengthWithoutTrailingBackslash(loggedKey);
  const size_t d = LengthWithoutTrailingBackslash(places.destinationKey);
  const size_t tail = l - k;  // the names below the ancestor, with their first "\"
  if (d <= tail + 2 || std::memcmp(places.destinationKey + d - tail, loggedKey + k, tail) != 0)
    return false;
  const size_t keep = d - tail;
  if (keep + 2 > size_t(PathCapacity)) return false;
  std::memcpy(out, places.destination, keep);
  out[keep] = '\\';
  out[keep + 1] = '\0';
  return true;
}

}  // namespace

bool LiesWithin(const char* path, const char* folder) {
  char a[PathCapacity], b[PathCapacity];
  return FoldedCopy(path, a, sizeof a) && FoldedCopy(folder, b, sizeof b) &&
         FoldedWithin(a, b, false);
}

bool SamePath(const char* a, const char* b) {
  char x[PathCapacity], y[PathCapacity];
  return FoldedCopy(a, x, sizeof x) && FoldedCopy(b, y, sizeof y) && FoldedSame(x, y);
}

PathVerdict CheckRecordPath(const char* path, RecordKind kind, const ProductPlaces& places,
                            CheckedRecord* checked) {
  const PathVerdict form = CheckPathForm(path, kind == RecordKind::Folder);
  if (form != PathVerdict::Accepted) return form;
  char key[PathCapacity];
  if (!FoldedCopy(path, key, sizeof key)) return PathVerdict::TooLong;
  CheckedRecord local;
  CheckedRecord& c = checked != nullptr ? *checked : local;
  const bool folder = kind == RecordKind::Folder;
  c.aboveDestination = false;
  const size_t destinationLength = std::strlen(places.destination);

  // Under the destination, as the own folder or as the log spells it.
  bool underDestination = false;
  if (FoldedWithin(key, places.destinationKey, folder)) {
    underDestination = CopyText(c.actOn, path, sizeof c.actOn);
  } else if (places.loggedKey[0] != '\0' && FoldedWithin(key, places.loggedKey, folder)) {
    if (!Rebase(path, LengthWithoutTrailingBackslash(places.loggedDestination), places.destination,
                c.actOn))
      return PathVerdict::TooLong;
    underDestination = true;
  }
  if (underDestination) {
    c.placeLength = destinationLength;
    if (kind != RecordKind::Filter) return PathVerdict::Accepted;
    char actKey[PathCapacity];
    if (!FoldedCopy(c.actOn, actKey, sizeof actKey)) return PathVerdict::TooLong;
    return IsFilterFile(actKey, places.destinationKey) ? PathVerdict::Accepted
                                                       : PathVerdict::NotAFilter;
  }
  if (kind == RecordKind::Filter) return PathVerdict::OutsideProduct;

  if (FoldedWithin(key, places.programGroupKey, folder)) {
    // The place is the Programs folder: the group's own folder may be a link.
    c.placeLength = std::strlen(places.programGroup) - std::strlen(ProgramGroupFolder);
    return CopyText(c.actOn, path, sizeof c.actOn) ? PathVerdict::Accepted : PathVerdict::TooLong;
  }
  if (!folder && places.desktopLinkKey[0] != '\0' && FoldedSame(key, places.desktopLinkKey)) {
    c.placeLength = std::strlen(places.desktopLink) - std::strlen(DesktopLinkName);
    return CopyText(c.actOn, path, sizeof c.actOn) ? PathVerdict::Accepted : PathVerdict::TooLong;
  }
  if (folder && places.destinationKey[0] != '\0') {
    const char* logged = places.loggedKey[0] != '\0' ? places.loggedKey : places.destinationKey;
    if (MapAncestor(key, logged, places, c.actOn)) {
      c.placeLength = std::strlen(c.actOn);  // nothing below it is acted on through it
      c.aboveDestination = true;
      return PathVerdict::Accepted;
    }
  }
  return PathVerdict::OutsideProduct;
}

void SetProductPlaces(ProductPlaces* places, const char* programPath, const char* programsFolder,
                      const char* desktopFolder) {
  places->loggedDestination[0] = places->loggedKey[0] = '\0';
  // The folder without its trailing backslashes ("c:\\x.exe"), found
  // character by character: the second byte of a two-byte character (code
  // page 932's 0x5C) is no backslash.
  char folder[PathCapacity];
  const char* slash = LastBackslash(programPath);
  size_t folderLength = slash == nullptr ? 0 : size_t(slash - programPath);
  if (folderLength >= sizeof folder) folderLength = 0;
  std::memcpy(folder, programPath, folderLength);
  folder[folderLength] = '\0';
  folderLength = LengthWithoutTrailingBackslash(folder);
  // A drive's root is nobody's product folder: "c:\" would make every path
  // of the drive the product's.
  if (folderLength > 2)
    SetPlace(places->destination, places->destinationKey, programPath, folderLength, "");
  else
    places->destination[0] = places->destinationKey[0] = '\0';
  SetPlace(places->programGroup, places->programGroupKey, programsFolder,
           LengthWithoutTrailingBackslash(programsFolder), ProgramGroupFolder);
  SetPlace(places->desktopLink, places->desktopLinkKey, desktopFolder,
           LengthWithoutTrailingBackslash(desktopFolder), DesktopLinkName);
}

void AnchorLoggedDestination(ProductPlaces* places, const LogRecords& records) {
  places->loggedDestination[0] = places->loggedKey[0] = '\0';
  if (places->destination[0] == '\0') return;
  char uninstaller[PathCapacity];
  if (!FoldedCopy(UninstallerName, uninstaller, sizeof uninstaller)) return;
  for (const std::string& file : records.files) {
    char key[PathCapacity];
    if (CheckPathForm(file.c_str(), false) != PathVerdict::Accepted ||
        !FoldedCopy(file.c_str(), key, sizeof key))
      continue;
    const char* slash = LastBackslash(key);
    if (slash == nullptr || std::strcmp(slash + 1, uninstaller) != 0) continue;
    const size_t folderLength = size_t(slash - key) + 1;  // with its backslash
    if (folderLength <= 3) continue;                      // a drive's root is never the destination
    char folderKey[PathCapacity];
    std::memcpy(folderKey, key, folderLength);
    folderKey[folderLength] = '\0';
    if (FoldedSame(folderKey, places->destinationKey)) return;  // the log spells the own folder
    bool recorded = false;
    for (const std::string& dir : records.dirs) {
      char dirKey[PathCapacity];
      recorded = FoldedCopy(dir.c_str(), dirKey, sizeof dirKey) && FoldedSame(dirKey, folderKey);
      if (recorded) break;
    }
    if (!recorded || places->loggedKey[0] != '\0') continue;  // the first such folder counts
    std::memcpy(places->loggedDestination, file.c_str(), folderLength);
    places->loggedDestination[folderLength] = '\0';
    std::memcpy(places->loggedKey, folderKey, folderLength + 1);
  }
}
