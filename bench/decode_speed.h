// Decoding speed of our reader against zlib's inflate and libdeflate on the
// same files, best of three rounds, MB/s of output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench_corpus.h"

struct DecodeSpeeds {
  double ours = 0;
  double inflate = 0;
  double libdeflate = 0;
  double inflateReused = 0;  // inflate into one buffer kept for all files
};

// archive holds the files under names; zlibStreams and deflateStreams hold
// each file zlib-wrapped. Each decoder writes every file into a buffer
// allocated for it and freed after it, as a get request hands out its
// output, so that all three pay the same for fresh memory.
DecodeSpeeds MeasureDecodeSpeeds(const std::vector<uint8_t>& archive,
                                 const std::vector<std::string>& names,
                                 const std::vector<CorpusFile>& corpus,
                                 const std::vector<std::vector<uint8_t>>& zlibStreams,
                                 const std::vector<std::vector<uint8_t>>& deflateStreams);
