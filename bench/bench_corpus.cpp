#include "bench_corpus.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "archive/byte_order.h"
#include "run_heavy.h"

namespace {

constexpr size_t MiB = 1u << 20;

class Random {
 public:
  explicit Random(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 7) {}
  uint32_t Next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 7;
    s_ ^= s_ << 17;
    return uint32_t(s_ >> 16);
  }
  double Unit() { return Next() / 4294967296.0; }

 private:
  uint64_t s_;
};

// The C++ library headers, in path order, up to limit bytes.
std::vector<uint8_t> HeaderText(size_t limit) {
  std::vector<std::string> files;
  ListFiles("/usr/include/c++/12", &files);
  std::vector<uint8_t> out;
  for (const std::string& f : files) {
    std::vector<uint8_t> part;
    if (!ReadPrefix(f, limit - out.size(), &part)) continue;
    out.insert(out.end(), part.begin(), part.end());
    if (out.size() >= limit) break;
  }
  return out;
}

// A photograph-like picture: smooth light, soft shapes, sensor noise.
std::vector<uint8_t> Photo(int width, int height, uint64_t seed) {
  Random r(seed);
  std::vector<uint8_t> px(size_t(width) * size_t(height) * 3);
  double cx[6], cy[6], rad[6], col[6][3];
  for (int k = 0; k < 6; k++) {
    cx[k] = r.Unit() * width;
    cy[k] = r.Unit() * height;
    rad[k] = 40 + r.Unit() * 200;
    for (int c = 0; c < 3; c++) col[k][c] = r.Unit() * 120 - 60;
  }
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++)
      for (int c = 0; c < 3; c++) {
        double v = 60 + 100.0 * y / height + 30 * std::sin(x * 0.01 + c);
        for (int k = 0; k < 6; k++) {
          const double d = std::hypot(x - cx[k], y - cy[k]) / rad[k];
          v += col[k][c] * std::exp(-d * d);
        }
        v += (r.Next() % 9) - 4.0;
        px[(size_t(y) * size_t(width) + size_t(x)) * 3 + size_t(c)] =
            uint8_t(std::min(255.0, std::max(0.0, v)));
      }
  return px;
}

// A screenshot-like picture: flat panels, borders and rows of glyphs.
std::vector<uint8_t> Screen(int width, int height, uint64_t seed) {
  Random r(seed);
  std::vector<uint8_t> px(size_t(width) * size_t(height), 212);
  auto fill = [&](int x0, int y0, int w, int h, uint8_t v) {
    for (int y = std::max(0, y0); y < std::min(height, y0 + h); y++)
      for (int x = std::max(0, x0); x < std::min(width, x0 + w); x++)
        px[size_t(y) * size_t(width) + size_t(x)] = v;
  };
  uint8_t glyphs[64][8];
  for (auto& g : glyphs)
    for (uint8_t& row : g) row = uint8_t(r.Next());
  for (int panel = 0; panel < 40; panel++) {
    const int x0 = int(r.Next() % uint32_t(width)), y0 = int(r.Next() % uint32_t(height));
    const int w = 100 + int(r.Next() % 400), h = 60 + int(r.Next() % 300);
    fill(x0, y0, w, h, 80);
    fill(x0 + 1, y0 + 1, w - 2, h - 2, uint8_t(200 + r.Next() % 56));
    for (int line = y0 + 6; line + 8 < y0 + h; line += 12)
      for (int x = x0 + 4; x + 6 < x0 + w; x += 7) {
        const uint8_t* g = glyphs[r.Next() % 64];
        for (int gy = 0; gy < 8; gy++)
          for (int gx = 0; gx < 6; gx++)
            if ((g[gy] >> gx & 1) && line + gy < height && x + gx < width)
              px[size_t(line + gy) * size_t(width) + size_t(x + gx)] = 20;
      }
  }
  return px;
}

