// Reading the bytes of the files being packed, a piece at a time: from
// memory, or from the file that was listed, which must still be as it was
// listed (the same size and modification time) whenever it is opened and
// after it has been read through.
#pragma once

#include <cstdint>
#include <string>

#include "archive_writer.h"

namespace packer {

class ItemReader {
 public:
  ItemReader() = default;
  ItemReader(const ItemReader&) = delete;
  ItemReader& operator=(const ItemReader&) = delete;
  ~ItemReader() { Close(); }

  // n bytes at offset at of item; false with one line in *error when the
  // file cannot be read or is no longer what was listed.
  bool Read(const PackItem& item, uint64_t at, uint8_t* out, uint32_t n, std::string* error);
  // After a whole read: false when the file changed meanwhile.
  bool CheckUnchanged(const PackItem& item, std::string* error);
  void Close();

 private:
  bool Open(const PackItem& item, std::string* error);
  const PackItem* open_ = nullptr;
  int fd_ = -1;
};

// The reason given for a file whose contents changed while it was packed.
std::string ChangedReason(const PackItem& item);

}  // namespace packer
