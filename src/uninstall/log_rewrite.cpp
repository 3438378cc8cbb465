#include "uninstall/log_rewrite.h"

#include <cstdint>
#include <string>

#include "paths/path_form.h"
#include "platform/install_platform.h"
#include "platform/uninstall_platform.h"
#include "shared/product_files.h"
#include "shared/text_buffers.h"

namespace {

void AddSection(std::string* text, const char* name, const std::vector<std::string>& records) {
  if (records.empty()) return;
  *text += std::string("[") + name + "]\r\ncount=" + std::to_string(records.size()) + "\r\n";
  for (size_t i = 0; i < records.size(); i++)
    *text += std::to_string(i + 1) + "=" + records[i] + "\r\n";
}

}  // namespace

void RewriteLog(const char* place, const char* logPath, const LogRecords& records) {
  char fresh[PathCapacity];
  if (!CopyText(fresh, logPath, sizeof fresh) ||
      !AppendText(fresh, NextVersionSuffix, sizeof fresh))
    return;
  std::string text;
  AddSection(&text, DirsSection, records.dirs);
  AddSection(&text, FilesSection, records.files);
  AddSection(&text, FiltersSection, records.filters);
  if (QueryPath(fresh) == PathKind::File) RemoveFile(place, fresh, nullptr);
  if (QueryPath(fresh) != PathKind::Missing)
    return;  // a link or a folder in the way: the old log stays
  if (!WriteWholeFile(place, fresh, reinterpret_cast<const uint8_t*>(text.data()),
                      uint32_t(text.size()), nullptr) ||
      !PutFileInPlace(place, fresh, logPath, nullptr))
    RemoveFile(place, fresh, nullptr);  // the old log still lists more
}
