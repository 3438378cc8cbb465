#include "answers/command_line.h"

#include <cstdio>
#include <cstring>

#include "answers/destination_rules.h"
#include "answers/device_table.h"
#include "answers/install_choices.h"
#include "answers/timeshift.h"
#include "paths/path_form.h"

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Whether text[0..length) is word, letters A to Z compared without case.
bool Same(const char* text, size_t length, const char* word) {
  if (std::strlen(word) != length) return false;
  for (size_t i = 0; i < length; i++)
    if (Lower(text[i]) != Lower(word[i])) return false;
  return true;
}

bool Refuse(char* reason, const char* format, const char* what) {
  std::snprintf(reason, ReasonSize, format, what);
  return false;
}

// A whole decimal number from 0 to 2^31 - 1, nothing else.
bool ReadNumber(const char* text, size_t length, int32_t* out) {
  if (length == 0 || length > 10) return false;
  int64_t n = 0;
  for (size_t i = 0; i < length; i++) {
    if (text[i] < '0' || text[i] > '9') return false;
    n = n * 10 + (text[i] - '0');
  }
  if (n > INT32_MAX) return false;
  *out = int32_t(n);
  return true;
}

// Calls each(item, length) for the comma-separated items of a value; false
// as soon as one is refused or an item is empty.
template <typename Each>
bool EachItem(const char* value, size_t length, Each each) {
  size_t start = 0;
  for (size_t i = 0; i <= length; i++) {
    if (i < length && value[i] != ',') continue;
    if (i == start || !each(value + start, i - start)) return false;
    start = i + 1;
  }
  return true;
}

bool ReadFilters(const char* value, size_t length, CommandLine* line) {
  if (Same(value, length, "none")) return true;
  return EachItem(value, length, [&](const char* item, size_t n) {
    bool* flag = Same(item, n, "elecard")   ? &line->elecard
                 : Same(item, n, "twinhan") ? &line->twinHan
                                            : nullptr;
    if (flag == nullptr || *flag) return false;
    return *flag = true;
  });
}

bool ReadModules(const char* value, size_t length, CommandLine* line) {
  if (Same(value, length, "none")) return true;
  return EachItem(value, length, [&](const char* item, size_t n) {
    for (int row = 0; row < ModuleCount; row++) {
      if (!Same(item, n, ModuleFileName(row))) continue;
      if (line->modules[row]) return false;
      return line->modules[row] = true;
    }
    return false;
  });
}

bool ReadTimeshift(const char* value, size_t length, CommandLine* line) {
  using Timeshift = CommandLine::Timeshift;
  if (Same(value, length, "off")) {
    line->timeshift = Timeshift::Off;
    return true;
  }
  constexpr char Memory[] = "memory:", File[] = "file:";
  if (length > sizeof Memory - 1 && Same(value, sizeof Memory - 1, Memory)) {
    line->timeshift = Timeshift::Memory;
    return ReadNumber(value + sizeof Memory - 1, length - (sizeof Memory - 1), &line->bufferMB);
  }
  if (length > sizeof File - 1 && Same(value, sizeof File - 1, File)) {
    // The file's path may hold commas: the size follows the last one.
    const char* path = value + sizeof File - 1;
    const char* comma = nullptr;
    for (const char* p = path; p < value + length; p++)
      if (*p == ',') comma = p;
    if (comma == nullptr || comma == path || size_t(comma - path) >= sizeof line->timeshiftFile)
      return false;
    std::memcpy(line->timeshiftFile, path, size_t(comma - path));
    line->timeshiftFile[comma - path] = '\0';
    line->timeshift = Timeshift::File;
    return ReadNumber(comma + 1, size_t(value + length - comma - 1), &line->bufferMB);
  }
  return false;
}

// Copies value into out (PathBufferSize bytes) without the double quotes
// around it, if any.
bool ReadPath(const char* value, size_t length, char* out) {
  if (length >= 2 && value[0] == '"' && value[length - 1] == '"') {
    value++;
    length -= 2;
  }
  if (length == 0 || length >= PathBufferSize || std::memchr(value, '"', length) != nullptr)
    return false;
  std::memcpy(out, value, length);
  out[length] = '\0';
  return true;
}

}  // namespace

