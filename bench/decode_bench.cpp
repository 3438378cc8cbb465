// Decoding and CRC-32 speed against zlib's inflate and libdeflate on the
// same data in one run: the benchmark corpus and about 64 MiB of real files
// of this machine (programs, Python sources, documentation, joined like a
// tar). With a rar2tool path and a scratch folder it also times
// `rar2tool test` of a solid archive of many real files against the same
// files packed non-solid. --bench-corpus-only leaves out the real files (for
// runs under an emulator); --only takes the bench corpus's files of one kind
// or name alone (a quick before-and-after of one kind of data, or a run to
// profile); --probe only tells whether the program runs here.
//   decode_bench [--probe | --bench-corpus-only | --only KIND-OR-NAME | RAR2TOOL SCRATCH-DIR]
#include <libdeflate.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/crc32.h"
#include "archive_writer.h"
#include "bench_corpus.h"
#include "bench_timing.h"
#include "decode_speed.h"

namespace {

constexpr size_t MiB = 1u << 20;

// Files from the machine's own folders, in path order, each source giving up
// to its share of bytes; names ending in suffix only when one is given.
void TakeFiles(const std::string& dir, const std::string& suffix, size_t share, size_t maxFiles,
               std::vector<CorpusFile>* out) {
  std::vector<std::string> paths;
  ListFiles(dir, &paths);
  size_t taken = 0, files = 0;
  for (const std::string& p : paths) {
    if (!suffix.empty() &&
        (p.size() < suffix.size() || p.compare(p.size() - suffix.size(), suffix.size(), suffix)))
      continue;
    CorpusFile f;
    if (!ReadPrefix(p, std::min<size_t>(share - taken, 4 * MiB), &f.data)) continue;
    f.name = p;
    f.kind = "real";
    taken += f.data.size();
    out->push_back(std::move(f));
    if (taken >= share || ++files >= maxFiles) break;
  }
}

// The real files joined into one tar-like stream: a 512-byte header with the
// name and size before each file, each padded to 512 bytes. 32-bit code
// gets the stream cut into pieces of at most RealPieceBytes, each a file of
// its own: packing 60 MiB as one file takes more memory than a 32-bit
// process can find in one piece (the packer keeps per-symbol records of the
// whole file), and the run ended in std::bad_alloc. A file that would take
// a piece past the bound starts the next one, so that no piece is larger
// than the largest file of the bench corpus (8 MiB), which 32-bit code has
// packed.
constexpr size_t RealPieceBytes = sizeof(void*) == 4 ? 8 * MiB : SIZE_MAX;

// Bytes a file takes in the stream: its header and its bytes padded to 512.
size_t TarRecordBytes(size_t size) {
  return 512 + (size + 511) / 512 * 512;
}

std::vector<CorpusFile> RealTar(size_t* fileCount) {
  std::vector<CorpusFile> files;
  TakeFiles("/usr/bin", "", 24 * MiB, 100000, &files);
  TakeFiles("/usr/lib/python3.11", ".py", 20 * MiB, 100000, &files);
  TakeFiles("/usr/share/doc", "", 20 * MiB, 100000, &files);
  *fileCount = files.size();
  std::vector<CorpusFile> pieces;
  auto piece = [&](size_t adding) -> CorpusFile& {
    const size_t has = pieces.empty() ? 0 : pieces.back().data.size();
    if (pieces.empty() || (has > 0 && (has >= RealPieceBytes || adding > RealPieceBytes - has))) {
      const std::string n = pieces.empty() ? "" : "-" + std::to_string(pieces.size() + 1);
      pieces.push_back(CorpusFile{"real-files" + n + ".tar", "real", {}});
    }
    return pieces.back();
  };
  for (CorpusFile& f : files) {
    std::vector<uint8_t>& tar = piece(TarRecordBytes(f.data.size())).data;
    std::vector<uint8_t> header(512, 0);
    const std::string head = f.name.substr(0, 99) + '\0' + std::to_string(f.data.size());
    std::copy(head.begin(), head.end(), header.begin());
    tar.insert(tar.end(), header.begin(), header.end());
    tar.insert(tar.end(), f.data.begin(), f.data.end());
    tar.resize((tar.size() + 511) / 512 * 512);
    std::vector<uint8_t>().swap(f.data);  // one copy of the bytes at a time
  }
  return pieces;
}

std::vector<uint8_t> Pack(const std::vector<packer::PackItem>& items, int level, bool solid) {
  packer::ArchiveSettings settings;
  settings.level = level;
  settings.solid = solid;
  std::vector<uint8_t> archive;
  std::string error;
  if (!packer::BuildArchive(items, settings, &archive, &error)) {
    std::fprintf(stderr, "decode_bench: %s\n", error.c_str());
    std::exit(1);
  }
  return archive;
}

void PrintSpeeds(const char* label, uint64_t total, const DecodeSpeeds& v) {
  std::printf(
      "%-26s %5.1f MiB  ours %6.1f MB/s  inflate %6.1f MB/s (%6.1f into one kept buffer)"
      "  libdeflate %6.1f MB/s  ratio %.2f of inflate, %.2f of libdeflate\n",
      label, total / double(MiB), v.ours, v.inflate, v.inflateReused, v.libdeflate,
      v.ours / v.inflate, v.ours / v.libdeflate);
}

// Our decoder (-m3, non-solid) against inflate and libdeflate (level 6)
// on the same files; with byKind, also on the files of each kind alone, so
// that a figure shows where the time goes.
void DecodeFigures(const char* label, const std::vector<CorpusFile>& corpus, bool byKind = false) {
  uint64_t total = 0;
  for (const CorpusFile& f : corpus) total += f.data.size();
  const std::vector<packer::PackItem> items = Items(corpus);
  const std::vector<uint8_t> archive = Pack(items, 3, false);
  std::vector<std::vector<uint8_t>> zlibStreams, deflateStreams;
  libdeflate_compressor* c = libdeflate_alloc_compressor(6);
  for (const CorpusFile& f : corpus) {
    uLongf n = compressBound(uLong(f.data.size()));
    std::vector<uint8_t> out(n);
    compress2(out.data(), &n, f.data.data(), uLong(f.data.size()), 6);
    // Kept at their own size: the bounds' slack, over every file, is memory
    // a 32-bit run can miss.
    out.resize(n);
    out.shrink_to_fit();
    zlibStreams.push_back(std::move(out));
    out.resize(libdeflate_zlib_compress_bound(c, f.data.size()));
    out.resize(libdeflate_zlib_compress(c, f.data.data(), f.data.size(), out.data(), out.size()));
    out.shrink_to_fit();
    deflateStreams.push_back(std::move(out));
  }
  libdeflate_free_compressor(c);

  std::vector<std::string> names;
  for (const packer::PackItem& item : items) names.push_back(item.name);
  PrintSpeeds(label, total,
              MeasureDecodeSpeeds(archive, names, corpus, zlibStreams, deflateStreams));
  if (!byKind) return;
  // The same archive's entries of each kind against the same files' streams,
  // in the order the kinds first appear.
  std::vector<std::string> kinds;
  for (const CorpusFile& f : corpus)
    if (std::find(kinds.begin(), kinds.end(), f.kind) == kinds.end()) kinds.push_back(f.kind);
  for (const std::string& kind : kinds) {
    std::vector<std::string> kindNames;
    std::vector<CorpusFile> kindFiles;
    std::vector<std::vector<uint8_t>> kindZlib, kindDeflate;
    uint64_t kindTotal = 0;
    for (size_t i = 0; i < corpus.size(); i++) {
      if (corpus[i].kind != kind) continue;
      kindNames.push_back(names[i]);
      kindFiles.push_back(corpus[i]);
      kindZlib.push_back(zlibStreams[i]);
      kindDeflate.push_back(deflateStreams[i]);
      kindTotal += corpus[i].data.size();
    }
    PrintSpeeds(("  of which " + kind).c_str(), kindTotal,
                MeasureDecodeSpeeds(archive, kindNames, kindFiles, kindZlib, kindDeflate));
  }
}

// The CRC-32 of the pieces one after the other, as of one stream.
void CrcFigures(const std::vector<CorpusFile>& pieces) {
  uint32_t ours = 0, zlib = 0, deflate = 0;
  uint64_t n = 0;
  for (const CorpusFile& p : pieces) n += p.data.size();
  const double oursSpeed = DecodeSpeed(
      n,
      [&] {
        ours = 0xFFFFFFFFu;
        for (const CorpusFile& p : pieces)
          ours = UpdateCrc32(ours, p.data.data(), uint32_t(p.data.size()));
        ours = ~ours;
        return true;
      },
      5);
  const double zlibSpeed = DecodeSpeed(
      n,
      [&] {
        zlib = 0;
        for (const CorpusFile& p : pieces)
          zlib = uint32_t(crc32(zlib, p.data.data(), uInt(p.data.size())));
        return true;
      },
      5);
  const double deflateSpeed = DecodeSpeed(
      n,
      [&] {
        deflate = 0;
        for (const CorpusFile& p : pieces)
          deflate = libdeflate_crc32(deflate, p.data.data(), p.data.size());
        return true;
      },
      5);
  // Folding by carry-less multiplication is held to 8 GB/s on 64-bit code;
  // the table method, where the processor lacks it, to 1 GB/s.
  const bool fold = Crc32CanFold();
  const double target = fold && sizeof(void*) == 8 ? 8000 : 1000;
  std::printf(
      "CRC-32 of %.1f MiB (%s): ours %.0f MB/s (target %.0f: %s), zlib %.0f MB/s, "
      "libdeflate %.0f MB/s%s\n",
      n / double(MiB),
      !fold                ? "tables"
      : Crc32CanFoldWide() ? "carry-less multiplication, 256-bit"
                           : "carry-less multiplication, 128-bit",
      oursSpeed, target, oursSpeed >= target ? "met" : "NOT MET", zlibSpeed, deflateSpeed,
      ours == zlib && zlib == deflate ? "" : "  (VALUES DIFFER)");
}

// Runs `rar2tool test archive`; returns the child's processor seconds.
double TimeTest(const std::string& tool, const std::string& archive, double* wall) {
  timeval start, end;
  std::fflush(stdout);  // or the child would write the buffered lines again
  gettimeofday(&start, nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (!std::freopen("/dev/null", "w", stdout)) _exit(127);
    execl(tool.c_str(), tool.c_str(), "test", archive.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  gettimeofday(&end, nullptr);
  *wall = double(end.tv_sec - start.tv_sec) + (end.tv_usec - start.tv_usec) * 1e-6;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "decode_bench: rar2tool test %s failed\n", archive.c_str());
    std::exit(1);
  }
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

void SolidFigures(const std::string& tool, const std::string& scratch) {
  std::vector<CorpusFile> files;
  TakeFiles("/usr/lib/python3.11", ".py", 8 * MiB, 600, &files);
  uint64_t total = 0;
  for (const CorpusFile& f : files) total += f.data.size();
  std::vector<packer::PackItem> items = Items(files);
  double seconds[2], wall[2];
  for (int solid = 0; solid < 2; solid++) {
    const std::vector<uint8_t> archive = Pack(items, 3, solid == 1);
    const std::string path = scratch + (solid ? "/solid.rar" : "/non-solid.rar");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(archive.data()), std::streamsize(archive.size()));
    seconds[solid] = TimeTest(tool, path, &wall[solid]);
  }
  std::printf(
      "rar2tool test of %zu Python sources (%.1f MiB, -m3): solid %.2f s, non-solid "
      "%.2f s (processor time; wall %.2f s / %.2f s): %.1fx (target 1.5x: %s)\n",
      files.size(), total / double(MiB), seconds[1], seconds[0], wall[1], wall[0],
      seconds[1] / seconds[0], seconds[1] <= 1.5 * seconds[0] ? "met" : "NOT MET");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string option = argc == 2 ? argv[1] : "";
  if (option == "--probe") return 0;
  std::printf("decode_bench, %s code\n", sizeof(void*) == 4 ? "32-bit (i686)" : "64-bit");
  std::string notes;
  const std::vector<CorpusFile> corpus = BuildCorpus(&notes);
  if (!notes.empty()) std::printf("corpus notes: %s\n", notes.c_str());
  if (option == "--bench-corpus-only") {
    DecodeFigures("bench corpus", corpus, true);
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "--only") {
    std::vector<CorpusFile> chosen;
    for (const CorpusFile& f : corpus)
      if (f.kind == argv[2] || f.name == argv[2]) chosen.push_back(f);
    if (chosen.empty()) {
      std::fprintf(stderr, "decode_bench: no file of the bench corpus is of kind or named %s\n",
                   argv[2]);
      return 2;
    }
    DecodeFigures(argv[2], chosen);
    return 0;
  }
  size_t realFiles = 0;
  const std::vector<CorpusFile> tar = RealTar(&realFiles);
  DecodeFigures("bench corpus", corpus, true);
  DecodeFigures(("real files (" + std::to_string(realFiles) + ")").c_str(), tar);
  CrcFigures(tar);
  if (argc == 3) SolidFigures(argv[1], argv[2]);
  return 0;
}
