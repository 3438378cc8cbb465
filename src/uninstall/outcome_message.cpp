// The final message: what was removed, and what was left and why.
#include "uninstall/outcome_message.h"

#include <cstdio>

#include "uninstall/uninstall_texts.h"

namespace {

// Paths named per list; the rest are counted.
constexpr size_t MaxNamed = 12;

class MessageBuilder {
 public:
  MessageBuilder(bool russian, std::vector<std::string>* parts, std::vector<bool>* isPath)
      : russian_(russian), parts_(parts), isPath_(isPath) {}
  void Line(TextId id) { Add(std::string(Text(id, russian_)) + "\n", false); }
  void List(TextId heading, const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    Add("\n", false);
    Line(heading);
    for (size_t i = 0; i < paths.size() && i < MaxNamed; i++) {
      Add("    ", false);
      Add(paths[i], true);
      Add("\n", false);
    }
    if (paths.size() > MaxNamed) {
      char more[200];
      std::snprintf(more, sizeof more, Text(TextId::More, russian_), int(paths.size() - MaxNamed));
      Add(std::string("    ") + more + "\n", false);
    }
  }
  void Add(const std::string& text, bool path) {
    parts_->push_back(text);
    isPath_->push_back(path);
  }
  bool Russian() const { return russian_; }

 private:
  bool russian_;
  std::vector<std::string>* parts_;
  std::vector<bool>* isPath_;
};

}  // namespace

std::vector<std::string> OutcomeMessage(const UninstallOutcome& outcome, bool russian,
                                        std::vector<bool>* isPath) {
  std::vector<std::string> parts;
  isPath->clear();
  MessageBuilder m(russian, &parts, isPath);
  if (outcome.noRecordOurs) {
    m.Line(TextId::NoRecordOurs);
    m.Line(TextId::NothingRemoved);
  } else {
    m.Line(outcome.LeftOver() ? TextId::PartlyRemoved : TextId::AllRemoved);
  }
  if (outcome.noRecordOurs) {
    std::vector<std::string> refused;
    for (const RefusedRecord& r : outcome.refused) refused.push_back(r.section + ": " + r.path);
    m.List(TextId::Refused, refused);
    return parts;
  }
  char counts[200];
  std::snprintf(counts, sizeof counts, Text(TextId::RemovedCounts, russian), outcome.filesRemoved,
                outcome.foldersRemoved, outcome.filtersUnregistered);
  m.Add(std::string(counts) + "\n", false);
  if (outcome.entryRemoved)
    m.Line(TextId::EntryRemoved);
  else if (outcome.entryForeign)
    m.Line(TextId::EntryForeign);
  else if (outcome.LeftOver())
    m.Line(TextId::EntryKept);
  if (!outcome.LeftOver() && !outcome.programMoved) m.Line(TextId::AtRestart);
  m.List(TextId::FilesLeft, outcome.filesLeft);
  m.List(TextId::FiltersLeft, outcome.filtersLeft);
  m.List(TextId::Links, outcome.linksFound);
  m.List(TextId::FoldersKept, outcome.foldersKept);
  m.List(TextId::OthersKept, outcome.othersKept);
  std::vector<std::string> refused;
  for (const RefusedRecord& r : outcome.refused) refused.push_back(r.section + ": " + r.path);
  m.List(TextId::Refused, refused);
  return parts;
}
