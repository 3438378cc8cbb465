// The uninstall record: Uninstall.ini with numbered records under "Dirs",
// "Files" and "Filters".
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr int UninstallLogPathSize = 288;

// The log is written whole, never in place once it stands: each later
// version goes to "Uninstall.ini.new" beside it and is then put in its
// place, so that a process ended at any moment leaves a whole log that lists
// everything made so far. To keep the cost of a run linear in its records, the run first
// plans them: the records it expects to add, in order, go into the log ahead
// of what they name in one version; each record then added as planned costs
// nothing, and the exact log (the records added, numbered as they came) is
// put in place once more only when the run ends short of its plan. A kill
// may therefore leave records of things not made yet; the uninstaller passes
// over what is not there.
// An earlier installation's log in the folder stays until the first version
// of this run's takes its place, and that version, like every later one,
// lists the earlier records carried into it: a run over an installation
// never loses a record, wherever it stops.
class UninstallLog {
 public:
  // Starts this run's log in folder (which ends in a backslash, or is
  // empty): deletes a next version a killed run left beside the log, and
  // keeps the log itself until this run's first version replaces it.
  void Reset(const char* folder);
  // A record of an earlier installation that this run's log keeps, ahead of
  // the run's own records: what it names stays the product's whether or not
  // this run makes it again. The run's own record of the same path is then
  // not listed a second time. Carried before the first version is written.
  void Carry(const char* value, const char* section);
  // Appends one record: value under the next number of section. Before it
  // returns true the log on disk lists the record. False when it could not
  // be written (a full disk): the log then stays as it was, and what the
  // record names must not be made. After one such record every later one
  // is refused too, so that the log never skips one.
  bool AddRecord(const char* value, const char* section);
  // Between BeginPlan and WriteAhead, AddRecord only notes the records the
  // run expects to add; WriteAhead puts them into the log in one version.
  // When that version can't be written, every record goes in on its own.
  void BeginPlan();
  bool WriteAhead();
  // Ends the run's log: when the log on disk lists planned records that were
  // never added, the exact log is put in its place. False when that version
  // could not be written (the log then lists more than was made, which the
  // uninstaller passes over).
  bool Settle();
  bool Whole() const { return !failed; }
  const char* Path() const { return path; }

 private:
  // A record the run added as planned keeps no copy of its value: it names
  // the planned record, until the plan goes.
  static constexpr size_t OwnValue = size_t(-1);
  struct Record {
    uint8_t section;
    std::string value;
    size_t planned = OwnValue;  // the plan's record that holds the value
  };
  uint8_t SectionIndex(const char* section);
  const std::string& ValueOf(const Record& r) const {
    return r.planned == OwnValue ? r.value : plan[r.planned].value;
  }
  // Gives the records that name planned ones their values back, before the
  // plan goes.
  void TakeBackPlannedValues();
  std::string Key(const Record& r) const;
  // The log's text: the records carried, those added, then (withPlan)
  // those planned and not added yet, each section numbered from 1 in order
  // of first use.
  void Render(bool withPlan, const std::function<void(const std::string&)>& put) const;
  // Writes the text into file below the log's folder, flushed; size
  // receives its bytes.
  bool WriteVersion(const char* file, bool withPlan, uint64_t* size) const;
  bool PutVersion(bool withPlan);

  char place[UninstallLogPathSize] = {};  // the destination that holds it
  char path[UninstallLogPathSize] = {};
  char next[UninstallLogPathSize + 4] = {};  // path + ".new"
  bool failed = false;                       // a record of this run did not go in
  bool stands = false;                       // a version of this run's log is on disk
  bool reserved = false;                     // the next version's room is held beside it
  std::vector<std::string> sections;         // names, in order of first use
  std::vector<Record> carried;               // an earlier log's, in its order
  std::vector<Record> records;               // added, in order
  std::vector<Record> plan;                  // expected, in order
  size_t planNext = 0;                       // the first planned record not added yet
  bool planning = false;
  bool planOnDisk = false;     // the log lists records, then plan from planNext on
  bool skippedOnDisk = false;  // and planned records the run passed over
};

extern UninstallLog uninstallLog;

// How many times this process put a version of the log in place, and the
// bytes of those versions: what an installation costs in log writes,
// whatever the number of its files.
extern uint64_t uninstallLogWriteCount;
extern uint64_t uninstallLogByteCount;
