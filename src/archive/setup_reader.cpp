// The Archive... requests: the reader's requests made of the process's one
// reader, answering as the installation has always been answered.
#include "archive/setup_reader.h"

#include "archive/archive_reader.h"

ArchiveReader setupArchiveReader;

int ArchiveListEntries(ArchiveImage* image, EntryListNode** outHead) {
  EntryListNode* head = nullptr;
  uint32_t count = 0;
  const ArchiveResult result = ReaderListEntries(&setupArchiveReader, image, &head, &count);
  if (result == ArchiveResult::NotAnArchive) return 0;
  *outHead = head;
  return int(count);
}

int ArchiveGetEntry(uint8_t** outData, uint32_t* outSize, const char* name, ArchiveImage* image,
                    const char* password) {
  return ReaderGetEntry(&setupArchiveReader, name, image, password, outData, outSize) ==
         ArchiveResult::Ok;
}

int ArchiveStreamEntry(const char* name, ArchiveImage* image, const char* password,
                       EntryPieceSink sink, void* context) {
  return ReaderStreamEntry(&setupArchiveReader, name, image, password, sink, context) ==
         ArchiveResult::Ok;
}

void ArchiveFreeList(EntryListNode* head) {
  ReaderRelease(&setupArchiveReader);
  FreeEntryList(head);
}

void ArchiveReleaseSolidState() {
  ReaderRelease(&setupArchiveReader);
}
