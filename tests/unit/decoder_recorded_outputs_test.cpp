// The decoder gives exactly the results it gave before its fast paths: on
// thousands of generated streams (intact, bit-flipped, truncated, garbage,
// solid chains, audio and LZ blocks with random codes, window wraps) the
// delivered bytes, their count and the broken-data flag match the values
// recorded in data/decoder_outputs_*.txt, whether the output is written
// through the window or straight, and whether the packed bytes come in one
// span or in small pieces. (Recorded from the plain byte-at-a-time decoder,
// with bits past a stream's end read as zeros.)
// ORBIVUE_RECORD_DECODER_OUTPUTS=folder writes the files there instead.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "decoder_fixture.h"
#include "lz_stream.h"
#include "pack_support.h"
#include "packer/stream_encoder.h"

namespace {

uint32_t Crc(const std::vector<uint8_t>& v) {
  return uint32_t(crc32(0, v.data(), uInt(v.size())));
}

// Random code lengths that form a complete prefix code over `used` of the
// n symbols (a random tree of at most 15 levels), or, now and then, lengths
// that oversubscribe or leave holes in the code space.
std::vector<uint8_t> RandomLengths(TestRandom& r, size_t n) {
  std::vector<uint8_t> lengths(n, 0);
  if (r.Below(8) == 0) {
    for (uint8_t& l : lengths) l = uint8_t(r.Below(16));
    return lengths;
  }
  const uint32_t used = 1 + r.Below(uint32_t(n));
  std::vector<uint8_t> depths = {0};
  while (depths.size() < used) {
    const size_t i = r.Below(uint32_t(depths.size()));
    if (depths[i] >= 15) continue;
    const uint8_t d = uint8_t(depths[i] + 1);
    depths[i] = d;
    depths.push_back(d);
  }
  if (used == 1) depths[0] = 1;
  std::vector<uint32_t> order(n);
  for (size_t i = 0; i < n; i++) order[i] = uint32_t(i);
  for (size_t i = n; i > 1; i--) std::swap(order[i - 1], order[r.Below(uint32_t(i))]);
  for (size_t i = 0; i < used; i++) lengths[order[i]] = depths[i];
  if (r.Below(6) == 0) lengths[r.Below(uint32_t(n))] = 0;  // a hole in the code
  return lengths;
}

// Random symbols of every kind under random codes. The codes stay in force
// from one entry of a chain to the next, as a solid entry continues them.
struct SymbolStream {
  BitWriter w;
  uint32_t produced = 0;
  TestRandom& r;
  bool audio = false;
  int channels = 1;
  int channel = 0;
  LzCodes lz{FlatLzLengths()};
  std::vector<CanonicalCode> audioCodes;
  explicit SymbolStream(TestRandom& rng) : r(rng) {}

