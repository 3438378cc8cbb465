#include "install/earlier_log.h"

#include <cstring>
#include <string>
#include <unordered_set>

#include "archive/archive_reader.h"
#include "install/uninstall_log.h"
#include "paths/canonical_path.h"
#include "paths/path_form.h"
#include "platform/path_platform.h"
#include "shared/log_records.h"
#include "shared/product_files.h"
#include "shared/text_buffers.h"

namespace {

LogRecords earlier;
std::unordered_set<std::string> earlierFolders, claimed;

// The folded form without trailing backslashes; empty when it does not fit.
std::string FolderKey(const char* path) {
  char folded[PathCapacity];
  if (!FoldedCopy(path, folded, sizeof folded)) return std::string();
  return std::string(folded, LengthWithoutTrailingBackslash(folded));
}

// The folded names, relative to the destination, of everything the archive
// makes there: each entry and every folder above one.
std::unordered_set<std::string> ProductNames(const EntryListNode* head) {
  std::unordered_set<std::string> names;
  for (const EntryListNode* node = head; node != nullptr; node = node->next) {
    const std::string name = FolderKey(node->name);
    if (name.empty()) continue;
    names.insert(name);
    for (const char* p = name.c_str(); *p != '\0'; p = NextCharacter(p))
      if (*p == '\\') names.insert(name.substr(0, size_t(p - name.c_str())));
  }
  return names;
}

// Whether the folded key lies below the folded place and names one of names
// there (the place itself when mayBeThePlace).
bool NamedBelow(const std::string& key, const std::string& place,
                const std::unordered_set<std::string>& names) {
  if (place.empty() || key.size() <= place.size() + 1 || key.compare(0, place.size(), place) != 0 ||
      key[place.size()] != '\\')
    return false;
  return names.count(key.substr(place.size() + 1)) != 0;
}

}  // namespace

void ReadEarlierLog(const char* log) {
  earlier = LogRecords{};
  earlierFolders.clear();
  claimed.clear();
  if (log[0] == '\0' || ReadLogRecords(log, &earlier) != LogState::Read) return;
  for (const std::string& folder : earlier.dirs) {
    const std::string key = FolderKey(folder.c_str());
    if (!key.empty()) earlierFolders.insert(key);
  }
}

bool ClaimEarlierFolder(const char* path) {
  if (earlierFolders.empty()) return false;
  const std::string key = FolderKey(path);
  return earlierFolders.count(key) != 0 && claimed.insert(key).second;
}

void ReleaseEarlierFolders() {
  claimed.clear();
}

void CarryEarlierRecords(const ProductPlacesOfRun& places, const EntryListNode* head,
                         UninstallLog* log) {
  if (earlier.Empty() || places.destination[0] == '\0') return;
  const std::string destination = FolderKey(places.destination);
  const std::string group = FolderKey(places.programGroup);
  const std::string desktopLink = FolderKey(places.desktopLink);
  std::unordered_set<std::string> names = ProductNames(head);
  std::unordered_set<std::string> filters;
  for (const char* filter : {ElecardDecoderFilter, ElecardLibraryFilter, TwinHanSourceFilter}) {
    char name[PathCapacity];
    if (CopyText(name, FiltersFolder, sizeof name) && AppendText(name, filter, sizeof name))
      filters.insert(FolderKey(name));
  }
  // The shortcuts are the program group's files and the desktop's one.
  auto isShortcut = [&](const std::string& key) {
    return (!group.empty() && key.size() > group.size() + 1 &&
            key.compare(0, group.size(), group) == 0 && key[group.size()] == '\\' &&
            key.find('\\', group.size() + 1) == std::string::npos) ||
           (!desktopLink.empty() && key == desktopLink);
  };
  auto isFolderOfProduct = [&](const std::string& key) {
    if (destination.empty()) return false;
    if (key == destination || key == group || NamedBelow(key, destination, names)) return true;
    // A folder above the destination, made by a run that found it missing.
    return key.size() + 1 < destination.size() && key.size() > 2 &&
           destination.compare(0, key.size(), key) == 0 && destination[key.size()] == '\\';
  };
  const struct {
    const char* section;
    const std::vector<std::string>& records;
    PathKind kind;
  } sections[] = {{DirsSection, earlier.dirs, PathKind::Folder},
                  {FilesSection, earlier.files, PathKind::File},
                  {FiltersSection, earlier.filters, PathKind::File}};
  // Each record as the earlier log lists it, a folder recorded more than
  // once included: a run over an installation with the same answers leaves
  // the same log.
  for (const auto& section : sections) {
    for (const std::string& record : section.records) {
      const std::string key = FolderKey(record.c_str());
      if (key.empty()) continue;
      bool product;
      if (section.kind == PathKind::Folder)
        product = isFolderOfProduct(key);
      else if (section.section == FiltersSection)
        product = NamedBelow(key, destination, filters);
      else
        product = NamedBelow(key, destination, names) || isShortcut(key);
      if (!product || QueryPath(record.c_str()) != section.kind) continue;
      log->Carry(record.c_str(), section.section);
    }
  }
}
