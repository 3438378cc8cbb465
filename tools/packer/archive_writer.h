// Writing a RAR 2.x archive as it is made, into a file or memory: the marker, the main header, one
// file header per entry with its packed data (stored, or RAR 2.0 compressed, and encrypted with the
// archive cipher when a password is given), and the end block. With the setup layout it writes the
// exact shape of the installer's embedded archive instead.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive_output.h"
#include "stream_encoder.h"

namespace packer {

struct PackItem {
  std::string name;  // archive name: code page 1251 bytes, backslash separators
  bool directory = false;
  std::vector<uint8_t> data;  // the contents, when path is empty
  uint32_t modifiedTime = 0;  // MS-DOS date and time
  // A file read while it is packed, a piece at a time, instead of data: it
  // must still have the size and modification time (in nanoseconds) that it
  // had when it was listed, and read the same every time it is read.
  std::string path;
  uint64_t size = 0;
  int64_t modifiedNs = 0;
  // A component of the name could not be converted and stands as the file
  // system spells it; the walk has refused it already.
  bool nameRefused = false;
};

inline uint64_t ItemSize(const PackItem& item) {
  return item.path.empty() ? item.data.size() : item.size;
}

// The installed product's uninstaller, in the root of the archive.
constexpr char SetupUninstaller[] = "uninstall.exe";

struct ArchiveSettings {
  int level = 3;  // 0 stores, 1..5 compress
  bool solid = false;
  AudioChoice audio = AudioChoice::Automatic;
  std::string password;  // empty: no encryption
  bool setupLayout = false;
  // Told the input bytes compressed so far and the bytes to compress in
  // all (stored files count as done when they are found incompressible).
  std::function<void(uint64_t done, uint64_t total)> progress;
};

struct PackSummary {
  uint32_t files = 0;
  uint32_t folders = 0;
  uint64_t unpackedBytes = 0;
  uint64_t packedBytes = 0;  // data areas only
  uint32_t storedFiles = 0;  // files kept as they are: compressing made them no smaller
  EncodeReport encoding;
};

// Writes the archive into out as it is made: memory is bounded by the
// compressor's window and buffers, not by the files. A file that compression would not make
// smaller is stored (method 0x30), in a solid archive too, where it is left
// out of the compressed stream and a short trial before the stream's one
// compression decides it (SolidStoreTrialMinimum); the setup layout keeps one method for all.
// Returns false with a one-line reason (settings that contradict each other, a name the reader
// could not find again, sizes past the format's 32-bit fields, a file that cannot be read or
// changed while it was packed, a failed write). A file that was read more
// than once (to store it after all, or for another encoding) must read the
// same every time: the archive's data always agrees with its headers.
bool BuildArchive(const std::vector<PackItem>& items, const ArchiveSettings& settings,
                  ArchiveOutput* out, std::string* error, PackSummary* summary = nullptr);
// The same, into memory.
bool BuildArchive(const std::vector<PackItem>& items, const ArchiveSettings& settings,
                  std::vector<uint8_t>* out, std::string* error, PackSummary* summary = nullptr);

// The key under which the reader finds a name: separators and ASCII case
// do not matter.
std::string EntryNameKey(const std::string& name);

}  // namespace packer
