// Packing ratio and speed of rar2tool pack against zlib (gzip -9) and
// libdeflate (level 12) on the same corpus in one run, the decoder's speed
// against zlib's inflate and libdeflate's decompressor, the automatic audio
// choice against both forced modes, and the packed size of boat.wav against
// a real RAR 2.x archiver's.
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/crc32.h"
#include "archive_writer.h"
#include "bench_corpus.h"
#include "bench_timing.h"
#include "decode_speed.h"

namespace {

struct Result {
  std::string name;
  std::vector<uint64_t> sizes;  // per corpus file
  uint64_t total = 0;
  double seconds = 0;
};

// Sizes of the entries' data areas, read back from the archive's listing.
std::vector<uint64_t> PackedSizes(const std::vector<uint8_t>& archive) {
  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  EntryListNode* head = nullptr;
  ArchiveListEntries(&image, &head);
  std::vector<uint64_t> sizes;
  for (EntryListNode* n = head; n; n = n->next) sizes.push_back(n->packedSize);
  ArchiveFreeList(head);
  return sizes;
}

Result PackOurs(const std::vector<packer::PackItem>& items, int level, bool solid,
                std::vector<uint8_t>* archive,
                packer::AudioChoice audio = packer::AudioChoice::Automatic) {
  packer::ArchiveSettings settings;
  settings.level = level;
  settings.solid = solid;
  settings.audio = audio;
  std::string error;
  const auto start = Clock::now();
  if (!packer::BuildArchive(items, settings, archive, &error)) {
    std::fprintf(stderr, "pack_bench: %s\n", error.c_str());
    std::exit(1);
  }
  Result r;
  r.seconds = Seconds(start);
  r.name = "rar2tool -m" + std::to_string(level) + (solid ? " -s" : "") +
           (audio == packer::AudioChoice::Always  ? " -mm"
            : audio == packer::AudioChoice::Never ? " -mm-"
                                                  : "");
  r.sizes = PackedSizes(*archive);
  for (uint64_t s : r.sizes) r.total += s;
  return r;
}

Result PackZlib(const std::vector<CorpusFile>& corpus, int level,
                std::vector<std::vector<uint8_t>>* streams) {
  Result r;
  r.name = "zlib -" + std::to_string(level);
  const auto start = Clock::now();
  for (const CorpusFile& f : corpus) {
    uLongf n = compressBound(uLong(f.data.size()));
    std::vector<uint8_t> out(n);
    compress2(out.data(), &n, f.data.data(), uLong(f.data.size()), level);
    out.resize(n);
    // The gzip file format adds 18 bytes of wrapper to deflate; zlib's is 6.
    r.sizes.push_back(n - 6 + 18);
    r.total += r.sizes.back();
    streams->push_back(std::move(out));
  }
  r.seconds = Seconds(start);
  return r;
}

Result PackLibdeflate(const std::vector<CorpusFile>& corpus, int level,
                      std::vector<std::vector<uint8_t>>* streams) {
  Result r;
  r.name = "libdeflate -" + std::to_string(level);
  libdeflate_compressor* c = libdeflate_alloc_compressor(level);
  const auto start = Clock::now();
  for (const CorpusFile& f : corpus) {
    std::vector<uint8_t> out(libdeflate_zlib_compress_bound(c, f.data.size()));
    const size_t n =
        libdeflate_zlib_compress(c, f.data.data(), f.data.size(), out.data(), out.size());
    out.resize(n);
    r.sizes.push_back(n - 6 + 18);
    r.total += r.sizes.back();
    streams->push_back(std::move(out));
  }
  r.seconds = Seconds(start);
  libdeflate_free_compressor(c);
  return r;
}

void BoatFigures() {
  const std::string path = std::string(ORBIVUE_TESTDATA_DIR) + "/rar/boat.wav";
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::printf("\nboat.wav: %s is absent; figures skipped\n", path.c_str());
    return;
  }
  packer::PackItem item;
  item.name = "BoatModernEnglish.wav";
  item.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  std::printf("\nboat.wav (%zu bytes), packed data in bytes:\n", item.data.size());
  const struct {
    const char* label;
    packer::AudioChoice audio;
    uint64_t reference;
  } rows[] = {{"-m5 -mm- (audio off)", packer::AudioChoice::Never, 42551},
              {"-m5 -mm  (audio on) ", packer::AudioChoice::Always, 27902},
              {"-m5      (automatic)", packer::AudioChoice::Automatic, 27902}};
  for (const auto& row : rows) {
    packer::ArchiveSettings settings;
    settings.level = 5;
    settings.audio = row.audio;
    std::vector<uint8_t> archive;
    std::string error;
    packer::BuildArchive({item}, settings, &archive, &error);
    const uint64_t ours = PackedSizes(archive)[0];
    std::printf("  %s  ours %6llu   real RAR 2.x archiver %6llu   %s by %lld bytes (%.1f%%)\n",
                row.label, static_cast<unsigned long long>(ours),
                static_cast<unsigned long long>(row.reference),
                ours <= row.reference ? "smaller" : "LARGER",
                static_cast<long long>(row.reference) - static_cast<long long>(ours),
                100.0 * (double(row.reference) - double(ours)) / double(row.reference));
  }
  std::vector<std::vector<uint8_t>> unused;
  const std::vector<CorpusFile> one = {{"boat.wav", "sound", item.data}};
  std::printf("  for comparison: gzip -9 %llu, libdeflate -12 %llu\n",
              static_cast<unsigned long long>(PackZlib(one, 9, &unused).total),
              static_cast<unsigned long long>(PackLibdeflate(one, 12, &unused).total));
}

