// Loading an archive file for reading: a plain archive, or the archive that
// a built Setup.exe carries as resource RARFILE 105. A regular file is
// mapped, not read, so that memory holds only the parts being read; a pipe
// ("-" is standard input) is read whole. A mapped file that shrinks while
// it is read does not end the process: the pages past its new end read as
// zeros, and ArchiveCutShort says so.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_image.h"

struct LoadedArchive {
  LoadedArchive() = default;
  LoadedArchive(const LoadedArchive&) = delete;
  LoadedArchive& operator=(const LoadedArchive&) = delete;
  ~LoadedArchive();

  std::vector<uint8_t> bytes;  // the contents when read rather than mapped
  const uint8_t* mapped = nullptr;
  size_t mappedSize = 0;
  ArchiveImage image{nullptr, 0, 0};
  bool embedded = false;  // taken from an executable's resource

  // Lets the pages before image offset `offset` go from memory: a walk in
  // archive order does not come back to them, and should it, they are read
  // from the file again.
  void ReleaseBefore(uint32_t offset);
  // Lets every page go, after a walk of the headers; the fetches that
  // follow start over from the first.
  void ReleaseAll();

 private:
  size_t released_ = 0;  // bytes of the mapping let go so far: each page once
};

// True once a read of the mapped archive met a page that its file no longer
// has (it was cut or truncated meanwhile). What was read there is zeros.
bool ArchiveCutShort();

// Opens path ("-": standard input). A file that begins neither as an
// archive nor as an executable is refused from its first bytes. On failure
// returns false with a one-line reason.
bool LoadArchiveFile(const std::string& path, LoadedArchive* out, std::string* error);
