#include "unpack/bit_input.h"

void FillInput(BitInput* in) {
  const int32_t n = in->source.read(in->source.context, in->buffer, InputBufferSize);
  in->validBytes = n > 0 ? uint32_t(n) : 0;
  in->dataEnd = in->validBytes;
  in->bytePos = 0;
}

void SlideInput(BitInput* in) {
  const uint32_t from = InputBufferSize - SlideKeep;
  for (uint32_t i = 0; i < SlideKeep; i++) in->buffer[i] = in->buffer[from + i];
  in->bytePos %= SlideKeep;
  const uint32_t keptData = in->dataEnd > from ? in->dataEnd - from : 0;
  const int32_t n =
      in->source.read(in->source.context, in->buffer + SlideKeep, InputBufferSize - SlideKeep);
  if (n > 0) {
    in->validBytes = uint32_t(n) + SlideKeep;
    in->dataEnd = in->validBytes;
  } else {
    in->validBytes = in->bytePos;
    in->dataEnd = keptData;
  }
}

bool InputExhausted(const BitInput& in) {
  return in.bytePos > in.dataEnd || (in.bytePos == in.dataEnd && in.bitPos > 0);
}
