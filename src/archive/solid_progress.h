// What a get request on a solid archive leaves for the next one: where the
// walk stands, which names it has passed and the password it ran with. The
// decoder's own state and the window stay where the request left them, so
// that a request for a later entry continues instead of decoding every
// earlier entry again.
#pragma once

#include <cstdint>

#include "archive/archive_image.h"
#include "archive/block_headers.h"
#include "archive/reader_state.h"

// Large enough that a false hit, which costs a walk from the first entry,
// stays rare in archives of tens of thousands of entries.
constexpr uint32_t PassedNameBits = 1u << 20;
static_assert((PassedNameBits & (PassedNameBits - 1)) == 0, "a hash picks a bit by masking");

struct SolidProgress {
  bool kept;  // the window and the decoder hold the state after `lastEntry`
  const ArchiveImage* image;
  const uint8_t* data;
  uint32_t size;
  uint32_t lastEntryWalkFrom;  // offset from which the walk found the last entry
  uint32_t nextOffset;         // the block after it: where the next request goes on
  EntryHeader lastEntry;
  char password[MaxPasswordLength + 1];
  // A filter of the folded names of every entry walked since the first one:
  // a name not in it cannot stand before the continuation point.
  uint8_t passedNames[PassedNameBits / 8];
};

extern SolidProgress solidProgress;

// Starts a fresh walk: nothing passed yet.
void ForgetPassedNames();
void NotePassedName(const char* name);

// True when the request now starting (image open, wantedName and password
// set) may continue from the kept state: the same image, the same password,
// and no entry up to the last one bears the wanted name. On true the
// image's offset stands at the block after the last entry.
bool ResumeSolidProgress();

// Keeps the state of a successful request that ended on the current entry,
// found by a walk from walkFrom.
void KeepSolidProgress(uint32_t walkFrom);

// Forgets the kept state, the password included, so that the next request
// starts from the first entry; the window stays for it to reuse.
void ForgetSolidProgress();

// Forgets the kept state and frees the window.
void ReleaseSolidProgress();

// Folds a name as the name comparison does and hashes the result, so that
// names that compare equal hash alike.
uint32_t EntryNameHash(const char* name);
