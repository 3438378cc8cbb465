#include "entry_names.h"

#include "code_page.h"

std::string DisplayName(const std::string& storedName) {
  return packer::Cp1251ToUtf8(storedName);
}

std::string Count(uint64_t n, const std::string& singular, const std::string& plural) {
  const std::string noun = n == 1 ? singular : plural.empty() ? singular + "s" : plural;
  return std::to_string(n) + " " + noun;
}