bool ParseCommandLine(const char* arguments, CommandLine* line, char* reason) {
  *line = CommandLine{};
  reason[0] = '\0';
  bool seen[11] = {};  // each switch once
  const char* p = arguments;
  for (;;) {
    while (*p == ' ' || *p == '\t') p++;
    if (*p == '\0') return true;
    line->given = true;
    // A program that starts Setup from a list of arguments quotes each one
    // that holds a blank whole: "/D=C:\Program Files\Orbivue".
    const bool quotedWhole = p[0] == '"' && (p[1] == '/' || p[1] == '-');
    const char* start = quotedWhole ? p + 1 : p;
    // The destination takes the rest of the line, blanks and all.
    if ((start[0] == '/' || start[0] == '-') && Lower(start[1]) == 'd' && start[2] == '=') {
      size_t length = std::strlen(start + 3);
      while (length > 0 && (start[3 + length - 1] == ' ' || start[3 + length - 1] == '\t'))
        length--;
      if (quotedWhole && (length == 0 || start[3 + length - 1] != '"'))
        return Refuse(reason, "The destination comes last: %s", p);
      if (quotedWhole) length--;
      if (!ReadPath(start + 3, length, line->destination))
        return Refuse(reason, "The destination is missing or too long: %s", p);
      line->destinationGiven = true;
      return true;
    }
    // One argument: up to the next blank outside double quotes (up to its
    // closing quote when quoted whole).
    const char* end = start;
    if (quotedWhole) {
      while (*end != '\0' && *end != '"') end++;
    } else {
      for (bool quoted = false; *end != '\0' && (quoted || (*end != ' ' && *end != '\t')); end++)
        if (*end == '"') quoted = !quoted;
    }
    char argument[PathBufferSize + 32];
    const size_t length = size_t(end - start);
    if (length >= sizeof argument) return Refuse(reason, "An argument is too long.%s", "");
    std::memcpy(argument, start, length);
    argument[length] = '\0';
    p = quotedWhole && *end == '"' ? end + 1 : end;
    if (argument[0] != '/' && argument[0] != '-')
      return Refuse(reason, "Not a switch: %s", argument);
    const char* name = argument + 1;
    const char* equals = std::strchr(name, '=');
    const size_t nameLength = equals != nullptr ? size_t(equals - name) : std::strlen(name);
    const char* value = equals != nullptr ? equals + 1 : "";
    const size_t valueLength = std::strlen(value);
    static const char* const Names[] = {"s",       "passive", "lang",      "device",
                                        "filters", "modules", "timeshift", "run",
                                        "log",     "?",       "help"};
    int which = -1;
    for (int i = 0; i < 11; i++)
      if (Same(name, nameLength, Names[i])) which = i;
    if (which < 0) return Refuse(reason, "Unknown switch: %s", argument);
    if (which == 10) which = 9;  // /help is /?
    if (seen[which]) return Refuse(reason, "A switch is given twice: %s", argument);
    seen[which] = true;
    const bool takesValue = which >= 2 && which <= 6 ? true : which == 8;
    if (takesValue != (equals != nullptr) || (takesValue && valueLength == 0))
      return Refuse(reason, takesValue ? "A value is missing: %s" : "No value is taken: %s",
                    argument);
    bool read = true;
    switch (which) {
      case 0:
      case 1:
        if (line->mode == RunMode::Silent || line->mode == RunMode::Passive)
          return Refuse(reason, "/S and /PASSIVE exclude each other: %s", argument);
        if (line->mode != RunMode::Usage)
          line->mode = which == 0 ? RunMode::Silent : RunMode::Passive;
        break;
      case 2:
        line->language = Same(value, valueLength, "en")   ? English
                         : Same(value, valueLength, "ru") ? Russian
                                                          : -1;
        read = line->language >= 0;
        break;
      case 3: {
        int32_t row = -1;
        read = ReadNumber(value, valueLength, &row) && row < DeviceCount;
        line->deviceRow = row;
        break;
      }
      case 4:
        line->filtersGiven = true;
        read = ReadFilters(value, valueLength, line);
        break;
      case 5:
        line->modulesGiven = true;
        read = ReadModules(value, valueLength, line);
        break;
      case 6:
        read = ReadTimeshift(value, valueLength, line);
        break;
      case 7:
        line->run = true;
        break;
      case 8:
        read = ReadPath(value, valueLength, line->logFile);
        break;
      case 9:
        line->mode = RunMode::Usage;
        break;
    }
    if (!read) return Refuse(reason, "A value is not understood: %s", argument);
  }
}

