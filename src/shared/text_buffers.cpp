#include "shared/text_buffers.h"

#include <cstring>

#include "paths/path_form.h"

bool CopyText(char* buffer, const char* source, size_t capacity) {
  size_t length = std::strlen(source);
  if (length >= capacity) return false;
  std::memcpy(buffer, source, length + 1);
  return true;
}

bool AppendText(char* buffer, const char* source, size_t capacity) {
  size_t used = std::strlen(buffer);
  size_t length = std::strlen(source);
  if (used + length >= capacity) return false;
  std::memcpy(buffer + used, source, length + 1);
  return true;
}

bool EndsWithBackslash(const char* text) {
  // The second byte of a two-byte character may be a backslash's byte.
  const char* last = nullptr;
  for (const char* p = text; *p != '\0'; p = NextCharacter(p)) last = p;
  return last != nullptr && *last == '\\' && last[1] == '\0';
}
