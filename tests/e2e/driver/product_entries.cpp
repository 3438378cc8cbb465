#include "product_entries.h"

#include <windows.h>

bool ReadProductEntries(const std::wstring& path, std::vector<ProductEntry>* entries,
                        std::string* error) {
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = "cannot open the list of entries";
    return false;
  }
  std::string text;
  char chunk[65536];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) text.append(chunk, read);
  CloseHandle(file);
  entries->clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.compare(0, 4, "dir ") == 0 && line.size() > 4) {
      entries->push_back({true, line.substr(4)});
    } else if (line.compare(0, 5, "file ") == 0 && line.size() > 5) {
      entries->push_back({false, line.substr(5)});
    } else {
      *error = "not an entry: \"" + line + "\"";
      return false;
    }
  }
  if (entries->empty()) *error = "the list of entries is empty";
  return !entries->empty();
}

long IndexOfEntry(const std::vector<ProductEntry>& entries, const std::string& name) {
  for (size_t i = 0; i < entries.size(); i++)
    if (entries[i].name == name) return long(i);
  return -1;
}
