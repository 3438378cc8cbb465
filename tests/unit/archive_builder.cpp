#include "archive_builder.h"

#include "archive/byte_order.h"
#include "archive/crc32.h"

uint32_t Crc32Of(const std::vector<uint8_t>& bytes) {
  return ~UpdateCrc32(0xFFFFFFFFu, bytes.data(), uint32_t(bytes.size()));
}

uint32_t Crc32Of(const std::string& text) {
  return Crc32Of(ToBytes(text));
}

std::vector<uint8_t> ToBytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

ArchiveBuilder::ArchiveBuilder(uint16_t mainFlags, bool uniqueMarker) {
  if (uniqueMarker)
    bytes_ = {0x55, 0x6E, 0x69, 0x71, 0x75, 0x45, 0x21};
  else
    bytes_ = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
  AppendU16(&bytes_, 0x90CF);
  bytes_.push_back(0x73);
  AppendU16(&bytes_, mainFlags);
  AppendU16(&bytes_, 13);
  AppendU16(&bytes_, 0);
  AppendU32(&bytes_, 0);
}

ArchiveBuilder& ArchiveBuilder::Stored(const std::string& name, const std::string& contents,
                                       uint16_t flags) {
  TestEntry e;
  e.name = name;
  e.data = ToBytes(contents);
  e.unpackedSize = uint32_t(contents.size());
  e.dataCrc = Crc32Of(contents);
  e.flags = flags;
  return Entry(e);
}

ArchiveBuilder& ArchiveBuilder::Entry(const TestEntry& e) {
  const uint32_t headerSize = 32 + uint32_t(e.name.size()) + e.extraHeaderBytes;
  headerStarts_.push_back(bytes_.size());
  AppendU16(&bytes_, 0);
  bytes_.push_back(0x74);
  AppendU16(&bytes_, e.flags);
  AppendU16(&bytes_, headerSize);
  AppendU32(&bytes_, uint32_t(e.data.size()));
  AppendU32(&bytes_, e.unpackedSize);
  bytes_.push_back(e.hostSystem);
  AppendU32(&bytes_, e.dataCrc);
  AppendU32(&bytes_, e.modifiedTime);
  bytes_.push_back(e.unpackVersion);
  bytes_.push_back(e.method);
  AppendU16(&bytes_,
            e.nameLengthField >= 0 ? uint32_t(e.nameLengthField) : uint32_t(e.name.size()));
  AppendU32(&bytes_, e.attributes);
  bytes_.insert(bytes_.end(), e.name.begin(), e.name.end());
  bytes_.insert(bytes_.end(), e.extraHeaderBytes, 0xEE);
  bytes_.insert(bytes_.end(), e.data.begin(), e.data.end());
  return *this;
}

ArchiveBuilder& ArchiveBuilder::Block(uint8_t type, uint16_t flags, uint16_t headerSize,
                                      uint32_t packedSize, size_t bodyBytes) {
  const size_t start = bytes_.size();
  headerStarts_.push_back(start);
  AppendU16(&bytes_, 0);
  bytes_.push_back(type);
  AppendU16(&bytes_, flags);
  AppendU16(&bytes_, headerSize);
  AppendU32(&bytes_, packedSize);
  while (bytes_.size() - start < bodyBytes) bytes_.push_back(0xAB);
  return *this;
}

ArchiveBuilder& ArchiveBuilder::EndBlock() {
  return ShortBlock(0x77, 0x3DC4);
}

ArchiveBuilder& ArchiveBuilder::ArchiveEnd() {
  return ShortBlock(0x7B, 0);
}

ArchiveBuilder& ArchiveBuilder::ShortBlock(uint8_t type, uint16_t crc) {
  headerStarts_.push_back(bytes_.size());
  AppendU16(&bytes_, crc);
  bytes_.push_back(type);
  AppendU16(&bytes_, 0x4000);
  AppendU16(&bytes_, 7);
  return *this;
}

std::vector<uint8_t> ArchiveBuilder::Sealed() const {
  std::vector<uint8_t> b = bytes_;
  auto seal = [&](size_t start, size_t covered) {
    if (start + covered > b.size()) return;
    const uint32_t crc = ~UpdateCrc32(0xFFFFFFFFu, b.data() + start + 2, uint32_t(covered - 2));
    b[start] = uint8_t(crc);
    b[start + 1] = uint8_t(crc >> 8);
  };
  seal(7, 13);
  for (size_t start : headerStarts_)
    if (start + 7 <= b.size()) seal(start, LoadU16(b.data() + start + 5));
  return b;
}

ArchiveBuilder& ArchiveBuilder::Raw(const std::vector<uint8_t>& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

ArchiveImage ArchiveBuilder::Image() const {
  return ArchiveImage{bytes_.data(), uint32_t(bytes_.size()), 0};
}