  void StartEntry() {
    w = BitWriter();
    produced = 0;
  }
  void Put(const CanonicalCode& code, uint32_t s) {
    if (s < code.lengths.size() && code.lengths[s]) code.Put(w, s);
  }
  uint32_t Distance() {
    switch (r.Below(4)) {
      case 0:
        return 1 + r.Below(8);
      case 1:
        return 1 + r.Below(300);
      case 2:
        return 1 + r.Below(70000);
      default:
        return 1 + r.Below(1u << 20);
    }
  }
  // A block header; after the first, announced by the switch symbol.
  void NewBlock(bool announce) {
    if (announce) {
      if (audio)
        Put(audioCodes[size_t(channel)], 256);
      else
        Put(lz.literal, 269);
    }
    audio = r.Below(4) == 0;
    std::vector<uint8_t> lengths;
    if (audio) {
      channels = 1 + int(r.Below(4));
      if (channel >= channels) channel = 0;
      audioCodes.clear();
      for (int c = 0; c < channels; c++) {
        auto l = RandomLengths(r, AudioSymbols);
        lengths.insert(lengths.end(), l.begin(), l.end());
        audioCodes.emplace_back(l);
      }
    } else if (r.Below(3) == 0) {
      lengths = FlatLzLengths();
    } else {
      for (size_t n : {LiteralSymbols, DistanceSymbols, RepLengthSymbols}) {
        auto l = RandomLengths(r, n);
        lengths.insert(lengths.end(), l.begin(), l.end());
      }
    }
    PutBlockHeader(w, lengths, audio, channels);
    if (!audio) lz = LzCodes(lengths);
  }
  void Symbols(uint32_t n) {
    for (; n > 0; n--) {
      if (audio) {
        Put(audioCodes[size_t(channel)], r.Below(4) ? r.Below(6) : r.Below(256));
        channel = (channel + 1) % channels;
        produced++;
        continue;
      }
      const uint32_t kind = r.Below(20);
      if (kind < 11) {
        Put(lz.literal, r.Below(4) ? 'a' + r.Below(8) : r.Below(256));
        produced++;
      } else if (kind < 15) {
        const Slot l = FindSlot(lengthBase, lengthBits, r.Below(255));
        Put(lz.literal, 270 + l.index);
        if (l.bits) w.Bits(l.extra, int(l.bits));
        const Slot d = FindSlot(distanceBase, distanceBits, Distance() - 1);
        Put(lz.distance, d.index);
        if (d.bits) w.Bits(d.extra, int(d.bits));
        produced += 3 + lengthBase[l.index] + l.extra;
      } else if (kind < 17) {
        Put(lz.literal, 257 + r.Below(4));
        const uint32_t k = r.Below(RepLengthSymbols);
        Put(lz.repLength, k);
        if (lengthBits[k]) w.Bits(r.Below(1u << lengthBits[k]), lengthBits[k]);
        produced += 2 + lengthBase[k];
      } else if (kind < 19) {
        const uint32_t k = r.Below(8);
        Put(lz.literal, 261 + k);
        w.Bits(r.Below(1u << shortBits[k]), shortBits[k]);
        produced += 2;
      } else {
        Put(lz.literal, 256);
        produced += 3;
      }
    }
  }
};

std::vector<uint8_t> Mutated(TestRandom& r, std::vector<uint8_t> b) {
  if (b.empty()) return b;
  switch (r.Below(6)) {
    case 0:
      for (uint32_t n = 1 + r.Below(3); n > 0; n--)
        b[r.Below(uint32_t(b.size()))] ^= uint8_t(1u << r.Below(8));
      break;
    case 1:
      b.resize(r.Below(uint32_t(b.size())));
      break;
    case 2: {
      const uint32_t at = r.Below(uint32_t(b.size()));
      for (uint32_t i = at; i < b.size() && i < at + 1 + r.Below(64); i++) b[i] = uint8_t(r.Next());
      break;
    }
    default:
      break;  // intact
  }
  return b;
}

// The recorded outputs live in data/ beside this source file.
std::string DataDir() {
  const std::string source = __FILE__;
  return source.substr(0, source.find_last_of('/')) + "/data";
}

class Recorder {
 public:
  // Fails the test when the recorded file holds fewer than `least` cases.
  Recorder(const std::string& file, size_t least) {
    const char* dir = std::getenv("ORBIVUE_RECORD_DECODER_OUTPUTS");
    if (dir) {
      recordPath_ = std::string(dir) + "/" + file;
      return;
    }
    std::ifstream in(DataDir() + "/" + file);
    std::string line;
    while (std::getline(in, line))
      if (!line.empty() && line[0] != '#') expected_.push_back(line);
    if (expected_.size() < least) ADD_FAILURE() << "data/" << file << " is missing or short";
  }
  ~Recorder() {
    // A run that recorded nothing (the direct and piece variants, which only
    // check) leaves the other's file alone.
    if (recordPath_.empty() || lines_.empty()) return;
    std::ofstream out(recordPath_);
    out << "# case input-crc delivered-count delivered-crc broken remaining-negative\n";
    for (const std::string& l : lines_) out << l << "\n";
  }
  bool Recording() const { return !recordPath_.empty(); }

  void Decode(DecodeRun& run, const std::vector<uint8_t>& packed, uint32_t size, bool solid,
              bool deliver, uint32_t capacity = UINT32_MAX) {
    const std::vector<uint8_t> out = run.Entry(packed, size, solid, deliver, capacity);
    std::ostringstream line;
    line << lines_.size() << ' ' << std::hex << Crc(packed) << std::dec << ' ' << out.size() << ' '
         << std::hex << Crc(out) << std::dec << ' ' << int(run.decoder.dataError) << ' '
         << int(run.decoder.entry.left <= 0);
    const size_t i = lines_.size();
    lines_.push_back(line.str());
    if (Recording()) return;
    ASSERT_LT(i, expected_.size()) << "fewer recorded outputs than cases";
    const std::string want = expected_[i];
    if (want.substr(0, want.find(' ', want.find(' ') + 1)) !=
        line.str().substr(0, line.str().find(' ', line.str().find(' ') + 1)))
      FAIL() << "case " << i << ": the generated input differs from the recorded one (" << want
             << " / " << line.str() << "); the generators changed, not the run.decoder";
    EXPECT_EQ(line.str(), want) << "case " << i;
  }
  size_t Cases() const { return lines_.size(); }
  size_t Expected() const { return expected_.size(); }

