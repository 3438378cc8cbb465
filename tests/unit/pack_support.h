// Shared by the packer tests: archives built in memory with the packer and
// read back through the installer's own reader, and generated inputs.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "packer/archive_writer.h"

// Builds an archive; fails the calling test when the packer refuses.
inline std::vector<uint8_t> PackOrFail(const std::vector<packer::PackItem>& items,
                                       const packer::ArchiveSettings& settings,
                                       packer::PackSummary* summary = nullptr) {
  std::vector<uint8_t> archive;
  std::string error;
  const bool ok = packer::BuildArchive(items, settings, &archive, &error, summary);
  EXPECT_TRUE(ok) << error;
  return archive;
}

// Fetches one entry through ArchiveGetEntry; false when the request fails.
inline bool FetchEntry(const std::vector<uint8_t>& archive, const std::string& name,
                       std::vector<uint8_t>* out, const char* password = nullptr) {
  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  uint8_t* data = nullptr;
  uint32_t size = 0;
  const int ok = ArchiveGetEntry(&data, &size, name.c_str(), &image, password);
  out->assign(data, data + (data ? size : 0));
  std::free(data);
  return ok == 1;
}

inline packer::PackItem FileItem(const std::string& name, std::vector<uint8_t> data) {
  packer::PackItem item;
  item.name = name;
  item.data = std::move(data);
  item.modifiedTime = 0x5A8B6C2Du;
  return item;
}

inline packer::PackItem FolderItem(const std::string& name) {
  packer::PackItem item;
  item.name = name;
  item.directory = true;
  item.modifiedTime = 0x5A8B6C2Du;
  return item;
}

// A small deterministic generator (xorshift), so inputs are the same on
// every run.
class TestRandom {
 public:
  explicit TestRandom(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return uint32_t(state_ >> 11);
  }
  uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }

 private:
  uint64_t state_;
};

// Text from a small vocabulary: repeats at every distance, like real text.
inline std::vector<uint8_t> TextData(size_t size, uint64_t seed) {
  static const char* const words[] = {"setup",    "viewer",    "channel",   "the",    "of",
                                      "receiver", "satellite", "and",       "module", "filter",
                                      "\r\n",     "Orbivue",   "timeshift", "buffer", "a",
                                      "to",       "DVB-S",     "card"};
  TestRandom r(seed);
  std::vector<uint8_t> out;
  while (out.size() < size) {
    const char* w = words[r.Below(sizeof words / sizeof *words)];
    out.insert(out.end(), w, w + std::char_traits<char>::length(w));
    out.push_back(r.Below(7) == 0 ? '.' : ' ');
  }
  out.resize(size);
  return out;
}

inline std::vector<uint8_t> RandomData(size_t size, uint64_t seed) {
  TestRandom r(seed);
  std::vector<uint8_t> out(size);
  for (uint8_t& b : out) b = uint8_t(r.Next());
  return out;
}

// Interleaved 8-bit channels of smooth waves with a little noise: what the
// audio predictor is made for.
inline std::vector<uint8_t> SoundData(size_t size, int channels, uint64_t seed) {
  TestRandom r(seed);
  std::vector<uint8_t> out(size);
  for (size_t i = 0; i < size; i++) {
    const int c = int(i % size_t(channels));
    const double t = double(i / size_t(channels));
    const double v =
        60 * std::sin(t * (0.031 + 0.017 * c)) + 35 * std::sin(t * (0.0071 + 0.003 * c));
    out[i] = uint8_t(128 + int(v) + int(r.Below(5)) - 2);
  }
  return out;
}
