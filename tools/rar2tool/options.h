// The command line of rar2tool: one subcommand and its options, parsed by
// CLI11. Options may stand before or after the operands; "--" ends them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive_writer.h"

struct PasswordOption {
  bool given = false;  // -pPASSWORD or --password=PASSWORD
  bool ask = false;    // a bare -p: ask on the terminal
  std::string password;
};

struct ToolOptions {
  std::string command;  // list, test, extract, pack
  std::string archive;
  std::string dir;                 // extract
  std::vector<std::string> paths;  // pack
  bool quiet = false;
  bool overwrite = false;  // extract -o
  bool keep = false;       // extract -k
  // test --setup-layout: check the archive as the product Setup installs
  bool setupLayout = false;
  // test and pack --allow-non-ascii-names: names outside ASCII in the setup
  // layout are warned of instead of failing the command
  bool allowNonAsciiNames = false;
  // pack --entry-time: the Unix time every entry gets instead of its own
  // file's; -1 when not given
  int64_t entryTime = -1;
  PasswordOption password;
  packer::ArchiveSettings pack;
};

// Exit statuses.
constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;  // damage, a failed entry, an I/O failure
constexpr int ExitUsage = 2;   // a wrong command line

// Parses argv. Returns true when the command should run; otherwise *exitCode
// is the status to exit with (help and --version print and give 0; an error
// prints one line on standard error and gives ExitUsage).
bool ParseCommandLine(int argc, char** argv, ToolOptions* options, int* exitCode);

// Settles the password: when a bare -p asked for it, reads it from the
// terminal without echo (twice when confirm is set). Returns false with a
// reason when there is no terminal, the two differ or it is too long.
bool ResolvePassword(PasswordOption* option, bool confirm, std::string* error);
