// Names as the tool shows and writes them: the archive keeps code page 1251
// bytes, the build machine's names are UTF-8. Also the counted nouns of its
// messages.
#pragma once

#include <cstdint>
#include <string>

// An archive name in UTF-8, separators as stored.
std::string DisplayName(const std::string& storedName);

// Text made safe for one line of output: control characters (a newline, an
// escape sequence) and bytes that are not UTF-8 become \xNN, so that a
// hostile name can neither split a line nor drive the terminal.
std::string PrintableText(const std::string& text);

// "1 file", "2 files"; plural defaults to singular + "s".
std::string Count(uint64_t n, const std::string& singular, const std::string& plural = "");