bool ApplyCommandLine(const CommandLine& line, char* reason) {
  using Timeshift = CommandLine::Timeshift;
  InstallChoices& c = installChoices;
  reason[0] = '\0';
  c.language = uint8_t(line.language == Russian ? Russian : English);
  FillModuleTable(c.language);
  if (line.modulesGiven)
    for (int row = 0; row < ModuleCount; row++) ModuleTable[row].enabled = line.modules[row];
  c.deviceIndex = line.deviceRow >= 0 ? line.deviceRow : 0;
  c.registerElecardFilters = line.filtersGiven ? line.elecard : true;
  c.registerTwinHanSource = line.filtersGiven ? line.twinHan : true;
  c.runAfterSetup = line.run;
  switch (CheckDestination(line.destinationGiven ? line.destination : DefaultDestination,
                           c.destinationDir)) {
    case DestinationCheck::Accepted:
      break;
    case DestinationCheck::TooLong:
      std::snprintf(reason, ReasonSize,
                    "The destination folder is too long: at most %d characters are taken.",
                    MaxDestinationLength);
      return false;
    case DestinationCheck::Refused:
      return Refuse(reason,
                    "The destination folder is refused: it must be a full path to a folder "
                    "other than a drive's root, without device names. %s",
                    line.destination);
  }
  // Past the first device row the wizard shows its timeshift page, whose
  // file starts as the destination's proposal.
  if (c.deviceIndex != 0) ProposeTimeshiftFile(c.destinationDir, c.timeshiftFile);
  if (line.timeshift == Timeshift::NotGiven) return true;
  // The first device row has no timeshift page: nothing to answer there.
  if (c.deviceIndex == 0)
    return Refuse(reason, "The first device row takes no timeshift answer.%s", "");
  c.timeshiftDisabled = line.timeshift == Timeshift::Off;
  c.timeshiftInMemory = line.timeshift == Timeshift::Memory;
  if (line.timeshift == Timeshift::Off) return true;
  if (line.bufferMB < 1)
    return Refuse(reason, "The timeshift buffer must hold 1 MB at least.%s", "");
  c.timeshiftBufferMB = line.bufferMB;
  const int64_t limit = int64_t(TotalPhysicalMegabytes() / 2);
  if (line.timeshift == Timeshift::Memory) {
    if (line.bufferMB > limit) {
      std::snprintf(reason, ReasonSize,
                    "A timeshift buffer in memory may take half of the memory at most: %d MB.",
                    int(limit));
      return false;
    }
    return true;
  }
  if (CheckPathForm(line.timeshiftFile, false) != PathVerdict::Accepted)
    return Refuse(reason, "The timeshift file is no full path to a file: %s", line.timeshiftFile);
  return CopyText(c.timeshiftFile, line.timeshiftFile, sizeof c.timeshiftFile);
}

const char* UsageText() {
  return "Setup.exe [/S | /PASSIVE] [/LANG=en|ru] [/DEVICE=N] [/FILTERS=elecard,twinhan|none]\n"
         "  [/MODULES=Agenda.Module,...|none] [/TIMESHIFT=off|memory:MB|file:PATH,MB] [/RUN]\n"
         "  [/LOG=FILE] [/D=FOLDER]\n"
         "\n"
         "/S  silent: no window and no message box\n"
         "/PASSIVE  only the progress, with Cancel\n"
         "/LANG  the language: en (English, the default) or ru (Russian)\n"
         "/DEVICE  the device row, 0 to 10\n"
         "/FILTERS  the filter sets to register\n"
         "/MODULES  the modules to install, by file name\n"
         "/TIMESHIFT  the timeshift buffer: off, in memory, or in a file\n"
         "/RUN  start Orbivue at the end\n"
         "/LOG  write every step and the outcome to FILE (UTF-8)\n"
         "/D  the destination folder: the rest of the line, last\n"
         "\n"
         "Exit codes: 0 installed, 1 cancelled, 2 a bad command line or a refused answer, "
         "3 another Setup is running, 4 the installer is damaged, 5 an installation step failed.";
}
