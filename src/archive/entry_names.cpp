#include <cstring>

#include "archive/archive_reader.h"
#include "archive/block_format.h"
#include "archive/solid_progress.h"

namespace {

// Folds one name into its comparable form, bounded by the buffer.
void FoldName(const char* name, char (&out)[512]) {
  size_t i = 0;
  for (; i < sizeof out - 1 && name[i] != '\0'; i++) out[i] = FoldEntryNameChar(name[i]);
  out[i] = '\0';
}

}  // namespace

bool EntryNamesEqual(const char* a, const char* b) {
  char fa[512], fb[512];
  FoldName(a, fa);
  FoldName(b, fb);
  return std::strcmp(fa, fb) == 0;
}

std::string FoldedEntryName(const char* name) {
  char folded[512];
  FoldName(name, folded);
  return folded;
}
