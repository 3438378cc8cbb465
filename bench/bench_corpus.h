// The benchmark corpus: at least 32 MiB of executables, text, bitmaps and
// sounds, the same bytes on every run. Executables and text are taken from
// fixed files of this machine's toolchain (installed by scripts/deps);
// bitmaps and sounds are generated from fixed seeds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CorpusFile {
  std::string name;
  std::string kind;  // "executable", "text", "bitmap", "sound"
  std::vector<uint8_t> data;
};

// Returns the files; missing system files are reported in *notes and left out.
std::vector<CorpusFile> BuildCorpus(std::string* notes);
