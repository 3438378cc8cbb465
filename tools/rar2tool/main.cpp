// rar2tool: lists, tests and extracts RAR 2.x archives the way the installer
// reads them, and makes them.
#include <new>

#include "commands.h"
#include "options.h"

namespace {

int RunCommand(int argc, char** argv) {
  ToolOptions options;
  int exitCode = ExitOk;
  if (!ParseCommandLine(argc, argv, &options, &exitCode)) return exitCode;
  if (options.command == "list") return ListCommand(options);
  if (options.command == "test") return TestCommand(options);
  if (options.command == "extract") return ExtractCommand(options);
  return PackCommand(options);
}

}  // namespace

int main(int argc, char** argv) {
  int status;
  try {
    status = RunCommand(argc, argv);
  } catch (const std::bad_alloc&) {
    // The command's own buffers are gone with the stack; what it wrote is
    // complete up to here, and a file it was writing is removed.
    status = Fail("out of memory");
  }
  return FinishOutput(status);
}
