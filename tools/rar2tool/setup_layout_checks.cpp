#include "setup_layout_checks.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "answers/destination_rules.h"
#include "answers/device_table.h"
#include "answers/module_table.h"
#include "archive/archive_reader.h"
#include "archive/block_format.h"
#include "commands.h"
#include "entry_names.h"
#include "paths/path_form.h"
#include "windows_names.h"

namespace {

// CreateDirectory of the ANSI functions takes folders of fewer than 248
// characters, keeping room for an 8.3 name below them.
constexpr size_t LongestFolderPath = 247;

// The wizard's longest destination, with the backslash the installation
// adds: every entry's path is this much longer than its name.
constexpr size_t DestinationPart = size_t(MaxDestinationLength) + 1;

// Files the installation starts, links or registers from the destination's
// root and its Filters folder; the plug-ins come from the wizard's tables.
const char* const FixedProductFiles[] = {
    "Orbivue.exe",        "uninstall.exe",     "graphedt.exe",
    "Filters\\mpgdec.ax", "Filters\\mlcom.ax", "Filters\\thsource.ax",
};

// Folders the installation needs: Setup makes the first three itself, the
// filters are registered from the fourth.
const char* const NeededFolders[][2] = {
    {"Modules", "Setup makes it"},
    {"Modules\\boot", "Setup makes it"},
    {"Modules\\boot\\24", "Setup makes it"},
    {"Filters", "the filters are registered from it"},
};

// Files Setup writes itself in the destination.
const char* const SetupOwnFiles[] = {"Uninstall.ini", "Uninstall.ini.new", "Orbivue.ini"};

std::vector<std::string> RequiredFiles() {
  std::vector<std::string> names(std::begin(FixedProductFiles), std::end(FixedProductFiles));
  // The table is the wizard's state: read through a fill, then put back.
  ModuleEntry saved[ModuleCount];
  std::copy(std::begin(ModuleTable), std::end(ModuleTable), saved);
  FillModuleTable(English);
  for (const ModuleEntry& module : ModuleTable)
    names.push_back(std::string("Modules\\") + module.fileName);
  std::copy(std::begin(saved), std::end(saved), ModuleTable);
  std::set<std::string> devices;  // one card may have several rows
  for (const DeviceRow& row : DeviceTable)
    if (row.deviceFile[0] != '\0' && devices.insert(packer::WindowsNameKey(row.deviceFile)).second)
      names.push_back(std::string("Modules\\") + row.deviceFile);
  return names;
}

std::string Quoted(const std::string& name) {
  return "'" + DisplayName(name) + "'";
}

// Why the installation cannot create an entry of this name (or the
// uninstaller could not take its record), judged by the path rules Setup
// and the uninstaller share; empty when nothing stands in the way. Length
// is judged apart.
std::string NameProblem(const std::string& name, bool directory) {
  if (name.empty()) return "an empty name";
  if (name[0] == '\\' || name[0] == '/') return "an absolute name";
  if (name.find('/') != std::string::npos)
    return "a '/' in the name, which the uninstaller does not take for a separator";
  const std::string path = "C:\\Orbivue\\" + name;
  switch (CheckPathForm(path.c_str(), directory)) {
    case PathVerdict::Accepted:
    case PathVerdict::TooLong:
      return "";
    case PathVerdict::BadCharacter:
      return "a character Windows file names cannot hold (a colon, wildcard, quote, '<', '>', "
             "'|' or control character)";
    case PathVerdict::DotName:
      return "a '.' or '..' name, or a name ending in a dot or a blank";
    case PathVerdict::DeviceName:
      return "a device name of Windows (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$)";
    default:
      return "an empty name between backslashes, or a backslash at its end";
  }
}

// A name that the tree's reader has already reported under Windows' rules.
bool JudgedAlready(const std::string& name) {
  std::string component, why;
  for (size_t i = 0; i <= name.size(); i++) {
    if (i < name.size() && name[i] != '\\') {
      component += name[i];
      continue;
    }
    if (!packer::WindowsNameProblem(component, &why)) return true;
    component.clear();
  }
  return false;
}

struct NeededFolder {
  std::string name;  // as spelled in the archive, or Setup's own spelling
  std::string why;   // what needs it
};

class LayoutChecker {
 public:
  LayoutChecker(const std::vector<LayoutEntry>& entries, const LayoutCheck& check)
      : entries_(entries), check_(check) {}

