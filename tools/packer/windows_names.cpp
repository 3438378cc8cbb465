#include "windows_names.h"

#include <cstring>
#include <map>

#include "code_page.h"

namespace packer {

namespace {

// Upper case of a code page 1251 byte, as Windows folds it.
unsigned char UpperCp1251(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0) return c - 32;  // а..я -> А..Я
  switch (c) {
    case 0x90:
      return 0x80;  // ђ
    case 0x83:
      return 0x81;  // ѓ
    case 0x9A:
      return 0x8A;  // љ
    case 0x9C:
      return 0x8C;  // њ
    case 0x9D:
      return 0x8D;  // ќ
    case 0x9E:
      return 0x8E;  // ћ
    case 0x9F:
      return 0x8F;  // џ
    case 0xA2:
      return 0xA1;  // ў
    case 0xBC:
      return 0xA3;  // ј
    case 0xB4:
      return 0xA5;  // ґ
    case 0xB8:
      return 0xA8;  // ё
    case 0xBA:
      return 0xAA;  // є
    case 0xBF:
      return 0xAF;  // ї
    case 0xB3:
      return 0xB2;  // і
    case 0xBE:
      return 0xBD;  // ѕ
    default:
      return c;
  }
}

bool IsReservedDevice(const std::string& component) {
  std::string stem = component.substr(0, component.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem) c = char(UpperCp1251(uint8_t(c)));
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
         stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

bool WindowsNameProblem(const std::string& component, std::string* why) {
  for (unsigned char c : component) {
    if (c < 0x20 || std::strchr("<>:\"|?*\\", c) != nullptr) {
      *why = "name has a character that Windows file names cannot hold";
      return false;
    }
  }
  if (IsReservedDevice(component)) {
    *why = "a reserved device name on Windows";
    return false;
  }
  if (!component.empty() && (component.back() == '.' || component.back() == ' ')) {
    *why = "name ends in a dot or a space, which Windows drops";
    return false;
  }
  return true;
}

std::string WindowsNameKey(const std::string& name) {
  std::string key, component;
  auto endComponent = [&]() {
    while (!component.empty() && (component.back() == '.' || component.back() == ' '))
      component.pop_back();
    key += component;
    component.clear();
  };
  for (char c : name) {
    if (c == '\\' || c == '/') {
      endComponent();
      key += '\\';
    } else {
      component += char(UpperCp1251(uint8_t(c)));
    }
  }
  endComponent();
  return key;
}

void NoteWindowsCollisions(const std::vector<PackItem>& items, std::vector<std::string>* problems) {
  std::map<std::string, const PackItem*> seen;
  for (const PackItem& item : items) {
    const auto [at, added] = seen.emplace(WindowsNameKey(item.name), &item);
    if (!added)
      problems->push_back("'" + Cp1251ToUtf8(at->second->name) + "' and '" +
                          Cp1251ToUtf8(item.name) + "' are one name on Windows");
  }
}

}  // namespace packer
