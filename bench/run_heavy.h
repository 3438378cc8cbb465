// Generated files of the kinds that are mostly runs: plain bitmaps, images
// of few colours, icons, and program-like files with zero-filled sections.
// Fixed seeds, so the bytes are the same on every run.
#pragma once

#include <cstdint>
#include <vector>

// A Windows bitmap file: 24-bit, or 8-bit with a grey palette.
std::vector<uint8_t> WindowsBitmap(int width, int height, int bits,
                                   const std::vector<uint8_t>& pixels);

// 24-bit pixels: large flat panels and bars, a few gradients and lines.
std::vector<uint8_t> PlainPicture(int width, int height, uint64_t seed);

// 8-bit pixels of a handful of colours: filled shapes, stripes, dots.
std::vector<uint8_t> FewColourPicture(int width, int height, uint64_t seed);

// An icon file with one 32-bit image (alpha and mask) per size given.
std::vector<uint8_t> IconFile(const std::vector<int>& sizes, uint64_t seed);

// Program-like bytes: code from `code` cut into sections, each padded with
// zeros to a 64 KiB boundary, and a large zero-filled data section.
std::vector<uint8_t> ZeroPaddedSections(const std::vector<uint8_t>& code);
