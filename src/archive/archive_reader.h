// The requests made of an archive image: list its entries, and fetch one
// entry's contents by name, checked by CRC-32. Each is made of a reader
// (reader_handle.h), which keeps what one request leaves for the next, and
// says why it failed; the Archive... calls are the same requests made of the
// process's one reader, answering 1 or 0 as the installation expects.
#pragma once

#include <cstdint>
#include <string>

#include "archive/archive_image.h"
#include "archive/archive_result.h"

struct ArchiveReader;

struct EntryListNode {
  char* name;
  uint16_t nameLength;
  uint32_t packedSize;
  uint32_t unpackedSize;
  uint8_t hostSystem;
  uint32_t dataCrc;
  uint32_t modifiedTime;
  uint8_t unpackVersion;
  uint8_t method;
  uint32_t attributes;
  EntryListNode* next;
};

// Lists every file header in archive order. Returns the count and stores the
// head (null when there are none). When the archive cannot be opened it
// returns 0 and leaves *outHead alone; when memory runs out it releases
// what it built, stores null and returns 0.
int ArchiveListEntries(ArchiveImage* image, EntryListNode** outHead);

// Fetches the entry called name into a new malloc block. Returns 1 with
// *outData/*outSize set (the caller frees the block), or 0 with them null/0.
// password may be null; an empty one is the same as none. The first entry
// with an equal name is the one returned.
// Requests share one 1 MiB window, kept from one to the next. A request
// that found its entry keeps where it ended (in a solid archive only a
// successful one, with the decoder's state), so that a request for a later
// entry of the same image with the same password continues from there:
// asking for entries in archive order walks the headers once and decodes
// each entry once. The image's bytes must not change while that is kept.
// A request or listing on another image drops the state; ArchiveFreeList
// and ArchiveReleaseSolidState free the window as well.
int ArchiveGetEntry(uint8_t** outData, uint32_t* outSize, const char* name, ArchiveImage* image,
                    const char* password);

// Receives a streamed entry's bytes in order, a piece at a time.
typedef void (*EntryPieceSink)(void* context, const uint8_t* bytes, uint32_t count);

// As ArchiveGetEntry, but the entry's bytes go to sink in pieces as they are
// decoded instead of into one block of the entry's size, so that an entry of
// any size needs no more than a bounded buffer (the most the decoder can
// deliver between two reads of its input). Returns 1 when exactly the
// entry's unpackedSize bytes were handed on and their CRC-32 matches, 0
// otherwise; by then the sink may have had some or all of the bytes, which
// the caller throws away. Continues from and keeps the same state as
// ArchiveGetEntry does.
int ArchiveStreamEntry(const char* name, ArchiveImage* image, const char* password,
                       EntryPieceSink sink, void* context);

// Frees a chain from ArchiveListEntries (null frees none), and the window
// and state the get requests kept.
void ArchiveFreeList(EntryListNode* head);

// Frees the window and state the get requests kept, as freeing a list or
// listing another image does; the next request starts from the first entry.
void ArchiveReleaseSolidState();

// The same requests made of a given reader, with the reason for a failure.
// A listing stores the count and the head; one that met a damaged or cut
// header lists the entries before it and says so in its result; one that
// fails outright (not an archive, out of memory) stores no list.
ArchiveResult ReaderListEntries(ArchiveReader* reader, ArchiveImage* image, EntryListNode** outHead,
                                uint32_t* count);
ArchiveResult ReaderGetEntry(ArchiveReader* reader, const char* name, ArchiveImage* image,
                             const char* password, uint8_t** outData, uint32_t* outSize);
ArchiveResult ReaderStreamEntry(ArchiveReader* reader, const char* name, ArchiveImage* image,
                                const char* password, EntryPieceSink sink, void* context);
// Frees a listing's chain only.
void FreeEntryList(EntryListNode* head);
// Frees the reader's window and kept state; the next request starts afresh.
void ReaderRelease(ArchiveReader* reader);

// True when the two names denote the same entry: ASCII case, backslash,
// slash and underscore do not matter; every other byte must match.
bool EntryNamesEqual(const char* a, const char* b);
// A name as that comparison sees it: names that compare equal fold to the
// same text.
std::string FoldedEntryName(const char* name);