bool RunHeavy(const std::string& kind) {
  return kind == "screen bitmap" || kind == "plain bitmap" || kind == "icon" || kind == "zero runs";
}

// The automatic audio choice beside both forced modes and zlib's and
// libdeflate's best, per file and per kind; the files that a costlier level
// packs larger; the run-heavy files that gzip -9 packs smaller.
void ChoiceFigures(const std::vector<CorpusFile>& corpus, const Result& always, const Result& never,
                   const Result& m3, const Result& m4, const Result& m5, const Result& gzip9,
                   const Result& deflate12) {
  std::printf(
      "\nAudio choice at -m3 (bytes): automatic beside -mm and -mm-, gzip -9 and libdeflate -12\n");
  std::printf("%-41s %-13s %11s %11s %11s %9s %11s %11s\n", "file", "kind", "automatic", "-mm",
              "-mm-", "auto/min", "gzip -9", "libdefl -12");
  std::vector<std::string> kinds;
  for (const CorpusFile& f : corpus)
    if (std::find(kinds.begin(), kinds.end(), f.kind) == kinds.end()) kinds.push_back(f.kind);
  int over = 0;
  double worst = 0;
  for (size_t i = 0; i < corpus.size(); i++) {
    const uint64_t a = m3.sizes[i], on = always.sizes[i], off = never.sizes[i];
    const double ratio = double(a) / double(std::min(on, off));
    worst = std::max(worst, ratio);
    if (ratio > 1.01) over++;
    std::printf("%-41s %-13s %11llu %11llu %11llu %9.3f %11llu %11llu%s\n",
                corpus[i].name.substr(0, 41).c_str(), corpus[i].kind.c_str(),
                static_cast<unsigned long long>(a), static_cast<unsigned long long>(on),
                static_cast<unsigned long long>(off), ratio,
                static_cast<unsigned long long>(gzip9.sizes[i]),
                static_cast<unsigned long long>(deflate12.sizes[i]),
                ratio > 1.01 ? "  OVER 1.01" : "");
  }
  for (const std::string& kind : kinds) {
    uint64_t a = 0, on = 0, off = 0, g = 0, d = 0;
    for (size_t i = 0; i < corpus.size(); i++)
      if (corpus[i].kind == kind) {
        a += m3.sizes[i];
        on += always.sizes[i];
        off += never.sizes[i];
        g += gzip9.sizes[i];
        d += deflate12.sizes[i];
      }
    std::printf("%-41s %-13s %11llu %11llu %11llu %9s %11llu %11llu\n", "  all of kind",
                kind.c_str(), static_cast<unsigned long long>(a),
                static_cast<unsigned long long>(on), static_cast<unsigned long long>(off), "",
                static_cast<unsigned long long>(g), static_cast<unsigned long long>(d));
  }
  std::printf("automatic / min(-mm, -mm-): worst %.3f, %d files over 1.01 (target: none)\n", worst,
              over);
  int larger = 0;
  for (size_t i = 0; i < corpus.size(); i++)
    for (const Result* costlier : {&m4, &m5})
      if (costlier->sizes[i] > m3.sizes[i]) {
        larger++;
        std::printf("LARGER at %s than at -m3: %s, %llu against %llu\n", costlier->name.c_str(),
                    corpus[i].name.c_str(), static_cast<unsigned long long>(costlier->sizes[i]),
                    static_cast<unsigned long long>(m3.sizes[i]));
      }
  std::printf("files larger at -m4 or -m5 than at -m3: %d (target: none)\n", larger);

  std::printf("\nRun-heavy files (plain bitmaps, icons, zero runs, the screen) against gzip -9:\n");
  int lostAt3 = 0, lostAt5 = 0;
  for (size_t i = 0; i < corpus.size(); i++) {
    if (!RunHeavy(corpus[i].kind)) continue;
    const uint64_t g = gzip9.sizes[i];
    lostAt3 += m3.sizes[i] > g;
    lostAt5 += m5.sizes[i] > g;
    std::printf("  %-22s -m3 %9llu (%.3f of gzip -9)  -m5 %9llu (%.3f)  libdeflate -12 %.3f\n",
                corpus[i].name.c_str(), static_cast<unsigned long long>(m3.sizes[i]),
                double(m3.sizes[i]) / double(g), static_cast<unsigned long long>(m5.sizes[i]),
                double(m5.sizes[i]) / double(g), double(deflate12.sizes[i]) / double(g));
  }
  std::printf("run-heavy files larger than gzip -9: %d at -m3, %d at -m5 (target: none at -m5)\n",
              lostAt3, lostAt5);
}

}  // namespace

