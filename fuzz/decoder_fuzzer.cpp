// Decodes a packed stream, and a second entry continuing it solid, three
// times: straight into an output with room for the decoder's slack; through
// the window into an output of exactly the entry's size; and so again with
// the packed bytes handed out in small pieces. All must deliver the same
// bytes with the same result, whatever the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "unpack/rar20_decoder.h"
#include "unpack/unpack_entry.h"

namespace {

// An entry's packed bytes handed out in pieces of `piece` bytes (0: all in
// one), each a copy of its own freed by the next call, so that the sanitizer
// sees a read past a span or of one no longer handed out.
struct Span {
  const uint8_t* data;
  size_t size;
  size_t read;
  size_t piece;
  std::unique_ptr<uint8_t[]> copy;
};

uint32_t NextSpan(void* context, const uint8_t** data) {
  Span* s = static_cast<Span*>(context);
  const size_t left = s->size - s->read;
  const size_t take = s->piece != 0 && s->piece < left ? s->piece : left;
  s->copy.reset();
  if (take == 0) return 0;
  s->copy.reset(new uint8_t[take]);
  std::memcpy(s->copy.get(), s->data + s->read, take);
  s->read += take;
  *data = s->copy.get();
  return uint32_t(take);
}

struct Entry {
  const uint8_t* packed;
  size_t packedSize;
  uint32_t size;
};

struct Outcome {
  ArchiveResult result;
  std::vector<uint8_t> bytes;
};

// Decodes the entries one after another with one decoder, the later ones
// solid; direct gives each output the room to be written into straight.
std::vector<Outcome> DecodeAll(const std::vector<Entry>& entries, bool direct, size_t piece) {
  auto decoder = std::make_unique<Rar20Decoder>();
  // A fresh decoder starts with a reset, which clears the window.
  static std::vector<uint8_t> window(WindowSize);
  std::vector<Outcome> outcomes;
  for (size_t i = 0; i < entries.size(); i++) {
    const Entry& e = entries[i];
    Span span{e.packed, e.packedSize, 0, piece, nullptr};
    // Exactly the room each way needs, so that the sanitizer sees a write
    // past it.
    const size_t room = direct ? size_t(e.size) + OutputSlack : e.size;
    std::unique_ptr<uint8_t[]> out(new uint8_t[room == 0 ? 1 : room]);
    UnpackHandOver job{};
    job.window = window.data();
    job.input = PackedSource{NextSpan, &span};
    job.size = e.size;
    job.solid = i > 0;
    job.output = out.get();
    job.capacity = e.size;
    job.room = room;
    job.windowKept = true;
    const UnpackOutcome o = UnpackEntry(decoder.get(), job);
    outcomes.push_back({o.result, std::vector<uint8_t>(out.get(), out.get() + o.delivered)});
  }
  return outcomes;
}

}  // namespace

// Input: two bytes of the first entry's packed length, three of each
// entry's size (up to 256 KiB: larger outputs slow every run, and the
// window's wrap is the recorded outputs' to cover), then the streams.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  const size_t split = (size_t(data[0]) << 8 | data[1]) % (size - 8 + 1);
  const uint32_t sizes[2] = {uint32_t(data[2]) << 16 | uint32_t(data[3]) << 8 | data[4],
                             uint32_t(data[5]) << 16 | uint32_t(data[6]) << 8 | data[7]};
  const uint8_t* streams = data + 8;
  const size_t streamBytes = size - 8;
  std::vector<Entry> entries = {{streams, split, sizes[0] & 0x3FFFF}};
  if (split < streamBytes)
    entries.push_back({streams + split, streamBytes - split, sizes[1] & 0x3FFFF});
  // The sizes' top six bits: the pieces the third decoding reads in.
  const size_t piece = 1 + (sizes[0] >> 18) * 5;
  const std::vector<Outcome> direct = DecodeAll(entries, true, 0);
  const std::vector<Outcome> windowed = DecodeAll(entries, false, 0);
  const std::vector<Outcome> pieces = DecodeAll(entries, false, piece);
  for (size_t i = 0; i < entries.size(); i++)
    if (direct[i].result != windowed[i].result || direct[i].bytes != windowed[i].bytes ||
        pieces[i].result != windowed[i].result || pieces[i].bytes != windowed[i].bytes)
      std::abort();
  return 0;
}
