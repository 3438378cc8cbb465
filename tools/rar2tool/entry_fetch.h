// Fetching the entries of a walked archive one after another through the
// installer's get request, and telling why one failed: the request itself
// only answers 1 or 0, the reasons come from the headers and from what
// happened to the entries before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "archive_file.h"
#include "header_walk.h"

struct EntryFetcher {
  EntryFetcher(LoadedArchive* archive, const ArchiveWalk* walk, const char* password)
      : archive(archive), walk(walk), password(password) {}
  LoadedArchive* archive;
  const ArchiveWalk* walk;
  const char* password;  // null when none was given
  // The first compressed entry of the current solid run that failed: the
  // entries that continue its decoder state cannot come out right.
  size_t damagedInRun = SIZE_MAX;
  // The last failure's cause lies in an earlier entry and may stop many.
  bool causeIsEarlier = false;
  // Built on first use, one hash lookup per entry: for each entry the first
  // earlier one whose request name is equal (SIZE_MAX when none), and the
  // first entry of a version the installer does not decode.
  std::vector<size_t> sameNameBefore;
  size_t firstUnsupported = SIZE_MAX;
};

// Fetches entry `index` (the caller frees *data). Call it in archive order.
// Returns false with *reason set when the entry cannot be fetched or fails
// its CRC test; *data is then null.
bool FetchEntry(EntryFetcher* fetcher, size_t index, uint8_t** data, uint32_t* size,
                std::string* reason);

// Why an entry cannot be fetched, told from the headers alone before any
// decoding; empty when nothing there stands in the way.
std::string BlockedReason(EntryFetcher* fetcher, size_t index);
