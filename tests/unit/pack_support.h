// Shared by the packer tests: archives built in memory with the packer and
// read back through the installer's own reader, and generated inputs.
#pragma once

#include <algorithm>
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

// The kinds of input that are mostly runs, small enough for every level.

// A 24-bit bitmap file of flat panels on a light ground, with a few lines.
inline std::vector<uint8_t> PlainBitmapData(int width, int height, uint64_t seed) {
  TestRandom r(seed);
  const int stride = (width * 3 + 3) & ~3;
  std::vector<uint8_t> out(54 + size_t(stride) * size_t(height), 0xF0);
  std::fill(out.begin(), out.begin() + 54, 0);
  out[0] = 'B';
  out[1] = 'M';
  auto at = [&](int x, int y) { return &out[54 + size_t(y) * size_t(stride) + size_t(x) * 3]; };
  for (int panel = 0; panel < 12; panel++) {
    const int x0 = int(r.Below(uint32_t(width))), y0 = int(r.Below(uint32_t(height)));
    const int w = 20 + int(r.Below(uint32_t(width / 2))),
              h = 10 + int(r.Below(uint32_t(height / 2)));
    const uint32_t colour = r.Next();
    for (int y = y0; y < std::min(height, y0 + h); y++)
      for (int x = x0; x < std::min(width, x0 + w); x++) {
        uint8_t* p = at(x, y);
        p[0] = uint8_t(colour);
        p[1] = uint8_t(colour >> 8);
        p[2] = uint8_t(colour >> 16);
      }
  }
  for (int line = 0; line < 20; line++) {
    const int y = int(r.Below(uint32_t(height)));
    for (int x = 0; x < width; x++) at(x, y)[0] = at(x, y)[1] = at(x, y)[2] = 0x20;
  }
  return out;
}

// An 8-bit screen-like picture: a flat ground, bordered panels and rows of
// glyphs from a small set.
inline std::vector<uint8_t> ScreenBitmapData(int width, int height, uint64_t seed) {
  TestRandom r(seed);
  std::vector<uint8_t> out(1078 + size_t(width) * size_t(height), 212);
  std::fill(out.begin(), out.begin() + 1078, 0);
  out[0] = 'B';
  out[1] = 'M';
  uint8_t* px = out.data() + 1078;
  uint8_t glyphs[16][8];
  for (auto& g : glyphs)
    for (uint8_t& row : g) row = uint8_t(r.Next());
  for (int panel = 0; panel < 6; panel++) {
    const int x0 = int(r.Below(uint32_t(width))), y0 = int(r.Below(uint32_t(height)));
    const int w = 40 + int(r.Below(160)), h = 30 + int(r.Below(120));
    const uint8_t ground = uint8_t(200 + r.Below(56));
    for (int y = y0; y < std::min(height, y0 + h); y++)
      for (int x = x0; x < std::min(width, x0 + w); x++)
        px[size_t(y) * size_t(width) + size_t(x)] =
            y == y0 || x == x0 || y == y0 + h - 1 || x == x0 + w - 1 ? 80 : ground;
    for (int line = y0 + 4; line + 8 < std::min(height, y0 + h); line += 12)
      for (int x = x0 + 4; x + 6 < std::min(width, x0 + w); x += 7) {
        const uint8_t* g = glyphs[r.Below(16)];
        for (int gy = 0; gy < 8; gy++)
          for (int gx = 0; gx < 6; gx++)
            if (g[gy] >> gx & 1) px[size_t(line + gy) * size_t(width) + size_t(x + gx)] = 20;
      }
  }
  return out;
}

// An icon of one 32-bit image: a disc on a transparent ground, then its mask.
inline std::vector<uint8_t> IconData(int n, uint64_t seed) {
  TestRandom r(seed);
  std::vector<uint8_t> out = {0, 0, 1, 0, 1, 0};
  out.resize(6 + 16 + 40, 0);
  const uint32_t fill = r.Next() | 0xFF000000u;
  const double c = (n - 1) / 2.0, radius = n * 0.4;
  for (int y = 0; y < n; y++)
    for (int x = 0; x < n; x++) {
      const bool inside = (x - c) * (x - c) + (y - c) * (y - c) < radius * radius;
      for (int k = 0; k < 4; k++) out.push_back(inside ? uint8_t(fill >> (8 * k)) : 0);
    }
  for (int y = 0; y < n; y++)
    for (int x = 0; x < (n + 31) / 32 * 32; x += 8) {
      uint8_t bits = 0;
      for (int k = 0; k < 8; k++)
        if ((x + k - c) * (x + k - c) + (y - c) * (y - c) >= radius * radius) bits |= 0x80 >> k;
      out.push_back(bits);
    }
  return out;
}

// Program-like bytes: stretches of text-like code, each padded with zeros to
// a 16 KiB boundary, then a long zero-filled section.
inline std::vector<uint8_t> ZeroPaddedData(size_t sections, uint64_t seed) {
  std::vector<uint8_t> out(1024, 0);
  for (size_t s = 0; s < sections; s++) {
    const std::vector<uint8_t> code = TextData(9000 + 1000 * s, seed + s);
    out.insert(out.end(), code.begin(), code.end());
    out.resize((out.size() + 16383) / 16384 * 16384, 0);
  }
  out.resize(out.size() + 100000, 0);
  return out;
}
