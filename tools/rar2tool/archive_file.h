// Loading an archive file into memory: a plain archive, or the archive that
// a built Setup.exe carries as resource RARFILE 105.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_image.h"

struct LoadedArchive {
  std::vector<uint8_t> bytes;
  ArchiveImage image;
  bool embedded = false;  // taken from an executable's resource
};

// Reads path whole. On failure returns false with a one-line reason.
bool LoadArchiveFile(const std::string& path, LoadedArchive* out, std::string* error);