  std::vector<std::string> Run() {
    for (const LayoutEntry& e : entries_) nameProblems_.push_back(NameProblem(e.name, e.directory));
    CollectFolders();
    if (check_.complete) NoteMissingFiles();
    std::set<std::string> longFolders;
    std::map<std::string, const LayoutEntry*> files;
    for (size_t i = 0; i < entries_.size(); i++) {
      const LayoutEntry& e = entries_[i];
      NoteLength(e, &longFolders);
      if (e.fileTakenForFolder)
        Add(Quoted(e.name) + " is a file of its system, but Setup would make it a folder");
      const std::string& why = nameProblems_[i];
      if (!why.empty() && !(check_.namesJudged && JudgedAlready(e.name)))
        Add(Quoted(e.name) + " cannot be created by the installation: " + why);
      // A name that cannot be made clashes with nothing: its line says all.
      if (e.directory || !why.empty()) continue;
      const std::string key = packer::WindowsNameKey(e.name);
      const auto folder = folders_.find(key);
      if (folder != folders_.end())
        Add(Quoted(e.name) + " is a file where the installation needs a folder (" +
            folder->second.why + ")");
      const auto [earlier, added] = files.emplace(key, &e);
      // Names the reader's lookup takes as one are told by test already.
      if (!added && !check_.namesJudged &&
          !EntryNamesEqual(earlier->second->name.c_str(), e.name.c_str()))
        Add(Quoted(earlier->second->name) + " and " + Quoted(e.name) +
            " are one name on Windows: the second replaces the first");
    }
    NoteSetupOwnNames();
    return problems_;
  }

 private:
  void Add(const std::string& line) { problems_.push_back(line); }

  // Every folder the installation makes: Setup's own, the folder entries,
  // and the folders above every entry.
  void CollectFolders() {
    for (const auto& folder : NeededFolders)
      folders_.emplace(packer::WindowsNameKey(folder[0]), NeededFolder{folder[0], folder[1]});
    for (size_t i = 0; i < entries_.size(); i++) {
      const LayoutEntry& e = entries_[i];
      if (!nameProblems_[i].empty()) continue;
      if (e.directory)
        folders_.emplace(packer::WindowsNameKey(e.name), NeededFolder{e.name, "a folder entry"});
      for (size_t at = e.name.find('\\'); at != std::string::npos; at = e.name.find('\\', at + 1)) {
        const std::string folder = e.name.substr(0, at);
        folders_.emplace(packer::WindowsNameKey(folder),
                         NeededFolder{folder, "the folder of " + Quoted(e.name)});
      }
    }
  }

  void NoteMissingFiles() {
    std::set<std::string> files;
    for (const LayoutEntry& e : entries_)
      if (!e.directory) files.insert(packer::WindowsNameKey(e.name));
    for (const std::string& name : RequiredFiles())
      if (files.count(packer::WindowsNameKey(name)) == 0)
        Add("missing " + Quoted(name) + ", which the installation relies on");
  }

  void NoteLength(const LayoutEntry& e, std::set<std::string>* longFolders) {
    if (DestinationPart + e.name.size() > size_t(LongestPath)) {
      Add(Quoted(e.name) + " is too long: " + std::to_string(e.name.size()) +
          " characters below the longest destination Setup accepts (" +
          std::to_string(MaxDestinationLength) + " and a backslash) make a path of " +
          std::to_string(DestinationPart + e.name.size()) + ", past " +
          std::to_string(LongestPath));
      return;
    }
    // The deepest folder this entry needs made: itself, or its parent.
    const size_t end = e.directory ? e.name.size() : e.name.rfind('\\');
    if (end == std::string::npos || DestinationPart + end <= LongestFolderPath) return;
    const std::string folder = e.name.substr(0, end);
    if (!longFolders->insert(packer::WindowsNameKey(folder)).second) return;
    Add("folder " + Quoted(folder) + " is too long: below the longest destination Setup accepts (" +
        std::to_string(MaxDestinationLength) + " and a backslash) its path has " +
        std::to_string(DestinationPart + end) + " characters, past the " +
        std::to_string(LongestFolderPath) + " Windows makes folders of");
  }

