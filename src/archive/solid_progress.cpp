#include "archive/solid_progress.h"

#include <cstdlib>
#include <cstring>

#include "archive/archive_reader.h"

SolidProgress solidProgress;

namespace {

bool SameEntry(const EntryHeader& a, const EntryHeader& b) {
  return a.headerCrc == b.headerCrc && a.flags == b.flags && a.packedSize == b.packedSize &&
         a.unpackedSize == b.unpackedSize && a.dataCrc == b.dataCrc &&
         std::strcmp(a.name, b.name) == 0;
}

}  // namespace

void ForgetPassedNames() {
  solidProgress.passedNames.Clear();
  solidProgress.passedNamesLost = false;
}

void NotePassedName() {
  const ReaderState& r = readerState;
  // Without every name the table cannot say a name was not passed: the next
  // request starts over, which is slower but gives the same answer.
  if (!solidProgress.passedNames.Note(r.image->data, r.entryNameOffset, r.entry.nameLength))
    solidProgress.passedNamesLost = true;
}

bool ResumeSolidProgress() {
  ReaderState& r = readerState;
  const SolidProgress& p = solidProgress;
  ArchiveImage* image = r.image;
  if (!p.kept || image != p.image || image->data != p.data || image->size != p.size) return false;
  if (std::memcmp(r.password, p.password, sizeof p.password) != 0) return false;
  if (p.passedNamesLost || p.passedNames.Contains(image->data, r.wantedName)) return false;
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
  solidProgress.passedNames.Release();
  std::free(readerState.window);
  readerState.window = nullptr;
}
