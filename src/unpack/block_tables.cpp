#include "unpack/block_tables.h"

#include <cstring>

#include "unpack/audio.h"
#include "unpack/compressed_format.h"
#include "unpack/rar20_decoder.h"

// Room a header's fixed part needs (the flags, the channel bits and the
// level code's lengths, from any bit of the first byte, and a peek's four
// bytes at the last), and what one code-length symbol with the longest
// run's extra bits needs.
constexpr uint32_t HeaderReadAhead =
    (7 + HeaderFlagBits + AudioChannelBits + LevelSymbols * LevelLengthBits) / 8 + 4;
constexpr uint32_t LengthReadAhead = (7 + MaxCodeLength + LevelLongZerosBits) / 8 + 4;
static_assert(HeaderReadAhead <= MaxReadAhead && LengthReadAhead <= MaxReadAhead,
              "a header's reads within the room asked for");

namespace {

constexpr uint32_t Field(uint32_t value, uint32_t extra) {
  return value << EntryValueShift | extra << EntryExtraShift;
}

constexpr SymbolFields LiteralFields() {
  SymbolFields f = plainFields;
  for (int k = 0; k < ShortSlots; k++)
    f.field[SymbolShortFirst + k] = Field(ShortMatchValue + shortBase[k] + 1, shortBits[k]);
  for (int k = 0; k < RepLengthSymbols; k++)
    f.field[SymbolMatchFirst + k] =
        Field(NewMatchValue + lengthBase[k] + NewMatchMinLength, lengthBits[k]);
  return f;
}

constexpr SymbolFields DistanceFields() {
  SymbolFields f{};
  for (int k = 0; k < DistanceSymbols; k++)
    f.field[k] = Field(distanceBase[k] + 1, distanceBits[k]);
  return f;
}

constexpr SymbolFields RepLengthFields() {
  SymbolFields f{};
  for (int k = 0; k < RepLengthSymbols; k++)
    f.field[k] = Field(lengthBase[k] + RecentMatchMinLength, lengthBits[k]);
  return f;
}

constexpr SymbolFields AudioFields() {
  SymbolFields f{};
  for (uint32_t s = 0; s < uint32_t(AudioSymbolNewTables); s++)
    f.field[s] = uint32_t(AudioError(s)) << EntryValueShift;
  f.field[AudioSymbolNewTables] = Field(AudioHeaderValue, 0);
  return f;
}

constexpr SymbolFields audioFields = AudioFields();
constexpr SymbolFields literalFields = LiteralFields();
constexpr SymbolFields distanceFields = DistanceFields();
constexpr SymbolFields repLengthFields = RepLengthFields();

}  // namespace

void AssignTableFields(Rar20Decoder* d) {
  d->literalTable.fields = literalFields.field;
  d->distanceTable.fields = distanceFields.field;
  d->repLengthTable.fields = repLengthFields.field;
  d->levelTable.fields = plainFields.field;
  for (HuffTable& t : d->audioTables) t.fields = audioFields.field;
}

void ReadBlockTables(Rar20Decoder* d) {
  BitInput* in = &d->input;
  NeedInput(in, HeaderReadAhead);
  // The two flag bits, and in an audio block the channel bits, at the top
  // of one peek.
  const uint32_t h = PeekBits16(*in);
  d->audioMode = (h & 0x8000) != 0;
  if ((h & 0x4000) == 0) std::memset(d->previousLengths, 0, sizeof d->previousLengths);
  SkipBits(in, HeaderFlagBits);

  int total = LzLengthCount;
  if (d->audioMode) {
    d->channelCount = ((h >> (16 - HeaderFlagBits - AudioChannelBits)) & 3) + 1;
    if (d->currentChannel >= d->channelCount) d->currentChannel = 0;
    SkipBits(in, AudioChannelBits);
    total = AudioSymbols * int(d->channelCount);
  }

  uint8_t level[LevelSymbols];
  for (int i = 0; i < LevelSymbols; i++) {
    level[i] = uint8_t(ReadBits(in, LevelLengthBits));
  }
  BuildHuffTable(level, LevelSymbols, &d->levelTable);

  uint8_t lengths[MaxLengthCount];
  for (int i = 0; i < total;) {
    NeedInput(in, LengthReadAhead);
    const uint32_t c = DecodeSymbol(in, &d->levelTable);
    if (c < LevelRepeat) {
      lengths[i] = uint8_t((c + d->previousLengths[i]) & 15);
      i++;
    } else if (c == LevelRepeat) {
      // Nothing precedes the first length: no intact header starts so.
      if (i == 0) {
        d->dataError = true;
        return;
      }
      for (uint32_t n = ReadBits(in, LevelRepeatBits) + LevelRepeatBase; n > 0 && i < total;
           n--, i++)
        lengths[i] = lengths[i - 1];
    } else {
      const uint32_t n0 = c == LevelZeros ? ReadBits(in, LevelZerosBits) + LevelZerosBase
                                          : ReadBits(in, LevelLongZerosBits) + LevelLongZerosBase;
      for (uint32_t n = n0; n > 0 && i < total; n--, i++) lengths[i] = 0;
    }
  }

  if (d->audioMode) {
    for (uint32_t k = 0; k < d->channelCount; k++)
      BuildHuffTable(lengths + AudioSymbols * k, AudioSymbols, &d->audioTables[k],
                     audioFields.field);
  } else {
    BuildHuffTable(lengths, LiteralSymbols, &d->literalTable, literalFields.field);
    BuildHuffTable(lengths + LiteralSymbols, DistanceSymbols, &d->distanceTable,
                   distanceFields.field);
    BuildHuffTable(lengths + LiteralSymbols + DistanceSymbols, RepLengthSymbols, &d->repLengthTable,
                   repLengthFields.field);
  }
  // Lengths past this block's count keep their earlier values.
  std::memcpy(d->previousLengths, lengths, size_t(total));
}
