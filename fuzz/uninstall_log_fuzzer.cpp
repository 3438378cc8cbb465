// The uninstaller's log reader and path check, and Setup's canonical form
// of a destination, under libFuzzer. The input's first byte chooses the
// ANSI code page (1251, or 932 with its two-byte characters); its first
// line is the uninstaller's own path (which fixes the product's folder);
// the rest is a section of the log as the profile reader gives it. Every
// record is checked as a folder, a file and a filter against the places of
// that path and against a usual installation's: where the check accepts a
// record, the path it acts on must pass the plain test below, or the run
// stops. The first line is also made a destination: a canonical one is a
// sound folder below a drive's root, and canonical again as it stands.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "paths/canonical_path.h"
#include "platform/host/host_system.h"
#include "platform/path_platform.h"
#include "shared/log_records.h"
#include "uninstall/product_places.h"

namespace {

std::string Upper(std::string s) {
  std::vector<char> text(s.begin(), s.end());
  text.push_back('\0');
  FoldCase(text.data());
  return text.data();
}

// The names of a path, split at the backslashes that are characters of
// their own (a two-byte character's second byte may be 0x5C).
std::vector<std::string> Names(const std::string& path) {
  std::vector<std::string> names(1);
  for (size_t i = 0; i < path.size(); i++) {
    if (IsLeadByte(static_cast<uint8_t>(path[i])) && i + 1 < path.size()) {
      names.back() += path.substr(i++, 2);
    } else if (path[i] == '\\') {
      names.emplace_back();
    } else {
      names.back() += path[i];
    }
  }
  while (names.size() > 1 && names.back().empty()) names.pop_back();  // trailing backslashes
  return names;
}

// The plain test, written apart from the check: a full path "X:\..." with
// no "." or ".." name, no empty name inside, no "/" or second ":", whose
// names are the place's and then more (or exactly the place's).
bool PlainlyInside(const std::string& path, const char* place, bool mayBeThePlace) {
  if (place[0] == '\0') return false;
  const std::vector<std::string> p = Names(Upper(path)), q = Names(Upper(place));
  if (p[0].size() != 2 || p[0][1] != ':' || p.size() < 2) return false;
  for (size_t i = 1; i < p.size(); i++) {
    const std::string& n = p[i];
    if (n.empty() || n == "." || n == ".." || n.find('/') != std::string::npos ||
        n.find(':') != std::string::npos)
      return false;
  }
  if (p.size() < q.size() || !std::equal(q.begin(), q.end(), p.begin())) return false;
  return p.size() > q.size() || mayBeThePlace;
}

// A folder above the destination, not a drive's root.
bool PlainlyAbove(const std::string& path, const char* destination) {
  return Names(path).size() > 1 && PlainlyInside(destination, path.c_str(), false);
}

void CheckAgainst(const std::string& path, const ProductPlaces& places) {
  CheckedRecord c;
  if (CheckRecordPath(path.c_str(), RecordKind::Folder, places, &c) == PathVerdict::Accepted &&
      !PlainlyInside(c.actOn, places.destination, true) &&
      !PlainlyInside(c.actOn, places.programGroup, true) &&
      !PlainlyAbove(c.actOn, places.destination))
    std::abort();
  if (CheckRecordPath(path.c_str(), RecordKind::File, places, &c) == PathVerdict::Accepted &&
      !PlainlyInside(c.actOn, places.destination, false) &&
      !PlainlyInside(c.actOn, places.programGroup, false) &&
      !(places.desktopLink[0] != '\0' && Upper(c.actOn) == Upper(places.desktopLink)))
    std::abort();
  if (CheckRecordPath(path.c_str(), RecordKind::Filter, places, &c) == PathVerdict::Accepted &&
      !PlainlyInside(c.actOn, places.destination, false))
    std::abort();
}

void CheckDestination(const std::string& typed) {
  char canonical[PathCapacity], again[PathCapacity];
  if (CanonicalDestination(typed.c_str(), canonical, sizeof canonical) != PathVerdict::Accepted)
    return;
  const size_t n = std::strlen(canonical);
  if (n <= 3 || canonical[n - 1] != '\\' || !PlainlyInside(canonical, canonical, true) ||
      CheckPathForm(canonical, true) != PathVerdict::Accepted)
    std::abort();
  if (CanonicalDestination(canonical, again, sizeof again) != PathVerdict::Accepted ||
      std::strcmp(canonical, again) != 0)
    std::abort();
}

// Places themselves must be sound full paths (or empty); folders end in "\".
void CheckPlace(const char* place, bool folder) {
  if (place[0] == '\0') return;
  const size_t n = std::strlen(place);
  if (n >= size_t(PathCapacity) || (folder && place[n - 1] != '\\')) std::abort();
  if (!PlainlyInside(place, place, true)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  hostSystem.codePage = (data[0] & 1) != 0 ? 932 : 1251;
  data++;
  size--;
  const char* text = reinterpret_cast<const char*>(data);
  const char* newline = static_cast<const char*>(std::memchr(text, '\n', size));
  const size_t head = newline == nullptr ? 0 : size_t(newline - text);
  const std::string program(text, head);
  const char* section = newline == nullptr ? text : newline + 1;
  const int length = int(size - (newline == nullptr ? 0 : head + 1));

  ProductPlaces fuzzed, usual;
  SetProductPlaces(&fuzzed, program.c_str(), "C:\\users\\test\\Start Menu\\Programs",
                   "C:\\users\\test\\Desktop");
  SetProductPlaces(&usual, "C:\\Program Files\\Orbivue\\Uninstall.exe",
                   "C:\\users\\test\\Start Menu\\Programs", "C:\\users\\test\\Desktop");
  CheckPlace(fuzzed.destination, true);
  CheckPlace(fuzzed.programGroup, true);
  CheckPlace(fuzzed.desktopLink, false);
  if (std::strlen(fuzzed.destination) == 3) std::abort();  // a drive's root is never one

  CheckDestination(program);
  LogRecords records;
  records.files = RecordsOfSection(section, length);
  records.dirs = records.files;
  AnchorLoggedDestination(&fuzzed, records);
  for (const std::string& record : records.files) {
    CheckAgainst(record, fuzzed);
    CheckAgainst(record, usual);
  }
  return 0;
}
