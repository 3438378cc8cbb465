// Names as the tool shows and writes them: the archive keeps code page 1251
// bytes, the build machine's names are UTF-8. Also the counted nouns of its
// messages.
#pragma once

#include <cstdint>
#include <string>

// An archive name in UTF-8, separators as stored.
std::string DisplayName(const std::string& storedName);

// "1 file", "2 files"; plural defaults to singular + "s".
std::string Count(uint64_t n, const std::string& singular, const std::string& plural = "");
