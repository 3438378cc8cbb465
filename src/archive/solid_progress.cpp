#include "archive/solid_progress.h"

#include <cstdlib>
#include <cstring>

#include "archive/archive_reader.h"

SolidProgress solidProgress;

namespace {

// Two bits of the filter per name, from the two halves of its hash.
void FilterBits(const char* name, uint32_t* a, uint32_t* b) {
  const uint32_t h = EntryNameHash(name);
  *a = h & (PassedNameBits - 1);
  *b = (h >> 16) & (PassedNameBits - 1);
}

bool BitSet(uint32_t bit) {
  return (solidProgress.passedNames[bit >> 3] >> (bit & 7)) & 1;
}

bool SameEntry(const EntryHeader& a, const EntryHeader& b) {
  return a.headerCrc == b.headerCrc && a.flags == b.flags && a.packedSize == b.packedSize &&
         a.unpackedSize == b.unpackedSize && a.dataCrc == b.dataCrc &&
         std::strcmp(a.name, b.name) == 0;
}

// The exact test behind a filter hit: walks the headers from the first
// block to the last entry and looks for the wanted name among them.
bool WantedNamePassed() {
  ReaderState& r = readerState;
  const SolidProgress& p = solidProgress;
  ArchiveImage* image = r.image;
  while (image->offset < p.lastEntryWalkFrom) {
    if (NextEntryHeader() <= 0 || r.entry.blockType == BlockSubblock) return true;
    if (EntryNamesEqual(r.wantedName, r.entry.name)) return true;
    image->offset = r.nextBlock;
  }
  // Only a walk that lands on the last entry's own starting point is the
  // walk the earlier requests made.
  return image->offset != p.lastEntryWalkFrom;
}

}  // namespace

void ForgetPassedNames() {
  std::memset(solidProgress.passedNames, 0, sizeof solidProgress.passedNames);
}

void NotePassedName(const char* name) {
  uint32_t a, b;
  FilterBits(name, &a, &b);
  solidProgress.passedNames[a >> 3] |= uint8_t(1u << (a & 7));
  solidProgress.passedNames[b >> 3] |= uint8_t(1u << (b & 7));
}

bool ResumeSolidProgress() {
  ReaderState& r = readerState;
  const SolidProgress& p = solidProgress;
  ArchiveImage* image = r.image;
  if (!p.kept || image != p.image || image->data != p.data || image->size != p.size) return false;
  if (std::memcmp(r.password, p.password, sizeof p.password) != 0) return false;
  uint32_t a, b;
  FilterBits(r.wantedName, &a, &b);
  if (BitSet(a) && BitSet(b) && WantedNamePassed()) return false;
  // The last entry must still be where it was, as it was: a different
  // archive at the same address, or a changed one, starts over.
  image->offset = p.lastEntryWalkFrom;
  if (NextEntryHeader() <= 0 || r.entry.blockType == BlockSubblock) return false;
  if (!SameEntry(r.entry, p.lastEntry) || r.nextBlock != p.nextOffset) return false;
  if (EntryNamesEqual(r.wantedName, r.entry.name)) return false;
  image->offset = p.nextOffset;
  return true;
}

void KeepSolidProgress(uint32_t walkFrom) {
  ReaderState& r = readerState;
  SolidProgress& p = solidProgress;
  p.kept = true;
  p.image = r.image;
  p.data = r.image->data;
  p.size = r.image->size;
  p.lastEntryWalkFrom = walkFrom;
  p.nextOffset = r.nextBlock;
  p.lastEntry = r.entry;
  std::memcpy(p.password, r.password, sizeof p.password);
}

void ForgetSolidProgress() {
  SolidProgress& p = solidProgress;
  p.kept = false;
  p.image = nullptr;
  p.data = nullptr;
  std::memset(p.password, 0, sizeof p.password);
}

void ReleaseSolidProgress() {
  ForgetSolidProgress();
  std::free(readerState.window);
  readerState.window = nullptr;
}