std::vector<uint8_t> Wave(int channels, int bits, int rate, const std::vector<int16_t>& samples) {
  const uint32_t bytes = uint32_t(samples.size()) * uint32_t(bits / 8);
  std::vector<uint8_t> w = {'R', 'I', 'F', 'F'};
  AppendU32(&w, 36 + bytes);
  for (char c : std::string("WAVEfmt ")) w.push_back(uint8_t(c));
  AppendU32(&w, 16);
  AppendU16(&w, 1);
  AppendU16(&w, uint32_t(channels));
  AppendU32(&w, uint32_t(rate));
  AppendU32(&w, uint32_t(rate * channels * bits / 8));
  AppendU16(&w, uint32_t(channels * bits / 8));
  AppendU16(&w, uint32_t(bits));
  for (char c : std::string("data")) w.push_back(uint8_t(c));
  AppendU32(&w, bytes);
  for (int16_t s : samples) {
    if (bits == 8) {
      w.push_back(uint8_t(128 + (s >> 8)));
    } else {
      AppendU16(&w, uint16_t(s));
    }
  }
  return w;
}

// Music-like sound: notes with harmonics and decay, a little noise.
std::vector<int16_t> Music(size_t frames, int channels, int rate, uint64_t seed) {
  Random r(seed);
  std::vector<int16_t> s(frames * size_t(channels));
  double freq = 220, phase[4] = {}, amp = 0;
  const size_t noteLength = size_t(rate) / 4;
  for (size_t i = 0; i < frames; i++) {
    if (i % noteLength == 0) {
      freq = 110.0 * std::pow(2.0, (r.Next() % 36) / 12.0);
      amp = 9000;
    }
    amp *= 0.99993;
    for (int c = 0; c < channels; c++) {
      phase[c] += 2 * M_PI * freq * (1 + 0.002 * c) / rate;
      const double v =
          amp * (std::sin(phase[c]) + 0.4 * std::sin(2 * phase[c]) + 0.2 * std::sin(3 * phase[c])) +
          (int(r.Next() % 200) - 100);
      s[i * size_t(channels) + size_t(c)] = int16_t(std::max(-32000.0, std::min(32000.0, v)));
    }
  }
  return s;
}

// Speech-like sound: a buzzing source through moving resonances, pauses.
std::vector<int16_t> Speech(size_t frames, int rate, uint64_t seed) {
  Random r(seed);
  std::vector<int16_t> s(frames);
  double y1 = 0, y2 = 0, z1 = 0, z2 = 0, f1 = 500, f2 = 1500, pitch = 120, t = 0;
  for (size_t i = 0; i < frames; i++) {
    if (i % (size_t(rate) / 10) == 0) {
      f1 = 300 + r.Next() % 600;
      f2 = 900 + r.Next() % 1500;
      pitch = 90 + r.Next() % 80;
    }
    const bool voiced = (i / (size_t(rate) / 3)) % 4 != 3;
    t += pitch / rate;
    const double source =
        voiced ? (t - std::floor(t) < 0.1 ? 3000.0 : 0.0) : (int(r.Next() % 400) - 200);
    auto resonate = [&](double x, double f, double& a, double& b) {
      const double rr = 0.97, w = 2 * M_PI * f / rate;
      const double y = x + 2 * rr * std::cos(w) * a - rr * rr * b;
      b = a;
      a = y;
      return y;
    };
    const double v = 0.05 * resonate(source, f1, y1, y2) + 0.03 * resonate(source, f2, z1, z2);
    s[i] = int16_t(std::max(-32000.0, std::min(32000.0, v)));
  }
  return s;
}

}  // namespace

bool ReadPrefix(const std::string& path, size_t limit, std::vector<uint8_t>* out) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  // Sized by the file, not the limit: thousands of small files each holding
  // a buffer of the limit's size would fill a 32-bit address space.
  const std::streamoff size = in.tellg();
  in.seekg(0);
  const size_t want = size > 0 && uint64_t(size) < limit ? size_t(size) : limit;
  std::vector<uint8_t> data(want);
  in.read(reinterpret_cast<char*>(data.data()), std::streamsize(want));
  data.resize(size_t(in.gcount()));
  if (data.size() < want) data.shrink_to_fit();
  out->swap(data);
  return !out->empty();
}

