// The uninstaller's log reader and path check under libFuzzer. The input's
// first line is the uninstaller's own path (which fixes the product's
// folder); the rest is a section of the log as the profile reader gives it.
// Every record is checked as a folder, a file and a filter against the
// places of that path and against a usual installation's; a record the
// check accepts must pass the plain test below, or the run stops.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "uninstall/log_records.h"
#include "uninstall/product_places.h"

namespace {

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  return s;
}

std::string WithoutTrailingBackslashes(std::string s) {
  while (!s.empty() && s.back() == '\\') s.pop_back();
  return s;
}

// The plain test, written apart from the check: a full path "X:\..." with
// no "." or ".." name, no "/", no second ":", no "\\" inside, that is the
// place or lies below it.
bool PlainlyInside(const std::string& path, const char* place, bool mayBeThePlace) {
  if (place[0] == '\0') return false;
  const std::string p = Upper(WithoutTrailingBackslashes(path));
  const std::string q = Upper(WithoutTrailingBackslashes(place));
  if (p.size() < 3 || p[1] != ':' || p[2] != '\\') return false;
  if (p.find('/') != std::string::npos || p.find(':', 2) != std::string::npos) return false;
  if (p.find("\\\\") != std::string::npos) return false;
  const std::string names = p + "\\";
  if (names.find("\\.\\") != std::string::npos || names.find("\\..\\") != std::string::npos)
    return false;
  if (p == q) return mayBeThePlace;
  return p.size() > q.size() && p.compare(0, q.size(), q) == 0 && p[q.size()] == '\\';
}

void CheckAgainst(const std::string& path, const ProductPlaces& places) {
  if (CheckRecordPath(path.c_str(), RecordKind::Folder, places) == PathVerdict::Accepted &&
      !PlainlyInside(path, places.destination, true) &&
      !PlainlyInside(path, places.programGroup, true))
    std::abort();
  if (CheckRecordPath(path.c_str(), RecordKind::File, places) == PathVerdict::Accepted &&
      !PlainlyInside(path, places.destination, false) &&
      !PlainlyInside(path, places.programGroup, false) &&
      !(places.desktopLink[0] != '\0' && Upper(path) == Upper(places.desktopLink)))
    std::abort();
  if (CheckRecordPath(path.c_str(), RecordKind::Filter, places) == PathVerdict::Accepted &&
      !PlainlyInside(path, places.destination, false))
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

  for (const std::string& record : RecordsOfSection(section, length)) {
    CheckAgainst(record, fuzzed);
    CheckAgainst(record, usual);
  }
  return 0;
}
