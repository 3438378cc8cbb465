// Setup's command line: the switches that install without the wizard's
// questions, read into the answers they give. With no argument at all the
// wizard runs as always; everything here happens only when one is given.
//   /S                 silent: no window and no message box at all
//   /PASSIVE           the extraction page only, with its progress and Cancel
//   /LANG=en|ru        the language (default English)
//   /DEVICE=N          the device row, 0 to 10
//   /FILTERS=elecard,twinhan | none
//   /MODULES=Agenda.Module,... | none
//   /TIMESHIFT=off | memory:MB | file:PATH,MB
//   /RUN               start the viewer at the end
//   /LOG=FILE          a log of every step and the outcome, in UTF-8
//   /D=FOLDER          the destination: the rest of the line, last
//   /?                 the usage
// Switches are case-insensitive and come in any order, /D= last.
#pragma once

#include <cstddef>
#include <cstdint>

#include "answers/module_table.h"
#include "shared/text_buffers.h"

enum class RunMode : uint8_t { Wizard, Silent, Passive, Usage };

// Room for the reason a command line or an answer is refused.
constexpr size_t ReasonSize = 400;

struct CommandLine {
  RunMode mode = RunMode::Wizard;
  bool given = false;  // any argument at all
  bool destinationGiven = false;
  char destination[PathBufferSize] = "";  // as typed
  int language = -1;                      // English, Russian; -1: not given
  int deviceRow = -1;                     // -1: not given
  bool filtersGiven = false, elecard = false, twinHan = false;
  bool modulesGiven = false;
  bool modules[ModuleCount] = {};
  enum class Timeshift : uint8_t { NotGiven, Off, Memory, File } timeshift = Timeshift::NotGiven;
  int32_t bufferMB = 0;
  char timeshiftFile[PathBufferSize] = "";
  bool run = false;
  char logFile[PathBufferSize] = "";  // empty: no log
};

// Reads the arguments (the command line without the program's own name).
// False with the reason (English) when a switch is unknown, given twice, or
// its value is malformed; line then holds what was read up to there.
bool ParseCommandLine(const char* arguments, CommandLine* line, char* reason);

// Gives the answers of line to installChoices and ModuleTable, each checked
// as the wizard's pages check it; what line leaves out is the wizard's
// default (English, c:\Orbivue\, device row 0, both filter sets, the
// modules ticked at first, no timeshift buffer). False with the reason
// (English) when an answer is refused: nothing may then be installed.
bool ApplyCommandLine(const CommandLine& line, char* reason);

// The usage text, shown for /? and with a refused command line.
const char* UsageText();
