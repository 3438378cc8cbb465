#include "archive_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "pe_resource.h"

bool LoadArchiveFile(const std::string& path, LoadedArchive* out, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  out->bytes.clear();
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    out->bytes.insert(out->bytes.end(), chunk, chunk + n);
    if (out->bytes.size() > 0xFFFFFFFFull) {
      std::fclose(f);
      *error = path + ": too large for an archive image";
      return false;
    }
  }
  const bool failed = std::ferror(f) != 0;
  const int readErrno = errno;
  std::fclose(f);
  if (failed) {
    *error = path + ": " + std::strerror(readErrno);
    return false;
  }
  out->image.data = out->bytes.empty() ? nullptr : out->bytes.data();
  out->image.size = uint32_t(out->bytes.size());
  out->image.offset = 0;
  // A built Setup.exe carries its archive as resource RARFILE 105.
  uint32_t at = 0, size = 0;
  std::string reason;
  switch (FindPeResource(out->image.data, out->image.size, "RARFILE", 105, &at, &size, &reason)) {
    case PeLookup::NotPe:
      break;
    case PeLookup::Found:
      out->image.data = out->bytes.data() + at;
      out->image.size = size;
      out->embedded = true;
      break;
    case PeLookup::Missing:
    case PeLookup::Damaged:
      *error = path + ": " + reason;
      return false;
  }
  return true;
}
