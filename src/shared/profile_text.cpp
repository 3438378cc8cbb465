#include "shared/profile_text.h"

#include <cstring>

namespace {

// A line of the text: [begin, end) without its line break, which runs to
// next (the following line's start).
struct Line {
  size_t begin, end, next;
};

bool NextLine(const std::string& text, size_t from, Line* line) {
  if (from >= text.size()) return false;
  size_t end = text.find('\n', from);
  const size_t next = end == std::string::npos ? text.size() : end + 1;
  if (end == std::string::npos) end = text.size();
  if (end > from && text[end - 1] == '\r') end--;
  *line = {from, end, next};
  return true;
}

bool Blank(char c) {
  return c == ' ' || c == '\t';
}

// [begin, end) without the blanks around it.
void Trim(const std::string& text, size_t* begin, size_t* end) {
  while (*begin < *end && Blank(text[*begin])) (*begin)++;
  while (*end > *begin && Blank(text[*end - 1])) (*end)--;
}

bool SameName(const std::string& text, size_t begin, size_t end, const char* name) {
  const size_t n = std::strlen(name);
  if (end - begin != n) return false;
  for (size_t i = 0; i < n; i++) {
    char a = text[begin + i], b = name[i];
    if (a >= 'a' && a <= 'z') a = char(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = char(b - 'a' + 'A');
    if (a != b) return false;
  }
  return true;
}

// Whether the line is a section header; its name's extent when it is.
bool SectionName(const std::string& text, const Line& line, size_t* begin, size_t* end) {
  size_t a = line.begin, b = line.end;
  Trim(text, &a, &b);
  if (b - a < 2 || text[a] != '[') return false;
  const size_t close = text.find(']', a);
  if (close == std::string::npos || close >= b) return false;
  *begin = a + 1;
  *end = close;
  Trim(text, begin, end);
  return true;
}

}  // namespace

bool SetProfileValue(std::string* text, const char* section, const char* key, const char* value) {
  std::string& t = *text;
  if (t.size() >= 2 && ((t[0] == '\xFF' && t[1] == '\xFE') || (t[0] == '\xFE' && t[1] == '\xFF')))
    return false;
  const std::string entry = std::string(key) + "=" + value;
  // A UTF-8 mark before the first line is no part of its name.
  const size_t start = t.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  bool inside = false;
  size_t insertAt = std::string::npos;  // after the section's last non-blank line
  Line line;
  for (size_t at = start; NextLine(t, at, &line); at = line.next) {
    size_t a, b;
    if (SectionName(t, line, &a, &b)) {
      if (inside) break;
      inside = SameName(t, a, b, section);
      if (inside) insertAt = line.next;
      continue;
    }
    if (!inside) continue;
    a = line.begin;
    b = line.end;
    Trim(t, &a, &b);
    if (a == b) continue;
    insertAt = line.next;
    const size_t equals = t.find('=', line.begin);
    if (equals == std::string::npos || equals >= line.end) continue;
    size_t keyEnd = equals;
    Trim(t, &a, &keyEnd);
    if (SameName(t, a, keyEnd, key)) {
      t.replace(a, line.end - a, std::string(t, a, keyEnd - a) + "=" + value);
      return true;
    }
  }
  // A last line without its break gets one before anything follows it.
  const auto breakLast = [&t] {
    if (!t.empty() && t.back() != '\n') t += "\r\n";
  };
  if (insertAt == std::string::npos) {
    breakLast();
    t += "[" + std::string(section) + "]\r\n" + entry + "\r\n";
  } else if (insertAt == t.size()) {
    breakLast();
    t += entry + "\r\n";
  } else {
    t.insert(insertAt, entry + "\r\n");
  }
  return true;
}
