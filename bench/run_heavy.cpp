#include "run_heavy.h"

#include <algorithm>

#include "archive/byte_order.h"

namespace {

class Random {
 public:
  explicit Random(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 11) {}
  uint32_t Next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 7;
    s_ ^= s_ << 17;
    return uint32_t(s_ >> 16);
  }
  uint32_t Below(uint32_t n) { return Next() % n; }

 private:
  uint64_t s_;
};

}  // namespace

std::vector<uint8_t> WindowsBitmap(int width, int height, int bits,
                                   const std::vector<uint8_t>& pixels) {
  const int stride = ((width * bits / 8) + 3) & ~3;
  const uint32_t palette = bits == 8 ? 1024 : 0;
  std::vector<uint8_t> b = {'B', 'M'};
  AppendU32(&b, 54 + palette + uint32_t(stride * height));
  AppendU32(&b, 0);
  AppendU32(&b, 54 + palette);
  AppendU32(&b, 40);
  AppendU32(&b, uint32_t(width));
  AppendU32(&b, uint32_t(height));
  AppendU16(&b, 1);
  AppendU16(&b, uint32_t(bits));
  AppendU32(&b, 0);
  AppendU32(&b, uint32_t(stride * height));
  AppendU32(&b, 2835);
  AppendU32(&b, 2835);
  AppendU32(&b, bits == 8 ? 256 : 0);
  AppendU32(&b, 0);
  for (uint32_t i = 0; i < palette / 4; i++) {
    b.push_back(uint8_t(i));
    b.push_back(uint8_t(i));
    b.push_back(uint8_t(i));
    b.push_back(0);
  }
  const int row = width * bits / 8;
  for (int y = 0; y < height; y++) {
    b.insert(b.end(), pixels.begin() + long(y) * row, pixels.begin() + long(y + 1) * row);
    b.insert(b.end(), size_t(stride - row), 0);
  }
  return b;
}

std::vector<uint8_t> PlainPicture(int width, int height, uint64_t seed) {
  Random r(seed);
  std::vector<uint8_t> px(size_t(width) * size_t(height) * 3, 0xF0);
  auto put = [&](int x, int y, uint32_t bgr) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    uint8_t* p = &px[(size_t(y) * size_t(width) + size_t(x)) * 3];
    p[0] = uint8_t(bgr);
    p[1] = uint8_t(bgr >> 8);
    p[2] = uint8_t(bgr >> 16);
  };
  for (int panel = 0; panel < 25; panel++) {
    const int x0 = int(r.Below(uint32_t(width))), y0 = int(r.Below(uint32_t(height)));
    const int w = 50 + int(r.Below(400)), h = 30 + int(r.Below(300));
    const uint32_t colour = r.Next() & 0xFFFFFF;
    const bool gradient = r.Below(5) == 0;
    for (int y = y0; y < y0 + h; y++)
      for (int x = x0; x < x0 + w; x++)
        put(x, y, gradient ? colour + uint32_t((y - y0) * 255 / h) : colour);
  }
  for (int line = 0; line < 60; line++) {
    const int y = int(r.Below(uint32_t(height)));
    const int x0 = int(r.Below(uint32_t(width))), w = int(r.Below(600));
    for (int x = x0; x < x0 + w; x++) put(x, y, 0x202020);
  }
  return px;
}

std::vector<uint8_t> FewColourPicture(int width, int height, uint64_t seed) {
  Random r(seed);
  const uint8_t colours[6] = {255, 0, 128, 64, 200, 32};
  std::vector<uint8_t> px(size_t(width) * size_t(height), colours[0]);
  for (int shape = 0; shape < 40; shape++) {
    const int cx = int(r.Below(uint32_t(width))), cy = int(r.Below(uint32_t(height)));
    const int radius = 10 + int(r.Below(120));
    const uint8_t c = colours[1 + r.Below(5)];
    const bool striped = r.Below(3) == 0;
    for (int y = std::max(0, cy - radius); y < std::min(height, cy + radius); y++)
      for (int x = std::max(0, cx - radius); x < std::min(width, cx + radius); x++)
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < radius * radius && (!striped || y % 6 < 3))
          px[size_t(y) * size_t(width) + size_t(x)] = c;
  }
  for (int dot = 0; dot < 2000; dot++) px[r.Below(uint32_t(px.size()))] = colours[r.Below(6)];
  return px;
}

std::vector<uint8_t> IconFile(const std::vector<int>& sizes, uint64_t seed) {
  Random r(seed);
  std::vector<std::vector<uint8_t>> images;
  for (int n : sizes) {
    // The bitmap header of an icon image counts the mask rows too.
    std::vector<uint8_t> img;
    AppendU32(&img, 40);
    AppendU32(&img, uint32_t(n));
    AppendU32(&img, uint32_t(2 * n));
    AppendU16(&img, 1);
    AppendU16(&img, 32);
    for (int k = 0; k < 6; k++) AppendU32(&img, 0);
    const double c = (n - 1) / 2.0, outer = n * 0.45, inner = n * 0.3;
    const uint32_t fill = r.Next() | 0xFF000000u, ring = r.Next() | 0xFF000000u;
    std::vector<uint8_t> mask;
    const int maskStride = ((n + 31) / 32) * 4;
    for (int y = 0; y < n; y++) {
      std::vector<uint8_t> maskRow(size_t(maskStride), 0);
      for (int x = 0; x < n; x++) {
        const double d2 = (x - c) * (x - c) + (y - c) * (y - c);
        const uint32_t p = d2 < inner * inner ? fill : d2 < outer * outer ? ring : 0;
        AppendU32(&img, p);
        if (p == 0) maskRow[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
      }
      mask.insert(mask.end(), maskRow.begin(), maskRow.end());
    }
    img.insert(img.end(), mask.begin(), mask.end());
    images.push_back(std::move(img));
  }
  std::vector<uint8_t> ico;
  AppendU16(&ico, 0);
  AppendU16(&ico, 1);
  AppendU16(&ico, uint32_t(sizes.size()));
  uint32_t offset = 6 + 16 * uint32_t(sizes.size());
  for (size_t i = 0; i < sizes.size(); i++) {
    ico.push_back(uint8_t(sizes[i] >= 256 ? 0 : sizes[i]));
    ico.push_back(uint8_t(sizes[i] >= 256 ? 0 : sizes[i]));
    ico.push_back(0);
    ico.push_back(0);
    AppendU16(&ico, 1);
    AppendU16(&ico, 32);
    AppendU32(&ico, uint32_t(images[i].size()));
    AppendU32(&ico, offset);
    offset += uint32_t(images[i].size());
  }
  for (const std::vector<uint8_t>& img : images) ico.insert(ico.end(), img.begin(), img.end());
  return ico;
}

std::vector<uint8_t> ZeroPaddedSections(const std::vector<uint8_t>& code) {
  constexpr size_t Align = 64u << 10, Section = 200u << 10;
  std::vector<uint8_t> out(4096, 0);  // headers, mostly zeros
  out[0] = 'M';
  out[1] = 'Z';
  for (size_t at = 0; at < code.size(); at += Section) {
    const size_t n = std::min(Section, code.size() - at);
    out.insert(out.end(), code.begin() + long(at), code.begin() + long(at + n));
    out.resize((out.size() + Align - 1) / Align * Align, 0);
  }
  out.resize(out.size() + (3u << 20), 0);  // uninitialised data written out
  return out;
}
