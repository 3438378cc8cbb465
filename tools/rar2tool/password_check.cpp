#include "password_check.h"

#include "archive/block_format.h"
#include "archive_file.h"
#include "entry_fetch.h"
#include "entry_names.h"

namespace {

bool IsEncryptedFile(const WalkedEntry& e) {
  return (e.flags & EntryFlagEncrypted) != 0 && !IsDirectoryEntry(e);
}

}  // namespace

size_t FirstEncryptedFile(const ArchiveWalk& walk) {
  for (size_t i = 0; i < walk.entries.size(); i++)
    if (IsEncryptedFile(walk.entries[i])) return i;
  return SIZE_MAX;
}

bool PasswordRefused(LoadedArchive* archive, const ArchiveWalk& walk, const char* password) {
  const size_t first = FirstEncryptedFile(walk);
  if (password == nullptr || first == SIZE_MAX) return false;
  bool refused = false;
  {
    // Its own fetcher: the reader's state is let go when it ends.
    EntryFetcher fetcher{archive, &walk, password};
    const auto nowhere = [](const uint8_t*, uint32_t) {};
    FetchOutcome outcome;
    for (size_t i = 0; walk.solid && i < first; i++) {
      const WalkedEntry& e = walk.entries[i];
      // A stored entry leaves the decoder alone: nothing to learn from it.
      if (IsDirectoryEntry(e) || e.method == MethodStored) continue;
      FetchEntry(&fetcher, i, nowhere, &outcome);
      if (outcome.problem == EntryProblem::ArchiveCutShort) break;
    }
    if (outcome.problem != EntryProblem::ArchiveCutShort) {
      FetchEntry(&fetcher, first, nowhere, &outcome);
      refused = outcome.problem == EntryProblem::WrongPasswordOrDamaged;
    }
  }
  // The pages read are read again by the command's own fetches.
  archive->ReleaseAll();
  return refused;
}

std::string WrongPasswordLine(const std::string& path, const ArchiveWalk& walk,
                              const std::string& done) {
  uint64_t encrypted = 0;
  for (const WalkedEntry& e : walk.entries)
    if (IsEncryptedFile(e)) encrypted++;
  const size_t first = FirstEncryptedFile(walk);
  return path + ": wrong password (or the first encrypted entry '" +
         DisplayName(walk.entries[first].name) + "' is damaged); " +
         Count(encrypted, "encrypted entry", "encrypted entries") + " not " + done;
}
