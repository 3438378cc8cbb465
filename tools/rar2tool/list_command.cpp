// rar2tool list: every entry the walk reaches, from the tool's own header
// walk (so flags such as encryption show), then the count with the
// archive's traits, then the walk's verdict. The columns stay those that
// scripts read: type, sizes, method, version, CRC, date and time, name.
#include <cstdio>

#include "archive_file.h"
#include "commands.h"
#include "entry_names.h"
#include "header_walk.h"
#include "listing_format.h"

int ListCommand(const ToolOptions& options) {
  LoadedArchive archive;
  ArchiveWalk walk;
  if (!OpenForCommand(options.archive, &archive, &walk)) return ExitFailed;
  std::printf("%-5s %10s %10s %-6s %3s %-8s %-19s %s\n", "Type", "Size", "Packed", "Method", "Ver",
              "CRC32", "Modified", "Name");
  for (const WalkedEntry& e : walk.entries) {
    const bool folder = IsDirectoryEntry(e);
    // "file*": encrypted, as rar marks it.
    const char* type = folder ? "dir" : (e.flags & EntryFlagEncrypted) ? "file*" : "file";
    std::printf("%-5s %10u %10u %-6s %3u %08X %-19s %s\n", type, e.unpackedSize, e.packedSize,
                folder ? "-" : MethodName(e.method).c_str(), e.unpackVersion, e.dataCrc,
                FormatDosTime(e.modifiedTime).c_str(), PrintableText(DisplayName(e.name)).c_str());
  }
  std::printf("%s%s\n", Count(walk.entries.size(), "entry", "entries").c_str(),
              ArchiveTraits(walk).c_str());
  return ReportWalkProblem(options.archive, walk) ? ExitFailed : ExitOk;
}
