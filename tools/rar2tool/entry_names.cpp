#include "entry_names.h"

#include <cstdio>

#include "code_page.h"

std::string DisplayName(const std::string& storedName) {
  return packer::Cp1251ToUtf8(storedName);
}

namespace {

// The length of the valid UTF-8 sequence at text[at], or 0.
size_t Utf8Length(const std::string& text, size_t at) {
  const uint8_t lead = uint8_t(text[at]);
  size_t length;
  uint32_t least;  // the smallest code point of that length: no overlong forms
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead < 0xE0) {
    length = 2;
    least = 0x80;
  } else if (lead >= 0xE0 && lead < 0xF0) {
    length = 3;
    least = 0x800;
  } else if (lead >= 0xF0 && lead < 0xF5) {
    length = 4;
    least = 0x10000;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  uint32_t code = lead & (0x7F >> length);
  for (size_t k = 1; k < length; k++) {
    const uint8_t next = uint8_t(text[at + k]);
    if ((next & 0xC0) != 0x80) return 0;
    code = code << 6 | (next & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return 0;
  return length;
}

}  // namespace

std::string PrintableText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const uint8_t c = uint8_t(text[at]);
    const size_t length = Utf8Length(text, at);
    if (length == 0 || c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
      at++;
    } else {
      out.append(text, at, length);
      at += length;
    }
  }
  return out;
}

std::string Count(uint64_t n, const std::string& singular, const std::string& plural) {
  const std::string noun = n == 1 ? singular : plural.empty() ? singular + "s" : plural;
  return std::to_string(n) + " " + noun;
}
