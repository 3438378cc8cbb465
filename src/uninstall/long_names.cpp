#include "uninstall/long_names.h"

#include <vector>

#include "paths/canonical_path.h"
#include "paths/path_form.h"
#include "platform/uninstall_platform.h"

namespace {

std::string Folded(const std::string& text) {
  char key[PathCapacity];
  return FoldedCopy(text.c_str(), key, sizeof key) ? std::string(key) : std::string();
}

}  // namespace

const LongNames::Listing& LongNames::ListingOf(const std::string& folder) {
  const std::string key = Folded(folder);
  auto known = listings_.find(key);
  if (known != listings_.end()) return known->second;
  Listing& listing = listings_[key];
  std::vector<FolderName> names;
  if (ListFolder(folder.c_str(), &names)) {
    // Own names first: an alias never hides a name.
    for (const FolderName& n : names) listing.emplace(Folded(n.name), n.name);
    for (const FolderName& n : names)
      if (!n.shortName.empty()) listing.emplace(Folded(n.shortName), n.name);
  }
  return listing;
}

std::string LongNames::Of(const std::string& path, bool folder) {
  // Only a full path "X:\..." is walked; anything else is no record of a
  // place of the product and stays as it is.
  if (path.size() < 4 || path[1] != ':' || path[2] != '\\') return path;
  std::string longForm = path.substr(0, 3);
  const char* text = path.c_str();
  for (const char* start = text + 3; *start != '\0';) {
    const char* last;
    const char* end = EndOfName(start, &last);
    const std::string name(start, size_t(end - start));
    if (name.empty() || name == "." || name == "..") return path;
    const Listing& listing = ListingOf(longForm);
    const auto found = listing.find(Folded(name));
    if (found == listing.end()) return path;  // not there: nothing to spell
    longForm += found->second;
    if (*end == '\0') break;
    longForm += '\\';
    start = end + 1;
  }
  return CheckPathForm(longForm.c_str(), folder) == PathVerdict::Accepted ? longForm : path;
}
