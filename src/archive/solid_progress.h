// What a get request on a solid archive leaves for the next one: where the
// walk stands, which names it has passed and the password it ran with. The
// decoder's own state and the window stay where the request left them, so
// that a request for a later entry continues instead of decoding every
// earlier entry again.
#pragma once

#include <cstdint>

#include "archive/archive_image.h"
#include "archive/block_headers.h"
#include "archive/passed_names.h"
#include "archive/reader_state.h"

struct SolidProgress {
  bool kept;  // the window and the decoder hold the state after `lastEntry`
  const ArchiveImage* image;
  const uint8_t* data;
  uint32_t size;
  uint32_t lastEntryWalkFrom;  // offset from which the walk found the last entry
  uint32_t nextOffset;         // the block after it: where the next request goes on
  EntryHeader lastEntry;
  char password[MaxPasswordLength + 1];
  // The names of every entry walked since the first one: a request for one
  // of them starts over, any other goes on, whatever the count.
  PassedNames passedNames;
  bool passedNamesLost;  // memory ran out while noting one: never go on
};

struct ArchiveReader;

// Starts a fresh walk: nothing passed yet.
void ForgetPassedNames(SolidProgress* p);
// Notes the name of the entry the reader's walk now stands on.
void NotePassedName(ArchiveReader* reader);

// True when the request now starting (image open, wantedName and password
// set) may continue from the kept state: the same image, the same password,
// and no entry up to the last one bears the wanted name. On true the
// image's offset stands at the block after the last entry.
bool ResumeSolidProgress(ArchiveReader* reader);

// Keeps the state of a successful request that ended on the current entry,
// found by a walk from walkFrom.
void KeepSolidProgress(ArchiveReader* reader, uint32_t walkFrom);

// Forgets the kept state, the password included, so that the next request
// starts from the first entry; the window stays for it to reuse.
void ForgetSolidProgress(SolidProgress* p);

// Forgets the kept state and frees the window.
void ReleaseSolidProgress(ArchiveReader* reader);
