// Writes the generated part of the demo product into a folder: help texts,
// channel lists, firmware images, skin bitmaps and sounds. The same bytes
// on every run, so that the archive and its figures are reproducible.
// Larger products for the installation's tests and benchmarks add to the
// same tree: many small notes in folders nested several levels deep, and
// one large recording, or one of mostly nothing (a file with holes, which
// takes no disk and packs at once).
//   payload_gen FOLDER [--extra-files N] [--large-file MEGABYTES]
//               [--sparse-file MEGABYTES]
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Random {
  uint64_t state;
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return uint32_t(state >> 11);
  }
  uint32_t Below(uint32_t n) { return Next() % n; }
};

std::string root;
int failures = 0;

void MakeFolder(const std::string& relative) {
  const std::string path = root + "/" + relative;
  if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "payload_gen: %s: %s\n", path.c_str(), std::strerror(errno));
    failures++;
  }
}

void WriteFile(const std::string& relative, const std::vector<uint8_t>& bytes) {
  const std::string path = root + "/" + relative;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() ||
      std::fclose(f) != 0) {
    std::fprintf(stderr, "payload_gen: %s: %s\n", path.c_str(), std::strerror(errno));
    failures++;
  }
}

void WriteText(const std::string& relative, const std::string& text) {
  WriteFile(relative, std::vector<uint8_t>(text.begin(), text.end()));
}

const char* const Words[] = {
    "satellite",    "transponder", "channel", "signal",    "receiver", "antenna", "dish",
    "polarization", "frequency",   "symbol",  "rate",      "viewer",   "record",  "timeshift",
    "buffer",       "program",     "guide",   "scheduler", "stream",   "router",  "card",
    "tuner",        "picture",     "sound",   "subtitle",  "the",      "a",       "of",
    "and",          "to",          "is",      "with",      "for",      "when",    "your",
    "settings",     "select",      "press",   "window",    "list",     "module",  "device"};

std::string Sentence(Random& r) {
  std::string s;
  const uint32_t n = 6 + r.Below(12);
  for (uint32_t i = 0; i < n; i++) {
    std::string w = Words[r.Below(sizeof Words / sizeof Words[0])];
    if (i == 0) w[0] = char(w[0] - 'a' + 'A');
    s += (i ? " " : "") + w;
  }
  return s + ".";
}

std::string HelpText(Random& r, const std::string& title, int paragraphs) {
  std::string t = title + "\r\n" + std::string(title.size(), '=') + "\r\n\r\n";
  for (int p = 0; p < paragraphs; p++) {
    const uint32_t sentences = 3 + r.Below(6);
    for (uint32_t s = 0; s < sentences; s++) t += Sentence(r) + " ";
    t += "\r\n\r\n";
  }
  return t;
}

std::string ChannelList(Random& r, int satellite) {
  char line[200];
  std::snprintf(line, sizeof line, "[Satellite]\r\nName=Demo %d.%dE\r\nPosition=%d\r\n\r\n",
                satellite / 10, satellite % 10, satellite);
  std::string t = line;
  const uint32_t count = 20 + r.Below(80);
  for (uint32_t i = 0; i < count; i++) {
    std::snprintf(line, sizeof line,
                  "[Channel%u]\r\nName=Channel %u\r\nFrequency=%u\r\nPolarization=%c\r\n"
                  "SymbolRate=%u\r\nVideoPID=%u\r\nAudioPID=%u\r\nServiceID=%u\r\n\r\n",
                  i, i + 1, 10700 + r.Below(2050), r.Below(2) ? 'H' : 'V',
                  22000 + 500 * r.Below(12), 32 + r.Below(8000), 32 + r.Below(8000),
                  1 + r.Below(30000));
    t += line;
  }
  return t;
}

std::vector<uint8_t> Firmware(Random& r, uint32_t size) {
  std::vector<uint8_t> b(size);
  // Code-like: runs of opcodes from a small set, tables, and padding.
  for (uint32_t i = 0; i < size;) {
    const uint32_t kind = r.Below(4);
    const uint32_t run = 16 + r.Below(200);
    for (uint32_t k = 0; k < run && i < size; k++, i++) {
      if (kind == 0)
        b[i] = 0xFF;
      else if (kind == 1)
        b[i] = uint8_t(i * 4);
      else
        b[i] = uint8_t(0x40 + r.Below(kind == 2 ? 16 : 256));
    }
  }
  return b;
}

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A 24-bit bitmap: gradients, a few shapes and a little noise.
std::vector<uint8_t> Bitmap(Random& r, uint32_t width, uint32_t height) {
  const uint32_t row = (width * 3 + 3) & ~3u;
  std::vector<uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, 54 + row * height);
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, width);
  Put32(b, height);
  Put16(b, 1);
  Put16(b, 24);
  Put32(b, 0);
  Put32(b, row * height);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 0);
  Put32(b, 0);
  const uint32_t cx = r.Below(width), cy = r.Below(height), radius = 10 + r.Below(width / 2);
  const uint32_t base = r.Next(), noise = 1 + r.Below(24);
  for (uint32_t y = 0; y < height; y++) {
    for (uint32_t x = 0; x < width; x++) {
      const int dx = int(x) - int(cx), dy = int(y) - int(cy);
      const bool inside = uint32_t(dx * dx + dy * dy) < radius * radius;
      uint32_t c[3] = {(base & 0xFF) + x * 255 / width, ((base >> 8) & 0xFF) + y * 255 / height,
                       ((base >> 16) & 0xFF) + (x + y) / 4};
      for (uint32_t k = 0; k < 3; k++) {
        uint32_t v = (inside ? 255 - c[k] : c[k]) + r.Below(noise);
        b.push_back(uint8_t(v));
      }
    }
    for (uint32_t p = width * 3; p < row; p++) b.push_back(0);
  }
  return b;
}

