// Many generated archives, each with random contents and random settings,
// must all come back intact. The run stops after a fixed number of cases or
// a few seconds, whichever comes first; every case names its seed.
#include <gtest/gtest.h>

#include <chrono>

#include "pack_support.h"

namespace {

// Contents built from pieces that stress different paths: literals, copies
// at short and long distances, runs, noise and sound.
std::vector<uint8_t> RandomContents(TestRandom& r) {
  std::vector<uint8_t> out;
  const size_t target = r.Below(4) == 0 ? r.Below(64) : r.Below(40000);
  while (out.size() < target) {
    const size_t n = 1 + r.Below(3000);
    switch (r.Below(6)) {
      case 0: {
        const std::vector<uint8_t> t = TextData(n, r.Next());
        out.insert(out.end(), t.begin(), t.end());
        break;
      }
      case 1: {
        const std::vector<uint8_t> t = RandomData(n, r.Next());
        out.insert(out.end(), t.begin(), t.end());
        break;
      }
      case 2:
        out.insert(out.end(), n, uint8_t(r.Next()));
        break;
      case 3:
        if (!out.empty()) {
          // A copy of something earlier, possibly overlapping its own end.
          const size_t from = r.Below(uint32_t(out.size()));
          for (size_t k = 0; k < n; k++) out.push_back(out[from + k]);
        }
        break;
      case 4: {
        const std::vector<uint8_t> t = SoundData(n, 1 + int(r.Below(4)), r.Next());
        out.insert(out.end(), t.begin(), t.end());
        break;
      }
      default:
        // Few distinct bytes: short matches and recent distances.
        for (size_t k = 0; k < n; k++) out.push_back(uint8_t("ab\0\1"[r.Below(4)]));
        break;
    }
  }
  out.resize(target);
  return out;
}

TEST(PackRandomRoundTrip, GeneratedArchivesComeBackIntact) {
  const auto start = std::chrono::steady_clock::now();
  int cases = 0;
  for (uint64_t seed = 1; seed <= 400; seed++) {
    if (cases >= 20 && std::chrono::steady_clock::now() - start > std::chrono::seconds(4)) break;
    cases++;
    TestRandom r(seed);
    packer::ArchiveSettings settings;
    settings.level = int(r.Below(6));
    settings.solid = r.Below(2) == 0;
    settings.audio = static_cast<packer::AudioChoice>(r.Below(3));
    if (r.Below(4) == 0) settings.password = "pw" + std::to_string(seed);
    std::vector<packer::PackItem> items;
    const uint32_t files = 1 + r.Below(6);
    for (uint32_t f = 0; f < files; f++)
      items.push_back(FileItem("f" + std::to_string(f), RandomContents(r)));
    const std::vector<uint8_t> archive = PackOrFail(items, settings);
    const char* password = settings.password.empty() ? nullptr : settings.password.c_str();
    for (const packer::PackItem& item : items) {
      std::vector<uint8_t> out;
      ASSERT_TRUE(FetchEntry(archive, item.name, &out, password))
          << "seed " << seed << ", " << item.name << ", level " << settings.level;
      ASSERT_TRUE(out == item.data) << "seed " << seed << ", " << item.name;
    }
  }
  std::printf("%d generated archives checked\n", cases);
}

}  // namespace