  // The first name of any entry may not be one that Setup writes itself.
  void NoteSetupOwnNames() {
    std::set<std::string> told;
    for (size_t i = 0; i < entries_.size(); i++) {
      const LayoutEntry& e = entries_[i];
      if (!nameProblems_[i].empty()) continue;
      const std::string first = e.name.substr(0, e.name.find('\\'));
      const std::string key = packer::WindowsNameKey(first);
      for (const char* own : SetupOwnFiles)
        if (key == packer::WindowsNameKey(own) && told.insert(key).second)
          Add(Quoted(first) + " has the name of a file Setup writes itself in the destination");
    }
  }

  const std::vector<LayoutEntry>& entries_;
  const LayoutCheck& check_;
  std::vector<std::string> nameProblems_;  // of each entry, empty when sound
  std::map<std::string, NeededFolder> folders_;
  std::vector<std::string> problems_;
};

bool Report(const std::string& path, const std::vector<LayoutEntry>& entries,
            const LayoutCheck& check, bool allowNonAscii) {
  const std::vector<std::string> problems = SetupLayoutProblems(entries, check);
  for (const std::string& problem : problems) Fail(path + ": " + problem);
  const std::vector<std::string> names = NonAsciiNameProblems(entries);
  for (const std::string& name : names)
    Fail((allowNonAscii ? "warning: " : "") + path + ": " + name);
  return !problems.empty() || (!allowNonAscii && !names.empty());
}

}  // namespace

std::vector<std::string> SetupLayoutProblems(const std::vector<LayoutEntry>& entries,
                                             const LayoutCheck& check) {
  return LayoutChecker(entries, check).Run();
}

std::vector<std::string> NonAsciiNameProblems(const std::vector<LayoutEntry>& entries) {
  std::vector<std::string> problems;
  for (const LayoutEntry& e : entries)
    if (!e.nameRefused &&
        std::any_of(e.name.begin(), e.name.end(), [](char c) { return uint8_t(c) >= 0x80; }))
      problems.push_back(Quoted(e.name) +
                         " has characters outside ASCII: Setup creates it under this name only "
                         "on a Windows whose ANSI code page is 1251");
  return problems;
}

bool HasSetupLayoutShape(const ArchiveWalk& walk) {
  if (!walk.solid || walk.endBlockWritten || walk.end != WalkEnd::Complete) return false;
  bool folder = false;
  for (const WalkedEntry& e : walk.entries) {
    if (e.method != MethodBest) return false;
    folder = folder || (e.attributes & AttributeDirectory) != 0;
  }
  return folder;
}

bool ReportSetupLayoutProblems(const std::string& path, const ArchiveWalk& walk,
                               bool allowNonAscii) {
  std::vector<LayoutEntry> entries;
  for (const WalkedEntry& e : walk.entries) {
    if (e.pastInstallerStop) break;  // the installer's listing ends before it
    LayoutEntry entry;
    entry.name = e.name.c_str();
    // Setup takes an entry for a folder by this attribute alone, whatever
    // system made the archive.
    entry.directory = (e.attributes & AttributeDirectory) != 0;
    entry.fileTakenForFolder = entry.directory && !IsDirectoryEntry(e);
    entries.push_back(entry);
  }
  LayoutCheck check;
  check.complete = !WalkFailed(walk);
  return Report(path, entries, check, allowNonAscii);
}

bool ReportSetupLayoutProblems(const std::string& path, const std::vector<packer::PackItem>& items,
                               bool treeReadWhole, bool allowNonAscii) {
  std::vector<LayoutEntry> entries;
  for (const packer::PackItem& item : items) {
    LayoutEntry entry{item.name, item.directory};
    entry.nameRefused = item.nameRefused;
    entries.push_back(entry);
  }
  LayoutCheck check;
  check.complete = treeReadWhole;
  check.namesJudged = true;
  return Report(path, entries, check, allowNonAscii);
}