 private:
  std::string recordPath_;
  std::vector<std::string> expected_;
  std::vector<std::string> lines_;
};

// direct: entries with an output are written straight into it; otherwise
// every byte goes through the window, as the recorded outputs were made.
// pieceSize: the packed bytes are handed out in pieces of so many bytes
// (0: in one span).
void RandomCodedStreams(bool direct, uint32_t pieceSize = 0) {
  Recorder rec("decoder_outputs_coded.txt", 1000);
  if ((direct || pieceSize) && rec.Recording()) return;
  TestRandom r(2026);
  DecodeRun run;
  run.direct = direct;
  run.spanSize = pieceSize;
  for (int round = 0; round < 700; round++) {
    // A chain of one to three entries; the later ones continue solid.
    SymbolStream s(r);
    const int entries = 1 + int(r.Below(3));
    for (int e = 0; e < entries; e++) {
      s.StartEntry();
      if (e == 0) s.NewBlock(false);
      for (uint32_t b = r.Below(3); b > 0; b--) {
        s.Symbols(r.Below(2500));
        s.NewBlock(true);
      }
      s.Symbols(r.Below(2500));
      std::vector<uint8_t> bytes = s.w.Bytes(r.Below(3) == 0 ? 0 : r.Below(8));
      if (r.Below(3) == 0) bytes = Mutated(r, bytes);
      uint32_t size = s.produced;
      if (r.Below(3) == 0) size = r.Below(2 * s.produced + 10);
      const bool deliver = r.Below(5) != 0;
      const uint32_t capacity = r.Below(6) == 0 ? r.Below(size + 1) : UINT32_MAX;
      rec.Decode(run, bytes, size, e > 0, deliver, capacity);
    }
  }
  // Pure garbage, and garbage behind a valid header.
  for (int round = 0; round < 300; round++) {
    std::vector<uint8_t> bytes;
    if (round % 2) {
      LzStream s;
      bytes = s.Bytes();
    }
    for (uint32_t n = r.Below(20000); n > 0; n--) bytes.push_back(uint8_t(r.Next()));
    rec.Decode(run, bytes, r.Below(300000), round % 3 == 2, round % 4 != 0);
  }
  EXPECT_EQ(rec.Cases(), rec.Recording() ? rec.Cases() : rec.Expected());
}

// The packer's real streams: text, random bytes, runs, sounds of one to
// four channels, at every level; mutated now and then.
void PackedStreams(bool direct, uint32_t pieceSize = 0) {
  Recorder rec("decoder_outputs_packed.txt", 100);
  if ((direct || pieceSize) && rec.Recording()) return;
  TestRandom r(77);
  DecodeRun run;
  run.direct = direct;
  run.spanSize = pieceSize;
  for (int round = 0; round < 60; round++) {
    std::vector<uint8_t> data;
    std::vector<packer::StreamEntry> entries;
    for (uint32_t n = 1 + r.Below(4); n > 0; n--) {
      const uint32_t size = r.Below(3) == 0 ? r.Below(200) : r.Below(60000);
      std::vector<uint8_t> part;
      switch (r.Below(5)) {
        case 0:
          part = TextData(size, r.Next());
          break;
        case 1:
          part = RandomData(size, r.Next());
          break;
        case 2:
          part = SoundData(size, 1 + int(r.Below(4)), r.Next());
          break;
        case 3:
          part.assign(size, uint8_t(r.Next()));
          break;
        default:
          part = TextData(size, r.Next());
          for (size_t i = 0; i < part.size(); i += 1 + r.Below(40)) part[i] = uint8_t(r.Next());
      }
      entries.push_back({uint32_t(data.size()), size});
      data.insert(data.end(), part.begin(), part.end());
    }
    const size_t size = data.size();
    data.resize(size + 16);
    packer::EncodeSettings settings;
    settings.level = 1 + int(r.Below(5));
    settings.audio = packer::AudioChoice(r.Below(3));
    const auto streams = packer::EncodeStream(data.data(), uint32_t(size), entries, settings);
    for (size_t e = 0; e < streams.size(); e++) {
      const std::vector<uint8_t> bytes = r.Below(4) == 0 ? Mutated(r, streams[e]) : streams[e];
      rec.Decode(run, bytes, entries[e].size, e > 0, r.Below(6) != 0);
    }
  }
  // A stream longer than the window: matches across its wrap, far distances.
  std::vector<uint8_t> big = TextData(2600000, 5);
  for (size_t i = 0; i < big.size(); i += 997) big[i] = uint8_t(i >> 7);
  for (size_t i = 1100000; i < 1300000; i++) big[i] = big[i - 1048000];
  const uint32_t bigSize = uint32_t(big.size());
  big.resize(bigSize + 16);
  packer::EncodeSettings settings;
  settings.level = 2;
  const auto streams = packer::EncodeStream(big.data(), bigSize, {{0, bigSize}}, settings);
  rec.Decode(run, streams[0], bigSize, false, true);
  rec.Decode(run, Mutated(r, streams[0]), bigSize, false, true);
  EXPECT_EQ(rec.Cases(), rec.Recording() ? rec.Cases() : rec.Expected());
}

TEST(DecoderRecordedOutputs, SameBytesOnRandomCodedStreamsIntactAndBroken) {
  RandomCodedStreams(false);
}

TEST(DecoderRecordedOutputs, SameBytesOnRandomCodedStreamsWrittenStraightIntoTheOutput) {
  RandomCodedStreams(true);
}

TEST(DecoderRecordedOutputs, SameBytesOnRandomCodedStreamsHandedOutInPieces) {
  RandomCodedStreams(false, 97);
}

TEST(DecoderRecordedOutputs, SameBytesOnPackedStreamsIntactAndBroken) {
  PackedStreams(false);
}

TEST(DecoderRecordedOutputs, SameBytesOnPackedStreamsWrittenStraightIntoTheOutput) {
  PackedStreams(true);
}

TEST(DecoderRecordedOutputs, SameBytesOnPackedStreamsHandedOutInPieces) {
  PackedStreams(true, 1000);
}

}  // namespace
