#include <cstdio>

#include "archive/archive_reader.h"
#include "archive_file.h"
#include "commands.h"

int ListCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) return Fail("usage: rar2tool list ARCHIVE");
  LoadedArchive archive;
  ArchiveWalk walk;
  if (!OpenForCommand(args[0], &archive, &walk)) return 1;

  EntryListNode* head = nullptr;
  const int count = ArchiveListEntries(&archive.image, &head);
  std::printf("%-4s %10s %10s %-6s %3s %-8s %-19s %s\n", "Type", "Size", "Packed", "Method", "Ver",
              "CRC32", "Modified", "Name");
  for (const EntryListNode* n = head; n != nullptr; n = n->next) {
    char method[8];
    if (n->method >= 0x30 && n->method <= 0x35)
      std::snprintf(method, sizeof method, "m%c", n->method);
    else
      std::snprintf(method, sizeof method, "0x%02X", n->method);
    std::printf("%-4s %10u %10u %-6s %3u %08X %s %s\n",
                IsDirectoryEntry(n->hostSystem, n->attributes) ? "dir" : "file", n->unpackedSize,
                n->packedSize, method, n->unpackVersion, n->dataCrc,
                FormatDosTime(n->modifiedTime).c_str(), n->name);
  }
  ArchiveFreeList(head);
  std::printf("%d %s\n", count, count == 1 ? "entry" : "entries");
  if (walk.truncated) return Fail(args[0] + ": truncated archive (data runs past the end)");
  if (walk.damaged) return Fail(args[0] + ": damaged block header");
  return 0;
}
