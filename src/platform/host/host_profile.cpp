// Profile (INI) files on the host, as Windows reads and writes them: the
// file, a missing section or a missing key made as needed, a value replaced
// in place, and the whole file written anew by every write.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/host/host_machine_model.h"
#include "platform/host/host_system.h"
#include "platform/install_platform.h"
#include "shared/profile_text.h"
#include "shared/text_buffers.h"

namespace {

// Profile file model: a list of lines, looked up the way Windows does.
struct ProfileFile {
  std::vector<std::string> lines;

  static std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
  }
  static bool IsSection(const std::string& line, std::string* name) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t[0] != '[') return false;
    const size_t end = t.find(']');
    if (end == std::string::npos) return false;
    *name = Trim(t.substr(1, end - 1));
    return true;
  }
  static bool KeyOf(const std::string& line, std::string* key, std::string* value) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    *key = Trim(line.substr(0, eq));
    *value = Trim(line.substr(eq + 1));
    return true;
  }
  // [first, last) line range of the section's body; false when missing.
  bool FindSection(const std::string& section, size_t* first, size_t* last) const {
    for (size_t i = 0; i < lines.size(); i++) {
      std::string name;
      if (IsSection(lines[i], &name) && HostUpper(name) == HostUpper(section)) {
        size_t j = i + 1;
        while (j < lines.size() && !IsSection(lines[j], &name)) j++;
        *first = i + 1;
        *last = j;
        return true;
      }
    }
    return false;
  }
};

bool LoadProfile(const std::string& real, ProfileFile* file) {
  std::ifstream in(real, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    file->lines.push_back(line);
  }
  return true;
}

bool SaveProfile(const std::string& real, const std::string& text) {
  return IsFolder(ParentOf(real)) && WriteAsFarAsItFits(real, text);
}

// Whether a value read back is the one written, as the profile functions
// hand values back: without the blanks around it, and without one pair of
// enclosing quotes.
bool ReadsBackAs(const char* stored, const char* value) {
  while (*value == ' ' || *value == '\t') value++;
  size_t n = std::strlen(value);
  while (n > 0 && (value[n - 1] == ' ' || value[n - 1] == '\t')) n--;
  if (std::strlen(stored) == n && std::strncmp(stored, value, n) == 0) return true;
  return n >= 2 && (value[0] == '"' || value[0] == '\'') && value[n - 1] == value[0] &&
         std::strlen(stored) == n - 2 && std::strncmp(stored, value + 1, n - 2) == 0;
}

}  // namespace

int ReadProfileSection(const char* section, char* out, int capacity, const char* file) {
  // Lines of the section, as Windows gives them: "key=value", without
  // comments and blank lines; a section name is matched without case.
  std::ifstream in(HostPath(file, true), std::ios::binary);
  std::string line, body;
  bool inside = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == ';') continue;
    if (line[first] == '[') {
      const size_t end = line.find(']', first);
      inside = end != std::string::npos &&
               HostUpper(line.substr(first + 1, end - first - 1)) == HostUpper(section);
      continue;
    }
    if (inside) body += line.substr(first) + '\0';
  }
  if (capacity < 2) return 0;
  if (int(body.size()) > capacity - 2) {  // cut as Windows does: the last text may be partial
    body.resize(size_t(capacity - 2));
  }
  std::memcpy(out, body.data(), body.size());
  out[body.size()] = '\0';
  out[body.size() + 1] = '\0';
  return int(body.size());
}

void ReadProfileValue(const char* section, const char* key, const char* def, char* out,
                      int capacity, const char* file) {
  ProfileFile p;
  std::string value = def;
  size_t first, last;
  if (LoadProfile(HostPath(file, true), &p) && p.FindSection(section, &first, &last)) {
    for (size_t i = first; i < last; i++) {
      std::string k, v;
      if (ProfileFile::KeyOf(p.lines[i], &k, &v) && HostUpper(k) == HostUpper(key)) {
        value = v;
        break;
      }
    }
  }
  if (capacity <= 0) return;
  const size_t n = std::min(value.size(), size_t(capacity - 1));
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
}

bool WriteProfileValue(const char* section, const char* key, const char* value, const char* file) {
  const Change change = NextChange();
  if (change == Change::AfterTheEnd) return false;
  const std::string real = HostPath(file, true);
  if (change == Change::Interrupted) {
    // Windows writes the whole file anew: killed in between, it is empty.
    SaveProfile(real, "");
    return false;
  }
  std::string text;
  std::ifstream in(real, std::ios::binary);
  if (in) text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return SetProfileValue(&text, section, key, value) && SaveProfile(real, text);
}

bool WriteProfileValues(const char* place, const char* file, const ProfileValue* values, int count,
                        char* link) {
  // Written in the file itself: the copy and its rename that the Windows
  // side adds change nothing the tests look at but the link it stops at.
  if (StopsAtLink(place, file, link)) return false;
  bool whole = true;
  for (int i = 0; i < count; i++)
    whole = WriteProfileValue(values[i].section, values[i].key, values[i].value, file) && whole;
  // Each write puts the whole file anew, so a later one that the disk cut
  // short can lose a key an earlier one wrote: each is read back at the
  // end. A line break can't be a value, so it marks a missing key.
  char stored[PathBufferSize + 16];
  for (int i = 0; whole && i < count; i++) {
    ReadProfileValue(values[i].section, values[i].key, "\n", stored, sizeof stored, file);
    whole = ReadsBackAs(stored, values[i].value);
  }
  return whole;
}
