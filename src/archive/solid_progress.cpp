#include "archive/solid_progress.h"

#include <cstdlib>
#include <cstring>

#include "archive/archive_reader.h"
#include "archive/reader_handle.h"

namespace {

bool SameEntry(const EntryHeader& a, const EntryHeader& b) {
  return a.headerCrc == b.headerCrc && a.flags == b.flags && a.packedSize == b.packedSize &&
         a.unpackedSize == b.unpackedSize && a.dataCrc == b.dataCrc &&
         std::strcmp(a.name, b.name) == 0;
}

}  // namespace

void ForgetPassedNames(SolidProgress* p) {
  p->passedNames.Clear();
  p->passedNamesLost = false;
}

void NotePassedName(ArchiveReader* reader) {
  const ReaderState& r = reader->request;
  SolidProgress& p = reader->solid;
  // Without every name the table cannot say a name was not passed: the next
  // request starts over, which is slower but gives the same answer.
  if (!p.passedNames.Note(r.image->data, r.entryNameOffset, r.entry.nameLength))
    p.passedNamesLost = true;
}

bool ResumeSolidProgress(ArchiveReader* reader) {
  ReaderState& r = reader->request;
  const SolidProgress& p = reader->solid;
  ArchiveImage* image = r.image;
  if (!p.kept || image != p.image || image->data != p.data || image->size != p.size) return false;
  if (std::memcmp(r.password, p.password, sizeof p.password) != 0) return false;
  if (p.passedNamesLost || p.passedNames.Contains(image->data, r.wantedName)) return false;
  // The last entry must still be where it was, as it was: a different
  // archive at the same address, or a changed one, starts over.
  image->offset = p.lastEntryWalkFrom;
  WalkedHeader last;
  if (NextEntryHeader(image, &last) != WalkStep::File) return false;
  reader->entryHeadersWalked++;
  if (!SameEntry(last.entry, p.lastEntry) || last.nextBlock != p.nextOffset) return false;
  if (EntryNamesEqual(r.wantedName, last.entry.name)) return false;
  image->offset = p.nextOffset;
  return true;
}

void KeepSolidProgress(ArchiveReader* reader, uint32_t walkFrom) {
  const ReaderState& r = reader->request;
  SolidProgress& p = reader->solid;
  p.kept = true;
  p.image = r.image;
  p.data = r.image->data;
  p.size = r.image->size;
  p.lastEntryWalkFrom = walkFrom;
  p.nextOffset = r.nextBlock;
  p.lastEntry = r.entry;
  std::memcpy(p.password, r.password, sizeof p.password);
}

void ForgetSolidProgress(SolidProgress* p) {
  p->kept = false;
  p->image = nullptr;
  p->data = nullptr;
  std::memset(p->password, 0, sizeof p->password);
}

void ReleaseSolidProgress(ArchiveReader* reader) {
  ForgetSolidProgress(&reader->solid);
  ForgetCipherKeys(&reader->cipherKeys);
  reader->solid.passedNames.Release();
  std::free(reader->request.window);
  reader->request.window = nullptr;
}
