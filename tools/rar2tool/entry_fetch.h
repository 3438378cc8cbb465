// Fetching the entries of a walked archive one after another through the
// installer's get request, streamed in pieces, and telling why one failed:
// from the headers before any decoding, from the reason the request gives,
// and from what happened to the entries before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/archive_result.h"
#include "archive_file.h"
#include "header_walk.h"

struct ArchiveReader;

// The tool's one reader, which its commands fetch entries with.
ArchiveReader& ToolArchiveReader();

// Why an entry was not fetched.
enum class EntryProblem {
  None,
  // Told from the headers before any decoding.
  PastInstallerStop,
  FromPreviousVolume,
  IntoNextVolume,
  SameNameEarlier,  // `earlier` has the same name
  DataTruncated,
  // Told after the request failed.
  UnsupportedVersion,
  EarlierUnsupported,  // the solid entry `earlier` needs an unsupported version
  PasswordNeeded,
  AfterDamagedEarlier,  // the solid entry `earlier` failed first
  WrongPasswordOrDamaged,
  OlderMethod,  // compressed by a method older than the installer's
  CrcMismatch,
  OutOfMemory,
  ArchiveCutShort,  // the archive file shrank while it was read
  NotReached,       // the installer's walk ended before the entry (`result` says why)
};

struct FetchOutcome {
  EntryProblem problem = EntryProblem::None;
  size_t earlier = SIZE_MAX;                 // the entry the problem lies in, where another one
  ArchiveResult result = ArchiveResult::Ok;  // the request's own answer, where one was made
  bool failed() const { return problem != EntryProblem::None; }
  // The cause lies in an earlier entry and may stop many: said once for all.
  bool causeIsEarlier() const {
    return problem == EntryProblem::EarlierUnsupported ||
           problem == EntryProblem::AfterDamagedEarlier;
  }
};

struct EntryFetcher {
  EntryFetcher(LoadedArchive* archive, const ArchiveWalk* walk, const char* password)
      : archive(archive), walk(walk), password(password) {}
  // Lets the reader's window and kept state go.
  ~EntryFetcher();
  EntryFetcher(const EntryFetcher&) = delete;
  EntryFetcher& operator=(const EntryFetcher&) = delete;
  ArchiveReader* reader = &ToolArchiveReader();
  LoadedArchive* archive;
  const ArchiveWalk* walk;
  const char* password;  // null when none was given
  // The first compressed entry of the current solid run that failed: the
  // entries that continue its decoder state cannot come out right.
  size_t damagedInRun = SIZE_MAX;
  // Built on first use, one hash lookup per entry: for each entry the first
  // earlier one whose request name is equal (SIZE_MAX when none), and the
  // first entry of a version the installer does not decode.
  std::vector<size_t> sameNameBefore;
  size_t firstUnsupported = SIZE_MAX;
};

// Receives the fetched entry's bytes in order, a bounded piece at a time.
using EntryPieces = std::function<void(const uint8_t* bytes, uint32_t count)>;

// Fetches entry `index`, handing its bytes to onPiece as they are decoded;
// call it in archive order. Returns false with the outcome set when the
// entry cannot be fetched or fails its CRC test; the pieces it may have
// handed on by then are to be thrown away.
bool FetchEntry(EntryFetcher* fetcher, size_t index, const EntryPieces& onPiece,
                FetchOutcome* outcome);

// Why an entry cannot be fetched, told from the headers alone before any
// decoding; problem None when nothing there stands in the way.
FetchOutcome BlockedOutcome(EntryFetcher* fetcher, size_t index);

// The outcome of entry `index` as one line of text.
std::string DescribeOutcome(const EntryFetcher& fetcher, size_t index, const FetchOutcome& outcome);
