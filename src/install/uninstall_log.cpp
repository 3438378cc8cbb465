#include "install/uninstall_log.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <unordered_set>

#include "paths/canonical_path.h"
#include "paths/path_form.h"
#include "platform/install_platform.h"
#include "platform/path_platform.h"
#include "shared/product_files.h"
#include "shared/text_buffers.h"

UninstallLog uninstallLog;
uint64_t uninstallLogWriteCount = 0;
uint64_t uninstallLogByteCount = 0;

namespace {

void AppendLine(std::string* text, const char* key, const std::string& value) {
  text->append(key);
  text->push_back('=');
  text->append(value);
  text->append("\r\n");
}

}  // namespace

// The section and the path as the file system compares it.
std::string UninstallLog::Key(const Record& r) const {
  char folded[UninstallLogPathSize + 16];
  const char* own = ValueOf(r).c_str();
  const char* value = FoldedCopy(own, folded, sizeof folded) ? folded : own;
  return std::string(1, char('0' + r.section)) +
         std::string(value, LengthWithoutTrailingBackslash(value));
}

void UninstallLog::Reset(const char* folder) {
  place[0] = path[0] = next[0] = '\0';
  failed = stands = reserved = planning = planOnDisk = skippedOnDisk = false;
  sections.clear();
  carried.clear();
  records.clear();
  plan.clear();
  planNext = 0;
  if (!CopyText(place, folder, sizeof place) || !CopyText(path, folder, sizeof path) ||
      !AppendText(path, UninstallLogName, sizeof path) || !CopyText(next, path, sizeof next) ||
      !AppendText(next, NextVersionSuffix, sizeof next)) {
    place[0] = path[0] = next[0] = '\0';  // the wizard never lets such a folder through
    return;
  }
  DeleteFileIn(place, next, nullptr);
  // An earlier log is replaced like any later version of this run's.
  stands = QueryPath(path) != PathKind::Missing;
}

void UninstallLog::Carry(const char* value, const char* section) {
  if (path[0] != '\0') carried.push_back({SectionIndex(section), value});
}

uint8_t UninstallLog::SectionIndex(const char* section) {
  for (size_t i = 0; i < sections.size(); i++)
    if (sections[i] == section) return uint8_t(i);
  sections.emplace_back(section);
  return uint8_t(sections.size() - 1);
}

// As the profile functions write a file that they made section by section
// and key by key: each section's name in brackets where it was first used,
// its "count" (written before its first record), then its records; every
// line ends in CR LF, and nothing stands between the sections.
// A run's own record of a path carried already is left out.
void UninstallLog::Render(bool withPlan, const std::function<void(const std::string&)>& put) const {
  std::unordered_set<std::string> carriedKeys;
  for (const Record& r : carried) carriedKeys.insert(Key(r));
  auto listed = [&](const Record& r) { return carriedKeys.empty() || !carriedKeys.count(Key(r)); };
  std::vector<uint32_t> counts(sections.size(), 0);
  std::vector<uint8_t> order;
  auto note = [&](const Record& r) {
    if (counts[r.section]++ == 0) order.push_back(r.section);
  };
  for (const Record& r : carried) note(r);
  for (const Record& r : records)
    if (listed(r)) note(r);
  const size_t planFrom = withPlan ? planNext : plan.size();
  for (size_t i = planFrom; i < plan.size(); i++)
    if (listed(plan[i])) note(plan[i]);
  // Handed on a piece at a time: the log of a large product is most of
  // what an installation would hold at once.
  constexpr size_t PieceSize = 64 * 1024;
  std::string text;
  text.reserve(PieceSize + UninstallLogPathSize + 32);
  auto flushFull = [&] {
    if (text.size() < PieceSize) return;
    put(text);
    text.clear();
  };
  char number[16];
  for (uint8_t section : order) {
    text.push_back('[');
    text.append(sections[section]);
    text.append("]\r\n");
    std::snprintf(number, sizeof number, "%u", unsigned(counts[section]));
    AppendLine(&text, "count", number);
    uint32_t n = 0;
    auto line = [&](const Record& r) {
      if (r.section != section) return;
      std::snprintf(number, sizeof number, "%u", unsigned(++n));
      AppendLine(&text, number, ValueOf(r));
      flushFull();
    };
    for (const Record& r : carried) line(r);
    for (const Record& r : records)
      if (listed(r)) line(r);
    for (size_t i = planFrom; i < plan.size(); i++)
      if (listed(plan[i])) line(plan[i]);
  }
  if (!text.empty()) put(text);
}

