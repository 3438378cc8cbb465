#include <cstdio>
#include <cstdlib>

#include "archive/archive_reader.h"
#include "archive_file.h"
#include "commands.h"
#include "failure_reason.h"
#include "options.h"

int TestCommand(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  PasswordOption option;
  std::string error;
  if (!TakePasswordOption(&args, &option, &error)) return Fail(error);
  if (args.size() != 1) return Fail("usage: rar2tool test [-p PASSWORD] ARCHIVE");
  LoadedArchive archive;
  ArchiveWalk walk;
  if (!OpenForCommand(args[0], &archive, &walk)) return 1;

  int passed = 0, failed = 0;
  for (size_t i = 0; i < walk.entries.size(); i++) {
    const EntryHeader& e = walk.entries[i].header;
    if (IsDirectoryEntry(e.hostSystem, e.attributes)) continue;
    uint8_t* data = nullptr;
    uint32_t size = 0;
    const char* password = option.given ? option.password.c_str() : nullptr;
    if (ArchiveGetEntry(&data, &size, e.name, &archive.image, password)) {
      std::printf("OK %s\n", e.name);
      passed++;
    } else {
      std::printf("FAILED %s: %s\n", e.name, FailureReason(walk, i, option.given).c_str());
      failed++;
    }
    std::free(data);
  }
  // The window kept for solid requests goes with the archive.
  ArchiveReleaseSolidState();
  std::printf("%d passed, %d failed\n", passed, failed);
  if (walk.truncated) return Fail(args[0] + ": truncated archive (data runs past the end)");
  if (walk.damaged) return Fail(args[0] + ": damaged block header");
  return failed == 0 ? 0 : 1;
}
