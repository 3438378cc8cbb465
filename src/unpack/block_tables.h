// Block headers: the audio and delta flags, the level code, and the code
// lengths of every table of the coming block.
#pragma once

struct Rar20Decoder;

// Reads one block header at the input position and rebuilds the tables of
// the coming block; sets dataError on a header no intact data has.
void ReadBlockTables(Rar20Decoder* d);