// PCM sound: a few tones with a slow envelope; 8 or 16 bits, 1 or 2 channels.
std::vector<uint8_t> Sound(Random& r, uint32_t samples, uint32_t bits, uint32_t channels) {
  std::vector<uint8_t> b;
  const uint32_t rate = 11025 * (1 + r.Below(2));
  const uint32_t bytes = samples * channels * bits / 8;
  b.insert(b.end(), {'R', 'I', 'F', 'F'});
  Put32(b, 36 + bytes);
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put32(b, 16);
  Put16(b, 1);
  Put16(b, channels);
  Put32(b, rate);
  Put32(b, rate * channels * bits / 8);
  Put16(b, channels * bits / 8);
  Put16(b, bits);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  Put32(b, bytes);
  const double f1 = 110.0 + r.Below(600), f2 = f1 * (1.5 + r.Below(3) * 0.25);
  const double pi = 3.14159265358979;
  for (uint32_t i = 0; i < samples; i++) {
    const double t = double(i) / rate;
    const double envelope = 0.5 + 0.5 * std::sin(2 * pi * 0.7 * t);
    for (uint32_t c = 0; c < channels; c++) {
      double v = envelope * (0.6 * std::sin(2 * pi * f1 * t + c) + 0.3 * std::sin(2 * pi * f2 * t));
      v += (int(r.Below(200)) - 100) / 4000.0;
      if (bits == 8) {
        b.push_back(uint8_t(128 + int(v * 100)));
      } else {
        const int s = int(v * 20000);
        Put16(b, uint32_t(s) & 0xFFFF);
      }
    }
  }
  return b;
}

// Small notes spread over folders up to four levels deep: a few under
// Docs\more\ and Docs\more\deeper\, the rest 20 to a folder under
// Data\setNNN\partNN\. Drawn from a generator of their own, so that the
// demo's files stay the same whatever the count.
void WriteExtraFiles(long count) {
  if (count == 0) return;
  Random r{0x5EED0F0170E5ull};
  char name[96];
  MakeFolder("Docs/more");
  MakeFolder("Docs/more/deeper");
  MakeFolder("Data");
  for (long i = 0; i < count; i++) {
    if (i < 8) {
      std::snprintf(name, sizeof name, "Docs/more/note%ld.txt", i);
    } else if (i < 16) {
      std::snprintf(name, sizeof name, "Docs/more/deeper/note%ld.txt", i);
    } else {
      const long k = i - 16, set = k / 200, part = k / 20 % 10;
      std::snprintf(name, sizeof name, "Data/set%03ld", set);
      if (k % 200 == 0) MakeFolder(name);
      std::snprintf(name, sizeof name, "Data/set%03ld/part%02ld", set, part);
      if (k % 20 == 0) MakeFolder(name);
      std::snprintf(name, sizeof name, "Data/set%03ld/part%02ld/item%06ld.txt", set, part, k);
    }
    std::string text = "Note " + std::to_string(i + 1) + "\r\n";
    const uint32_t sentences = 1 + r.Below(6);
    for (uint32_t s = 0; s < sentences; s++) text += Sentence(r) + "\r\n";
    WriteText(name, text);
  }
}

// One recording of the given size: a 64 KiB block of noise repeated with a
// counter in every copy, so that it packs quickly yet is no run of one byte.
void WriteLargeFile(long megabytes) {
  MakeFolder("Recordings");
  const std::string path = root + "/Recordings/recording.ts";
  FILE* f = std::fopen(path.c_str(), "wb");
  Random r{0x7EC0AD1F11Eull};
  std::vector<uint8_t> block(65536);
  for (uint8_t& b : block) b = uint8_t(r.Next());
  bool ok = f != nullptr;
  for (long i = 0; ok && i < megabytes * 16; i++) {
    std::memcpy(block.data(), &i, sizeof i);
    ok = std::fwrite(block.data(), 1, block.size(), f) == block.size();
  }
  if (f == nullptr || std::fclose(f) != 0 || !ok) {
    std::fprintf(stderr, "payload_gen: %s: %s\n", path.c_str(), std::strerror(errno));
    failures++;
  }
}