void ListFiles(const std::string& dir, std::vector<std::string>* files) {
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  std::vector<std::string> names;
  while (dirent* e = readdir(d))
    if (e->d_name[0] != '.') names.push_back(e->d_name);
  closedir(d);
  std::sort(names.begin(), names.end());
  for (const std::string& n : names) {
    const std::string path = dir + "/" + n;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) ListFiles(path, files);
    if (S_ISREG(st.st_mode)) files->push_back(path);
  }
}

std::vector<CorpusFile> BuildCorpus(std::string* notes) {
  std::vector<CorpusFile> corpus;
  const struct {
    const char* path;
    size_t limit;
  } executables[] = {{"/usr/bin/cmake", 4 * MiB},
                     {"/usr/lib/gcc/x86_64-linux-gnu/12/cc1plus", 4 * MiB},
                     {"/usr/lib/x86_64-linux-gnu/libstdc++.so.6", 4 * MiB},
                     {"/usr/lib/x86_64-linux-gnu/libc.so.6", 4 * MiB}};
  for (const auto& e : executables) {
    CorpusFile f{e.path, "executable", {}};
    if (ReadPrefix(e.path, e.limit, &f.data))
      corpus.push_back(std::move(f));
    else
      *notes += std::string("missing ") + e.path + "; ";
  }
  CorpusFile text{"/usr/include/c++/12 (path order)", "text", HeaderText(8 * MiB)};
  if (text.data.size() < 8 * MiB) *notes += "less C++ header text than 8 MiB; ";
  if (!text.data.empty()) corpus.push_back(std::move(text));

  corpus.push_back({"photo-1.bmp", "bitmap", WindowsBitmap(1280, 800, 24, Photo(1280, 800, 1))});
  corpus.push_back({"photo-2.bmp", "bitmap", WindowsBitmap(1024, 768, 24, Photo(1024, 768, 2))});
  corpus.push_back(
      {"screen.bmp", "screen bitmap", WindowsBitmap(2048, 1536, 8, Screen(2048, 1536, 3))});
  corpus.push_back(
      {"plain.bmp", "plain bitmap", WindowsBitmap(1000, 1000, 24, PlainPicture(1000, 1000, 7))});
  corpus.push_back({"few-colours.bmp", "plain bitmap",
                    WindowsBitmap(1200, 900, 8, FewColourPicture(1200, 900, 8))});
  corpus.push_back({"app.ico", "icon", IconFile({16, 24, 32, 48, 64, 128, 256}, 9)});
  corpus.push_back({"tool.ico", "icon", IconFile({16, 32, 48}, 10)});
  corpus.push_back({"zeros.bin", "zero runs", std::vector<uint8_t>(4 * MiB, 0)});
  {
    std::vector<uint8_t> code;
    if (ReadPrefix("/usr/lib/x86_64-linux-gnu/libc.so.6", 1 * MiB, &code))
      corpus.push_back({"sections.exe", "zero runs", ZeroPaddedSections(code)});
  }

  corpus.push_back({"music-stereo16.wav", "sound", Wave(2, 16, 44100, Music(882000, 2, 44100, 4))});
  corpus.push_back({"music-mono8.wav", "sound", Wave(1, 8, 22050, Music(1500000, 1, 22050, 5))});
  corpus.push_back({"speech-mono16.wav", "sound", Wave(1, 16, 22050, Speech(1100000, 22050, 6))});
  return corpus;
}

std::vector<packer::PackItem> Items(const std::vector<CorpusFile>& corpus) {
  std::vector<packer::PackItem> items;
  for (size_t i = 0; i < corpus.size(); i++) {
    packer::PackItem item;
    item.name = "file" + std::to_string(i);
    item.data = corpus[i].data;
    items.push_back(std::move(item));
  }
  return items;
}
