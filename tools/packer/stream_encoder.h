// RAR 2.0 compression of one stream: a run of entries whose bytes follow one
// another in the decoder's window. In a solid archive every file is in one
// stream; otherwise each file is a stream of its own. The first entry of a
// stream starts the decoder afresh and carries the first block header; the
// others continue its window, tables and state.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace packer {

enum class AudioChoice { Automatic, Always, Never };

struct EncodeSettings {
  int level = 3;  // 1..5
  AudioChoice audio = AudioChoice::Automatic;
  // Each entry that gets packed bits ends with a harmless symbol, so that
  // padding after it (the cipher's 16-byte blocks) never reads as a header.
  bool guardEntryEnds = false;
  // Told the bytes of the stream done so far, after each segment.
  std::function<void(uint32_t)> progress;
};

struct StreamEntry {
  uint32_t begin;  // offset of the entry's bytes in the stream
  uint32_t size;
};

// Kinds of symbols written, for reports and tests.
enum SymbolKind {
  KindLiteral,
  KindRepeatLast,  // 256
  KindRecent,      // 257..260
  KindShort,       // 261..268
  KindNewTables,   // 269 or audio 256
  KindNewMatch,    // 270..297
  KindAudio,       // audio delta
  SymbolKinds
};

struct EncodeReport {
  uint32_t lzBlocks = 0;
  uint32_t audioBlocks = 0;
  uint32_t audioChannelsUsed = 0;  // bit c-1 set when a c-channel block was written
  uint32_t closeChoices = 0;       // entries whose audio and LZ trial came out close
  uint64_t symbols[SymbolKinds] = {};
};

// Where a stream's bytes come from when it is not held whole: read in order
// as the encoder moves on (ReadNext), and sampled anywhere within an entry
// (ReadAt) for the audio estimate, and read again from the start for each
// encoding that is tried. A false return ends the encoding; the
// input keeps its own reason.
class StreamInput {
 public:
  virtual ~StreamInput() = default;
  // The next ReadNext starts at the stream's first byte.
  virtual bool Rewind() = 0;
  virtual bool ReadNext(uint8_t* out, uint32_t n) = 0;
  virtual bool ReadAt(uint32_t at, uint8_t* out, uint32_t n) = 0;
};

// Where the packed bytes of the entries go, entry after entry: each
// entry's bytes in order, then its end. Restart drops everything written,
// for an encoding that is to be made again. A false return ends the
// encoding; the output keeps its own reason.
class StreamOutput {
 public:
  virtual ~StreamOutput() = default;
  virtual bool Write(size_t entry, const uint8_t* bytes, size_t n) = 0;
  virtual bool EndEntry(size_t entry) = 0;
  virtual bool Restart() = 0;
};

// The stream read in pieces through a window that holds the bytes that
// matches may reach back to and a piece ahead, never the whole stream. The
// result is the same as EncodeStream's on the whole stream in memory. Where
// an estimate is uncertain, other encodings are measured and the smallest
// is written (made again after a Restart when it is not the first). Returns
// false when the input or output failed.
bool EncodeStreamFrom(StreamInput* input, uint32_t size, const std::vector<StreamEntry>& entries,
                      const EncodeSettings& settings, StreamOutput* output,
                      EncodeReport* report = nullptr);

// data holds size bytes followed by at least 16 readable bytes of padding.
// Entries lie back to back from offset 0 and cover the stream. Returns the
// packed bytes of each entry. Where a choice rests on an uncertain estimate
// (audio or LZ close in the automatic mode, the optimal parse of levels 4
// and 5), the stream is also encoded the other way and the smaller result
// is kept: level 4 or 5 is never larger than 3.
std::vector<std::vector<uint8_t>> EncodeStream(const uint8_t* data, uint32_t size,
                                               const std::vector<StreamEntry>& entries,
                                               const EncodeSettings& settings,
                                               EncodeReport* report = nullptr);

}  // namespace packer
