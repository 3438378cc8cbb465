#include "install/earlier_folders.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_set>

#include "paths/path_form.h"
#include "platform/install_platform.h"
#include "platform/path_platform.h"
#include "shared/product_files.h"
#include "shared/text_buffers.h"

namespace {

// Setup numbers a million records at most; a product has far fewer folders,
// and a count beyond this is not Setup's.
constexpr long MostEarlierFolders = 100000;

std::unordered_set<std::string> earlierFolders, claimed;

// The folded form without trailing backslashes.
std::string FolderKey(const char* path) {
  std::string key(path, LengthWithoutTrailingBackslash(path));
  FoldCase(&key[0]);
  return key;
}

}  // namespace

void ReadEarlierFolders(const char* log) {
  earlierFolders.clear();
  claimed.clear();
  if (log[0] == '\0') return;
  char count[16];
  ReadProfileValue(DirsSection, "count", "0", count, sizeof count, log);
  const long records = std::strtol(count, nullptr, 10);
  for (long i = 1; i <= records && i <= MostEarlierFolders; i++) {
    char key[24];
    std::snprintf(key, sizeof key, "%ld", i);
    char folder[PathBufferSize];
    ReadProfileValue(DirsSection, key, "", folder, sizeof folder, log);
    if (folder[0] != '\0') earlierFolders.insert(FolderKey(folder));
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
