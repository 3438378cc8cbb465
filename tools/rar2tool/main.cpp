// rar2tool: lists, tests and extracts RAR 2.x archives the way the installer
// reads them, and makes them.
#include "commands.h"
#include "options.h"

int main(int argc, char** argv) {
  ToolOptions options;
  int exitCode = ExitOk;
  if (!ParseCommandLine(argc, argv, &options, &exitCode)) return exitCode;
  if (options.command == "list") return ListCommand(options);
  if (options.command == "test") return TestCommand(options);
  if (options.command == "extract") return ExtractCommand(options);
  return PackCommand(options);
}
