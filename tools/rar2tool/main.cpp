// rar2tool: lists, tests and extracts RAR 2.x archives the way the installer
// reads them.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"

namespace {

const char Usage[] =
    "usage: rar2tool list ARCHIVE\n"
    "       rar2tool test [-p PASSWORD] ARCHIVE\n"
    "       rar2tool extract [-p PASSWORD] ARCHIVE DIR\n"
    "       rar2tool pack [-m0..-m5] [-s] [-mm|-mm-] [-p PASSWORD] [--setup-layout] ARCHIVE "
    "PATH...\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(Usage, stderr);
    return 1;
  }
  const std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "list") return ListCommand(args);
  if (command == "test") return TestCommand(args);
  if (command == "extract") return ExtractCommand(args);
  if (command == "pack") return PackCommand(args);
  if (command == "-h" || command == "--help" || command == "help") {
    std::fputs(Usage, stdout);
    return 0;
  }
  return Fail("unknown command '" + command + "' (try rar2tool --help)");
}
