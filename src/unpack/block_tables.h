// Block headers: the audio and delta flags, the level code, and the code
// lengths of every table of the coming block.
#pragma once

#include <cstdint>

#include "unpack/compressed_format.h"

struct Rar20Decoder;

// The values the LZ tables' entries give (see SymbolFields). The literal
// alphabet's byte values and its symbols 256..260 and 269 stand for
// themselves; a short match's symbol for ShortMatchValue plus its
// distance's base (the distance less its extra bits), and a new match's
// symbol for NewMatchValue plus its length's base (the length less its
// extra bits and any bonus). The distance alphabet stands for distance
// bases, the length alphabet of recent-distance matches for length bases.
// An audio table's byte symbols stand for their errors (AudioError), its
// header symbol for AudioHeaderValue, which no error equals.
constexpr int32_t AudioHeaderValue = 1 << 19;
constexpr uint32_t ShortMatchValue = 1024;
constexpr uint32_t NewMatchValue = 2048;
static_assert(ShortMatchValue > uint32_t(SymbolMatchFirst) &&
                  ShortMatchValue + MaxShortDistance <= NewMatchValue,
              "each kind of literal symbol in a range of values of its own");

// Points each table at its alphabet's fields, so that a table no header has
// built yet decodes by them too (a solid entry after a broken header may
// use one).
void AssignTableFields(Rar20Decoder* d);

// Reads one block header at the input position and rebuilds the tables of
// the coming block; sets dataError on a header no intact data has.
void ReadBlockTables(Rar20Decoder* d);
