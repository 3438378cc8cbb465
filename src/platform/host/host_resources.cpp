// Reads resources/setup.rc and the ids it uses, so that the stand-in's
// dialogs and strings are the program's own.
#include "platform/host/host_resources.h"

#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("host stand-in: cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// UTF-8 to code page 1251: Cyrillic letters, Ё and ё; other characters
// outside ASCII become '?', as the conversion of Windows does.
std::string ToCodePage1251(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = uint8_t(utf8[i]);
    if (c < 0x80) {
      out += char(c);
      i++;
      continue;
    }
    unsigned code = 0;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    code = c & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < utf8.size(); k++)
      code = (code << 6) | (utf8[i + k] & 0x3F);
    i += extra + 1;
    if (code >= 0x410 && code <= 0x44F)
      out += char(0xC0 + (code - 0x410));
    else if (code == 0x401)
      out += char(0xA8);
    else if (code == 0x451)
      out += char(0xB8);
    else
      out += '?';
  }
  return out;
}

// Splits a resource line into fields at commas outside quotes. A quoted
// text keeps its blanks and loses its quotes ("" stands for one quote);
// other fields are trimmed.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  bool isQuoted = false;
  auto finish = [&] {
    if (!isQuoted) {
      size_t a = field.find_first_not_of(" \t\r");
      size_t b = field.find_last_not_of(" \t\r");
      field = a == std::string::npos ? "" : field.substr(a, b - a + 1);
    }
    fields.push_back(field);
    field.clear();
    isQuoted = false;
  };
  for (size_t i = 0; i < line.size(); i++) {
    char c = line[i];
    if (c == '"') {
      isQuoted = true;
      field.clear();
      for (i++; i < line.size(); i++) {
        if (line[i] == '"' && i + 1 < line.size() && line[i + 1] == '"') {
          field += '"';
          i++;
        } else if (line[i] == '"') {
          break;
        } else {
          field += line[i];
        }
      }
    } else if (c == ',') {
      finish();
    } else if (!isQuoted) {
      field += c;
    }
  }
  finish();
  return fields;
}

struct Catalogue {
  std::map<std::string, int> names;
  std::map<int, HostDialog> dialogs;
  std::map<int, std::string> strings;

  int Number(const std::string& token) const {
    auto named = names.find(token);
    if (named != names.end()) return named->second;
    try {
      return std::stoi(token);
    } catch (...) {
      throw std::runtime_error("host stand-in: unknown id " + token + " in setup.rc");
    }
  }
};

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  size_t b = s.find_last_not_of(" \t\r");
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

std::string FirstWord(const std::string& line) {
  size_t end = line.find_first_of(" \t\"");
  return line.substr(0, end);
}

void ReadIds(const std::string& header, Catalogue& catalogue) {
  std::istringstream lines(ReadFile(header));
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string directive, name, value;
    if (words >> directive >> name >> value && directive == "#define") {
      catalogue.names[name] = std::stoi(value);
    }
  }
}

HostControl ReadControl(const std::string& keyword, const std::string& rest, const Catalogue& c,
                        int& group) {
  std::vector<std::string> f = Fields(rest);
  HostControl control;
  size_t first = 0;
  if (keyword == "EDITTEXT" || keyword == "COMBOBOX") {
    control.kind = keyword == "EDITTEXT" ? ControlKind::Edit : ControlKind::Combo;
    control.id = c.Number(f.at(0));
    first = 1;
  } else if (keyword == "CONTROL") {
    control.text = ToCodePage1251(f.at(0));
    control.id = c.Number(f.at(1));
    std::string className = f.at(2);
    control.kind = className == "SysListView32"       ? ControlKind::ListView
                   : className == "msctls_progress32" ? ControlKind::Progress
                                                      : ControlKind::Static;
    first = 3;
  } else {
    control.text = keyword == "ICON" ? "" : ToCodePage1251(f.at(0));
    control.id = c.Number(f.at(1));
    first = 2;
    if (keyword == "PUSHBUTTON" || keyword == "DEFPUSHBUTTON")
      control.kind = ControlKind::PushButton;
    else if (keyword == "AUTOCHECKBOX")
      control.kind = ControlKind::CheckBox;
    else if (keyword == "AUTORADIOBUTTON")
      control.kind = ControlKind::Radio;
    else
      control.kind = ControlKind::Static;
  }
  for (size_t i = first; i < f.size(); i++) {
    if (f[i].find("WS_GROUP") != std::string::npos) group++;
  }
  control.group = group;
  return control;
}

Catalogue ReadCatalogue() {
  Catalogue catalogue;
  ReadIds(ORBIVUE_SOURCE_DIR "/src/shared/resource_ids.h", catalogue);
  std::istringstream lines(ReadFile(ORBIVUE_SOURCE_DIR "/resources/setup.rc"));
  std::string line;
  enum { Outside, DialogHead, DialogBody, StringHead, StringBody } state = Outside;
  HostDialog* dialog = nullptr;
  int group = 0;
  while (std::getline(lines, line)) {
    std::string text = Trim(line);
    if (text.empty() || text.rfind("//", 0) == 0) continue;
    std::string word = FirstWord(text);
    switch (state) {
      case Outside: {
        std::istringstream words(text);
        std::string name, kind;
        words >> name >> kind;
        if (kind == "DIALOG") {
          int id = catalogue.Number(name);
          dialog = &catalogue.dialogs[id];
          dialog->resourceId = id;
          group = 0;
          state = DialogHead;
        } else if (name == "STRINGTABLE") {
          state = StringHead;
        }
        break;
      }
      case DialogHead:
        if (word == "CAPTION") {
          dialog->caption = ToCodePage1251(Fields(Trim(text.substr(7))).at(0));
        } else if (word == "BEGIN") {
          state = DialogBody;
        }
        break;
      case DialogBody:
        if (word == "END") {
          state = Outside;
        } else {
          dialog->controls.push_back(
              ReadControl(word, Trim(text.substr(word.size())), catalogue, group));
        }
        break;
      case StringHead:
        if (word == "BEGIN") state = StringBody;
        break;
      case StringBody:
        if (word == "END") {
          state = Outside;
        } else {
          catalogue.strings[catalogue.Number(word)] =
              ToCodePage1251(Fields(Trim(text.substr(word.size()))).at(0));
        }
        break;
    }
  }
  return catalogue;
}

const Catalogue& TheCatalogue() {
  static const Catalogue catalogue = ReadCatalogue();
  return catalogue;
}

}  // namespace

HostDialog DialogTemplate(int resourceId) {
  const auto& dialogs = TheCatalogue().dialogs;
  auto found = dialogs.find(resourceId);
  if (found == dialogs.end()) {
    throw std::runtime_error("host stand-in: no dialog " + std::to_string(resourceId));
  }
  return found->second;
}

bool FindResourceString(int id, std::string* text) {
  const auto& strings = TheCatalogue().strings;
  auto found = strings.find(id);
  if (found == strings.end()) return false;
  *text = found->second;
  return true;
}

std::string ResourceString(int id) {
  std::string text;
  if (!FindResourceString(id, &text)) {
    throw std::runtime_error("host stand-in: no string " + std::to_string(id));
  }
  return text;
}