int main() {
  std::string notes;
  const std::vector<CorpusFile> corpus = BuildCorpus(&notes);
  uint64_t total = 0;
  uint32_t crc = 0xFFFFFFFFu;
  for (const CorpusFile& f : corpus) {
    total += f.data.size();
    crc = UpdateCrc32(crc, f.data.data(), uint32_t(f.data.size()));
  }
  std::printf("Corpus: %zu files, %llu bytes (%.1f MiB), CRC-32 %08X%s%s\n", corpus.size(),
              static_cast<unsigned long long>(total), total / 1048576.0, ~crc,
              notes.empty() ? "" : "; ", notes.c_str());
  if (total < 32ull << 20) std::printf("WARNING: corpus below 32 MiB\n");

  const std::vector<packer::PackItem> items = Items(corpus);
  std::vector<uint8_t> archive1, archive3, archive4, archive5, archive5s;
  std::vector<std::vector<uint8_t>> zlibStreams, zlib6Streams, deflateStreams, unused;
  std::vector<Result> results;
  results.push_back(PackZlib(corpus, 9, &zlibStreams));
  results.push_back(PackZlib(corpus, 6, &zlib6Streams));
  results.push_back(PackLibdeflate(corpus, 12, &deflateStreams));
  results.push_back(PackLibdeflate(corpus, 6, &unused));
  results.push_back(PackOurs(items, 1, false, &archive1));
  results.push_back(PackOurs(items, 3, false, &archive3));
  results.push_back(PackOurs(items, 4, false, &archive4));
  results.push_back(PackOurs(items, 5, false, &archive5));
  results.push_back(PackOurs(items, 5, true, &archive5s));

  std::printf("\nPacked size per file (bytes; gzip-format sizes for zlib and libdeflate)\n");
  std::printf("%-52s %10s", "file", "size");
  for (const Result& r : results) std::printf(" %15s", r.name.c_str());
  std::printf("\n");
  for (size_t i = 0; i < corpus.size(); i++) {
    std::printf("%-41s %-10s %10zu", corpus[i].name.c_str(), corpus[i].kind.c_str(),
                corpus[i].data.size());
    for (const Result& r : results)
      std::printf(" %15llu", static_cast<unsigned long long>(i < r.sizes.size() ? r.sizes[i] : 0));
    std::printf("\n");
  }
  std::printf("%-52s %10llu", "total", static_cast<unsigned long long>(total));
  for (const Result& r : results) std::printf(" %15llu", static_cast<unsigned long long>(r.total));
  std::printf("\n%-52s %10s", "ratio (packed / original)", "");
  for (const Result& r : results) std::printf(" %14.2f%%", 100.0 * r.total / total);
  std::printf("\n%-52s %10s", "packing speed, MB/s of input (processor time)", "");
  for (const Result& r : results) std::printf(" %15.2f", MBps(total, r.seconds));
  std::printf("\n");

  const Result& gzip9 = results[0];
  const Result& deflate12 = results[2];
  const Result& m3 = results[5];
  const Result& m4 = results[6];
  const Result& m5 = results[7];
  std::printf(
      "\nrar2tool -m5 against gzip -9: %+.2f%% (%lld bytes), against libdeflate -12: %+.2f%%\n",
      100.0 * (double(m5.total) - double(gzip9.total)) / double(gzip9.total),
      static_cast<long long>(m5.total) - static_cast<long long>(gzip9.total),
      100.0 * (double(m5.total) - double(deflate12.total)) / double(deflate12.total));
  std::printf("rar2tool -m3 against gzip -9: %+.2f%%, against libdeflate -12: %+.2f%%\n",
              100.0 * (double(m3.total) - double(gzip9.total)) / double(gzip9.total),
              100.0 * (double(m3.total) - double(deflate12.total)) / double(deflate12.total));
  std::printf(
      "-m3 packs at %.2f MB/s (target 10 MB/s: %s); -m5 at %.2f MB/s, %.1fx the time of -m3\n",
      MBps(total, m3.seconds), MBps(total, m3.seconds) >= 10 ? "met" : "NOT MET",
      MBps(total, m5.seconds), m5.seconds / m3.seconds);

  // Decoding speed: every file once per round, output MB/s.
  std::vector<std::string> names;
  for (const packer::PackItem& item : items) names.push_back(item.name);
  const DecodeSpeeds speeds =
      MeasureDecodeSpeeds(archive5, names, corpus, zlibStreams, deflateStreams);
  std::printf(
      "\nDecoding the -m5 archive: %.1f MB/s; zlib inflate %.1f MB/s (%.1f into one kept "
      "buffer); libdeflate %.1f MB/s\n",
      speeds.ours, speeds.inflate, speeds.inflateReused, speeds.libdeflate);
  std::printf("Decode speed ratio: %.2f of zlib's inflate, %.2f of libdeflate's\n",
              speeds.ours / speeds.inflate, speeds.ours / speeds.libdeflate);

  std::vector<uint8_t> scratch;
  const Result always = PackOurs(items, 3, false, &scratch, packer::AudioChoice::Always);
  const Result never = PackOurs(items, 3, false, &scratch, packer::AudioChoice::Never);
  ChoiceFigures(corpus, always, never, m3, m4, m5, gzip9, deflate12);

  BoatFigures();
  return 0;
}
