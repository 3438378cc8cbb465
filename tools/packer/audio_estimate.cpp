#include "audio_estimate.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace packer {

double EntropyBits(const uint32_t* counts, int n) {
  double total = 0, sum = 0;
  for (int i = 0; i < n; i++) {
    if (counts[i] == 0) continue;
    total += counts[i];
    sum += counts[i] * std::log2(double(counts[i]));
  }
  return total > 0 ? total * std::log2(total) - sum : 0;
}

double PrefixCodeBits(const uint32_t* counts, int n) {
  double total = 0;
  for (int i = 0; i < n; i++) total += counts[i];
  return std::max(EntropyBits(counts, n), total);
}

double AudioBits(const AudioModel& start, int channels, const uint8_t* data, uint32_t size) {
  AudioModel model = start;
  if (model.currentChannel >= channels) model.currentChannel = 0;
  static thread_local uint32_t counts[4][256];
  std::memset(counts, 0, sizeof counts);
  int c = model.currentChannel;
  for (uint32_t i = 0; i < size; i++) {
    counts[c][EncodeAudioByte(&model.channel[c], &model.crossDelta, data[i])]++;
    if (++c == channels) c = 0;
  }
  double bits = 0;
  for (int k = 0; k < channels; k++) bits += PrefixCodeBits(counts[k], 256);
  return bits;
}

SoundSampling SoundSamplesOf(uint32_t size) {
  constexpr uint32_t Window = 8192, Windows = SoundSampling::MaxWindows;
  SoundSampling s{};
  if (size <= Window * Windows) {
    s.count = 1;
    s.windowSize = size;
    s.starts[0] = 0;
  } else {
    s.count = Windows;
    s.windowSize = Window;
    // Window starts keep a multiple of 4 bytes, so channels stay in step.
    for (uint32_t w = 0; w < Windows; w++)
      s.starts[w] = uint32_t(uint64_t(size - Window) * w / (Windows - 1)) & ~3u;
  }
  return s;
}

SoundEstimate EstimateSoundSamples(const uint8_t* samples, const SoundSampling& s) {
  SoundEstimate e{1, 8.0, 8.0};
  if (s.windowSize == 0) return e;
  uint32_t plain[256] = {};
  for (uint32_t i = 0; i < s.count * s.windowSize; i++) plain[samples[i]]++;
  const double sampled = double(s.count) * s.windowSize;
  e.plainBitsPerByte = EntropyBits(plain, 256) / sampled;
  for (int channels = 1; channels <= 4; channels++) {
    double bits = 0;
    for (uint32_t w = 0; w < s.count; w++) {
      AudioModel fresh;
      ResetAudioModel(&fresh);
      bits += AudioBits(fresh, channels, samples + size_t(w) * s.windowSize, s.windowSize);
    }
    const double perByte = bits / sampled;
    if (perByte < e.audioBitsPerByte) {
      e.audioBitsPerByte = perByte;
      e.channels = channels;
    }
  }
  return e;
}

SoundEstimate EstimateSound(const uint8_t* data, uint32_t size) {
  const SoundSampling s = SoundSamplesOf(size);
  if (s.count == 1) return EstimateSoundSamples(data, s);
  std::vector<uint8_t> samples(size_t(s.count) * s.windowSize);
  for (uint32_t w = 0; w < s.count; w++)
    std::memcpy(samples.data() + size_t(w) * s.windowSize, data + s.starts[w], s.windowSize);
  return EstimateSoundSamples(samples.data(), s);
}

}  // namespace packer
