#include "shared/log_records.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <new>

#include "platform/install_platform.h"
#include "platform/path_platform.h"
#include "shared/product_files.h"

namespace {

// Room for one section at first: the demo product's largest is about
// 14 KB; a product of 20,000 files needs over a megabyte, and the room is
// doubled until the section fits.
constexpr size_t FirstSectionCapacity = size_t(1) << 20;

// Record numbers beyond this are not Setup's (it numbers from 1 upwards).
constexpr long MaxRecordNumber = 1000000;

std::string Trimmed(const char* begin, const char* end) {
  while (begin < end && (*begin == ' ' || *begin == '\t')) begin++;
  while (end > begin && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\r')) end--;
  return std::string(begin, end);
}

// 0 when key is not a record number.
long RecordNumber(const std::string& key) {
  if (key.empty() || key.size() > 7 || key[0] == '0') return 0;
  long n = 0;
  for (char c : key) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n <= MaxRecordNumber ? n : 0;
}

}  // namespace

std::vector<std::string> RecordsOfSection(const char* text, int length) {
  std::map<long, std::string> numbered;
  const char* end = text + length;
  for (const char* line = text; line < end && *line != '\0';) {
    const char* lineEnd = static_cast<const char*>(std::memchr(line, '\0', size_t(end - line)));
    if (lineEnd == nullptr) lineEnd = end;
    const char* equals = static_cast<const char*>(std::memchr(line, '=', size_t(lineEnd - line)));
    if (equals != nullptr) {
      const long number = RecordNumber(Trimmed(line, equals));
      if (number > 0) numbered.emplace(number, Trimmed(equals + 1, lineEnd));
    }
    line = lineEnd + 1;
  }
  std::vector<std::string> records;
  records.reserve(numbered.size());
  for (auto& [number, value] : numbered) records.push_back(std::move(value));
  return records;
}

LogState ReadLogRecords(const char* path, LogRecords* records, size_t mostSectionBytes) {
  *records = LogRecords{};
  if (QueryPath(path) != PathKind::File) return LogState::Missing;
  struct {
    const char* name;
    std::vector<std::string>* records;
  } sections[] = {{DirsSection, &records->dirs},
                  {FilesSection, &records->files},
                  {FiltersSection, &records->filters}};
  for (auto& section : sections) {
    // The profile reader fills all but two bytes of the room when the
    // section did not fit: then it is read again into twice the room.
    for (size_t capacity = std::min(FirstSectionCapacity, mostSectionBytes);; capacity *= 2) {
      std::unique_ptr<char[]> text(new (std::nothrow) char[capacity]);
      const int used =
          text ? ReadProfileSection(section.name, text.get(), int(capacity), path) : int(capacity);
      if (used < int(capacity) - 2) {
        *section.records = RecordsOfSection(text.get(), std::max(used, 0));
        break;
      }
      if (capacity * 2 > mostSectionBytes) {
        *records = LogRecords{};
        return LogState::TooLarge;
      }
    }
  }
  return records->Empty() ? LogState::NoRecords : LogState::Read;
}
