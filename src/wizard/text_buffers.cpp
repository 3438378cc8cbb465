#include "wizard/text_buffers.h"

#include <cstring>

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
  size_t length = std::strlen(text);
  return length > 0 && text[length - 1] == '\\';
}
