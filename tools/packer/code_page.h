// Entry names in code page 1251, the installer's ANSI code page: file names
// on the build machine are UTF-8. The conversion is glibc's iconv, both ways.
#pragma once

#include <string>

namespace packer {

// Converts a UTF-8 name to code page 1251. Returns false when the name is
// not valid UTF-8 (its bytes would be read as some other name) or when a
// character has no code page 1251 form.
bool Utf8ToCp1251(const std::string& utf8, std::string* cp1251);

// True when text is valid UTF-8.
bool IsUtf8(const std::string& text);

// The other way, for names written, listed and shown on the build machine.
// The code page's one unassigned byte (0x98) becomes '?'.
std::string Cp1251ToUtf8(const std::string& cp1251);

}  // namespace packer