bool UninstallLog::WriteVersion(const char* file, bool withPlan, uint64_t* size) const {
  *size = 0;
  FileBeingWritten written = StartFile(place, file, nullptr);
  if (written == nullptr) return false;
  Render(withPlan, [&](const std::string& piece) {
    WritePiece(written, reinterpret_cast<const uint8_t*>(piece.data()), uint32_t(piece.size()));
    *size += piece.size();
  });
  return EndFile(written, FileEnd::KeepOnDisk);
}

bool UninstallLog::PutVersion(bool withPlan) {
  uint64_t size = 0;
  bool put;
  if (!stands) {
    // Before this run's first version there is no log to lose (the reset
    // deleted it): written where it belongs, and deleted again when a full
    // disk cuts it short, so that no half log is ever left to be read.
    put = WriteVersion(path, withPlan, &size);
    if (!put) DeleteFileIn(place, path, nullptr);
  } else {
    put = WriteVersion(next, withPlan, &size) && PutFileInPlace(place, next, path, nullptr);
    if (!put) DeleteFileIn(place, next, nullptr);
    reserved = false;
  }
  if (!put) return false;
  stands = true;
  uninstallLogWriteCount++;
  uninstallLogByteCount += size;
  return true;
}

bool UninstallLog::AddRecord(const char* value, const char* section) {
  if (path[0] == '\0' || failed) return false;
  Record record{SectionIndex(section), value};
  if (planning) {
    plan.push_back(std::move(record));
    return true;
  }
  if (planOnDisk) {
    // Almost always the next planned record; a later one when the run
    // passed over some of its plan (those stay listed until the log ends).
    for (size_t i = planNext; i < plan.size(); i++) {
      if (plan[i].section != record.section || plan[i].value != record.value) continue;
      skippedOnDisk = skippedOnDisk || i != planNext;
      planNext = i + 1;
      records.push_back({record.section, std::string(), i});
      return true;
    }
  }
  records.push_back(std::move(record));
  if (PutVersion(planOnDisk)) {
    skippedOnDisk = false;
    return true;
  }
  records.pop_back();
  failed = true;
  return false;
}

void UninstallLog::TakeBackPlannedValues() {
  for (Record& r : records) {
    if (r.planned == OwnValue) continue;
    r.value = std::move(plan[r.planned].value);
    r.planned = OwnValue;
  }
}

void UninstallLog::BeginPlan() {
  TakeBackPlannedValues();
  plan.clear();
  planNext = 0;
  planOnDisk = skippedOnDisk = false;
  planning = true;
}

bool UninstallLog::WriteAhead() {
  planning = false;
  if (path[0] == '\0' || failed || plan.empty() || !PutVersion(true)) {
    TakeBackPlannedValues();
    plan.clear();
    return false;
  }
  planOnDisk = true;
  // The same bytes beside the log hold room for its exact version: on a disk
  // that fills up later, a smaller version is written over them (freed
  // first, then taken again) where no new file would fit.
  uint64_t size = 0;
  reserved = WriteVersion(next, true, &size);
  if (reserved) {
    uninstallLogWriteCount++;
    uninstallLogByteCount += size;
  } else {
    DeleteFileIn(place, next, nullptr);
  }
  return true;
}

bool UninstallLog::Settle() {
  const bool listsMore = planOnDisk && (planNext < plan.size() || skippedOnDisk);
  TakeBackPlannedValues();
  plan.clear();
  planNext = 0;
  planOnDisk = skippedOnDisk = false;
  if (listsMore) return PutVersion(false);
  if (reserved) DeleteFileIn(place, next, nullptr);
  reserved = false;
  return true;
}
