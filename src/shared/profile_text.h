// A profile (INI) file's text edited in memory as the system's profile
// functions edit the file: so that a file can be written whole through a
// handle Setup holds instead of by name.
#pragma once

#include <string>

// Sets key in section of the profile text: an existing key (names matched
// without regard to case, blanks around them ignored) gets the value in
// place under its stored spelling; a missing key goes after the last
// non-blank line of its section; a missing section, with the key, goes at
// the end. Every other byte stays as it was; new lines end in CR LF. False,
// with the text unchanged, for a text in UTF-16, which the profile
// functions would read as such.
bool SetProfileValue(std::string* text, const char* section, const char* key, const char* value);
