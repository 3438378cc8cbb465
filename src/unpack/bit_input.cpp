#include "unpack/bit_input.h"

namespace {

// The next piece of the source's spans; false when the source has none.
bool NextPiece(BitInput* in) {
  if (in->restSize == 0) {
    const uint8_t* data = nullptr;
    const uint32_t n = in->source.next(in->source.context, &data);
    if (n == 0 || data == nullptr) return false;
    in->rest = data;
    in->restSize = n;
  }
  in->pieceStart += in->pieceSize;
  in->piece = in->rest;
  in->pieceSize = in->restSize < MaxPieceSize ? in->restSize : MaxPieceSize;
  in->rest += in->pieceSize;
  in->restSize -= in->pieceSize;
  return true;
}

void ReadFromPiece(BitInput* in, uint64_t at) {
  in->bytes = in->piece;
  in->base = in->pieceStart;
  in->bytePos = uint32_t(at - in->pieceStart);
  in->readable = in->pieceSize;
  in->dataEnd = DataEndUnknown;
}

}  // namespace

void StartInput(BitInput* in) {
  in->piece = nullptr;
  in->pieceSize = 0;
  in->pieceStart = 0;
  in->restSize = 0;
  in->ended = !NextPiece(in);
  in->bytes = in->edge;
  in->base = 0;
  in->bytePos = 0;
  in->bitPos = 0;
  in->edgeFill = 0;
  in->readable = 0;
  in->overrun = false;
  MoveInput(in, MaxReadAhead);
}

void MoveInput(BitInput* in, uint32_t need) {
  const uint64_t at = in->base + in->bytePos;
  if (!in->ended && at >= in->pieceStart && at + need <= in->pieceStart + in->pieceSize) {
    ReadFromPiece(in, at);
    return;
  }
  // The edge from the next unread byte on: first what the edge holds of it
  // already, then the rest from the pieces, as far as EdgeDataSize.
  uint32_t n = 0;
  if (in->bytes == in->edge && in->bytePos < in->edgeFill) {
    n = in->edgeFill - in->bytePos;
    std::memmove(in->edge, in->edge + in->bytePos, n);
  }
  while (n < EdgeDataSize && !in->ended) {
    const uint64_t from = at + n;
    const uint64_t pieceEnd = in->pieceStart + in->pieceSize;
    if (from >= in->pieceStart && from < pieceEnd) {
      const uint64_t left = pieceEnd - from;
      const uint32_t take = left < EdgeDataSize - n ? uint32_t(left) : EdgeDataSize - n;
      std::memcpy(in->edge + n, in->piece + (from - in->pieceStart), take);
      n += take;
    } else if (!NextPiece(in)) {
      in->ended = true;
    }
  }
  std::memset(in->edge + n, 0, EdgeSize - n);
  in->bytes = in->edge;
  in->base = at;
  in->bytePos = 0;
  in->edgeFill = n;
  if (in->ended) {
    // Past the data's end the edge reads as zeros, counted by dataEnd.
    const uint64_t end = in->pieceStart + in->pieceSize;
    in->readable = EdgeSize;
    in->dataEnd = end > at ? uint32_t(end - at) : 0;
    in->overrun = end < at;
  } else {
    in->readable = n;
    in->dataEnd = DataEndUnknown;
  }
}
