// The passes of the decoding loop: symbols of LZ and audio blocks into the
// window, with moves of the input, deliveries and block headers between runs
// of passes.
#pragma once

struct Rar20Decoder;

// Decodes until the entry has produced its bytes (entry.left at 0 or
// below) or its data turn out broken (dataError).
void DecodeLoop(Rar20Decoder* d);