// A recording of the given size that is zeros but for a counter every
// 64 MiB: written as a file with holes, so that it takes no disk space here.
void WriteSparseFile(long megabytes) {
  MakeFolder("Recordings");
  const std::string path = root + "/Recordings/sparse.ts";
  FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f != nullptr;
  const long long size = static_cast<long long>(megabytes) << 20;
  for (long long at = 0; ok && at < size; at += 64ll << 20) {
    ok = fseeko(f, off_t(at), SEEK_SET) == 0 && std::fwrite(&at, 1, sizeof at, f) == sizeof at;
  }
  // The last byte makes the file its full size.
  ok = ok && fseeko(f, off_t(size - 1), SEEK_SET) == 0 && std::fputc(0x55, f) != EOF;
  if (f == nullptr || std::fclose(f) != 0 || !ok) {
    std::fprintf(stderr, "payload_gen: %s: %s\n", path.c_str(), std::strerror(errno));
    failures++;
  }
}

// A count given on the command line: digits only, up to limit.
bool ReadCount(const char* text, long limit, long* count) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (text[0] < '0' || text[0] > '9' || *end != '\0' || errno != 0 || value > limit) return false;
  *count = value;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  long extraFiles = 0, largeMegabytes = 0, sparseMegabytes = 0;
  bool usage = argc < 2;
  for (int i = 2; i < argc && !usage; i += 2) {
    if (i + 1 >= argc)
      usage = true;
    else if (std::strcmp(argv[i], "--extra-files") == 0)
      usage = !ReadCount(argv[i + 1], 200000, &extraFiles);
    else if (std::strcmp(argv[i], "--large-file") == 0)
      usage = !ReadCount(argv[i + 1], 4000, &largeMegabytes);
    else if (std::strcmp(argv[i], "--sparse-file") == 0)
      usage = !ReadCount(argv[i + 1], 4095, &sparseMegabytes);
    else
      usage = true;
  }
  if (usage) {
    std::fprintf(stderr,
                 "usage: payload_gen FOLDER [--extra-files N (up to 200000)] "
                 "[--large-file MEGABYTES (up to 4000)] [--sparse-file MEGABYTES (up to 4095)]\n");
    return 1;
  }
  root = argv[1];
  if (mkdir(root.c_str(), 0777) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "payload_gen: %s: %s\n", root.c_str(), std::strerror(errno));
    return 1;
  }
  Random r{0x0B1B0E5E7A11ull};
  for (const char* folder : {"Modules", "Modules/boot", "Modules/boot/24", "Filters", "Help",
                             "Docs", "Skins", "Sounds", "Channels"})
    MakeFolder(folder);

  char name[64];
  for (int i = 0; i < 8; i++) {
    std::snprintf(name, sizeof name, "Modules/boot/24/loader%02d.bin", i);
    WriteFile(name, Firmware(r, 8192 + r.Below(24576)));
    std::snprintf(name, sizeof name, "Modules/boot/boot%02d.bin", i);
    WriteFile(name, Firmware(r, 4096 + r.Below(16384)));
  }
  for (int i = 0; i < 30; i++) {
    std::snprintf(name, sizeof name, "Help/topic%02d.txt", i);
    WriteText(name,
              HelpText(r, "Orbivue help, topic " + std::to_string(i + 1), 4 + int(r.Below(20))));
  }
  const char* const docs[] = {"Readme.txt", "License.txt",   "Changes.txt", "Hardware.txt",
                              "Remote.txt", "Timeshift.txt", "Modules.txt", "Filters.txt",
                              "Faq.txt",    "Credits.txt"};
  for (const char* doc : docs)
    WriteText(std::string("Docs/") + doc, HelpText(r, doc, 6 + int(r.Below(30))));
  for (int i = 0; i < 40; i++) {
    std::snprintf(name, sizeof name, "Skins/skin%02d.bmp", i);
    WriteFile(name, Bitmap(r, 160 + 8 * r.Below(30), 120 + 8 * r.Below(20)));
  }
  for (int i = 0; i < 24; i++) {
    std::snprintf(name, sizeof name, "Sounds/sound%02d.wav", i);
    const uint32_t bits = i % 3 == 2 ? 16 : 8, channels = i % 2 ? 2 : 1;
    WriteFile(name, Sound(r, 20000 + r.Below(40000), bits, channels));
  }
  for (int i = 0; i < 40; i++) {
    std::snprintf(name, sizeof name, "Channels/sat%03d.ini", i * 7 % 360);
    WriteText(name, ChannelList(r, i * 7 % 360));
  }
  WriteExtraFiles(extraFiles);
  if (largeMegabytes > 0) WriteLargeFile(largeMegabytes);
  if (sparseMegabytes > 0) WriteSparseFile(sparseMegabytes);
  return failures == 0 ? 0 : 1;
}
