// Estimates that decide whether bytes are coded as audio, and with how many
// channels: entropy of the predictor's delta symbols, from samples or whole.
#pragma once

#include <cstdint>

#include "audio_predictor.h"

namespace packer {

struct SoundEstimate {
  int channels;  // 1..4, the best count
  double audioBitsPerByte;
  double plainBitsPerByte;  // order-0 entropy of the bytes themselves
};

// Samples the bytes (all of them when short) with a fresh predictor for
// each channel count.
SoundEstimate EstimateSound(const uint8_t* data, uint32_t size);

// Where the estimate of size bytes looks: count windows of windowSize bytes
// at starts, so that a stream read in pieces can fetch just those.
struct SoundSampling {
  static constexpr uint32_t MaxWindows = 8;
  uint32_t count;
  uint32_t windowSize;
  uint32_t starts[MaxWindows];
};
SoundSampling SoundSamplesOf(uint32_t size);
// The estimate from the sampled windows laid back to back.
SoundEstimate EstimateSoundSamples(const uint8_t* samples, const SoundSampling& sampling);

// Bits to code the bytes as audio with `channels` channels, continuing a
// copy of model (its current channel as a new block header leaves it).
double AudioBits(const AudioModel& model, int channels, const uint8_t* data, uint32_t size);

// Sum over the counts of -log2 of their share: the entropy bound in bits.
double EntropyBits(const uint32_t* counts, int n);

// What a prefix code can reach: the entropy bound, but never less than one
// bit a symbol. Runs and flat areas have almost no entropy, and without the
// floor any coding of them looks free.
double PrefixCodeBits(const uint32_t* counts, int n);

}  // namespace packer
