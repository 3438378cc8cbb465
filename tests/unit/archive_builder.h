// Builds RAR 2.x archive images byte by byte for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_image.h"

struct TestEntry {
  std::string name;
  std::vector<uint8_t> data;  // the data area as stored
  uint32_t unpackedSize = 0;
  uint32_t dataCrc = 0;
  uint16_t flags = 0x8000;
  uint8_t method = 0x30;
  uint8_t unpackVersion = 20;
  uint8_t hostSystem = 2;
  uint32_t attributes = 0x20;
  uint32_t modifiedTime = 0x3A2B1C0Du;
  uint16_t extraHeaderBytes = 0;  // bytes between the name and the data area
  int32_t nameLengthField = -1;   // overrides the stored name length when >= 0
};

class ArchiveBuilder {
 public:
  explicit ArchiveBuilder(uint16_t mainFlags = 0, bool uniqueMarker = false);
  // A stored entry whose sizes and CRC match its contents.
  ArchiveBuilder& Stored(const std::string& name, const std::string& contents,
                         uint16_t flags = 0x8000);
  ArchiveBuilder& Entry(const TestEntry& entry);
  ArchiveBuilder& Block(uint8_t type, uint16_t flags, uint16_t headerSize, uint32_t packedSize,
                        size_t bodyBytes);
  ArchiveBuilder& EndBlock();
  // The end block that archivers write to close an archive (type 0x7B).
  ArchiveBuilder& ArchiveEnd();
  ArchiveBuilder& Raw(const std::vector<uint8_t>& bytes);
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  // The bytes with every header's CRC filled in the way archivers write it
  // (the installer's reader ignores header CRCs; rar2tool checks them).
  std::vector<uint8_t> Sealed() const;
  ArchiveImage Image() const;

 private:
  ArchiveBuilder& ShortBlock(uint8_t type, uint16_t crc);  // a 7-byte block with no data
  std::vector<uint8_t> bytes_;
  std::vector<size_t> headerStarts_;  // after the main header
};

uint32_t Crc32Of(const std::vector<uint8_t>& bytes);
uint32_t Crc32Of(const std::string& text);
std::vector<uint8_t> ToBytes(const std::string& text);
