// rar2tool test: every file entry is fetched as the installer fetches it and
// judged by its CRC; the headers have been checked by the walk before. -q
// prints only the failures and the count.
#include <algorithm>
#include <cstdio>

#include "archive/archive_reader.h"
#include "archive_file.h"
#include "commands.h"
#include "entry_fetch.h"
#include "entry_names.h"
#include "header_walk.h"
#include "password_check.h"
#include "progress_line.h"
#include "setup_layout_checks.h"

namespace {

// One line for a volume's entries that lie partly in other volumes.
void ReportSplitEntries(const std::string& path, const ArchiveWalk& walk) {
  size_t split = 0;
  for (const WalkedEntry& e : walk.entries)
    if (e.flags & (EntryFlagFromPreviousVolume | EntryFlagIntoNextVolume)) split++;
  if (split > 0)
    Fail(path + ": a volume of a multi-volume archive; " + Count(split, "entry is", "entries are") +
         " split across volumes, which this tool does not join");
}

}  // namespace

int TestCommand(ToolOptions options) {
  std::string error;
  if (!ResolvePassword(&options.password, false, &error)) return Fail(error);
  LoadedArchive archive;
  ArchiveWalk walk;
  if (!OpenForCommand(options.archive, &archive, &walk)) return ExitFailed;

  uint64_t totalBytes = 0, totalFiles = 0;
  CountFiles(walk, &totalBytes, &totalFiles);
  ProgressLine progress(!options.quiet, "testing", totalBytes, totalFiles);
  EntryFetcher fetcher{&archive, &walk,
                       options.password.given ? options.password.password.c_str() : nullptr};
  const size_t firstEncrypted = FirstEncryptedFile(walk);
  int passed = 0, failed = 0;
  bool cutShort = false;
  for (size_t i = 0; i < walk.entries.size() && !cutShort; i++) {
    const WalkedEntry& e = walk.entries[i];
    if (IsDirectoryEntry(e)) continue;
    // The bytes are only counted: the CRC test is the request's own.
    uint64_t seen = 0;
    FetchOutcome outcome;
    const bool ok = FetchEntry(
        &fetcher, i,
        [&](const uint8_t*, uint32_t count) {
          seen += count;
          progress.Advance(count, 0);
        },
        &outcome);
    archive.ReleaseBefore(uint32_t(std::min<uint64_t>(e.dataEnd, archive.image.size)));
    progress.Clear();
    if (ok) {
      if (!options.quiet) std::printf("OK %s\n", PrintableText(DisplayName(e.name)).c_str());
      passed++;
    } else if (i == firstEncrypted && outcome.problem == EntryProblem::WrongPasswordOrDamaged) {
      // Every encrypted entry would fail alike: one line for them all.
      FlushOutput();
      return Fail(WrongPasswordLine(options.archive, walk, "tested"));
    } else {
      std::printf("FAILED %s: %s\n", PrintableText(DisplayName(e.name)).c_str(),
                  PrintableText(DescribeOutcome(fetcher, i, outcome)).c_str());
      failed++;
      cutShort = outcome.problem == EntryProblem::ArchiveCutShort;
    }
    FlushOutput();
    progress.Advance(e.unpackedSize > seen ? e.unpackedSize - seen : 0, 1);
  }
  progress.Clear();
  std::printf("%d passed, %d failed\n", passed, failed);
  FlushOutput();
  if (cutShort) return ReportCutShort(options.archive);
  if (walk.volume) ReportSplitEntries(options.archive, walk);
  // A Setup.exe always carries the product; so does an archive of its shape.
  const bool layoutFailed =
      (archive.embedded || options.setupLayout || HasSetupLayoutShape(walk)) &&
      ReportSetupLayoutProblems(options.archive, walk, options.allowNonAsciiNames);
  const bool walkFailed = ReportWalkProblem(options.archive, walk);
  return failed == 0 && !walkFailed && !layoutFailed ? ExitOk : ExitFailed;
}
