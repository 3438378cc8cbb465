#include <cstring>

#include "archive/archive_reader.h"

namespace {

// Folds one name into its comparable form: separators and underscore alike,
// ASCII letters upper case, every other byte kept. Bounded by the buffer.
void FoldName(const char* name, char (&out)[512]) {
  size_t i = 0;
  for (; i < sizeof out - 1 && name[i] != '\0'; i++) {
    char c = name[i];
    if (c == '\\' || c == '/') c = '_';
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    out[i] = c;
  }
  out[i] = '\0';
}

}  // namespace

bool EntryNamesEqual(const char* a, const char* b) {
  char fa[512], fb[512];
  FoldName(a, fa);
  FoldName(b, fb);
  return std::strcmp(fa, fb) == 0;
}
