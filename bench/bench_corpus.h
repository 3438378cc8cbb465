// The benchmark corpus: at least 32 MiB of executables, text, bitmaps,
// icons, zero runs and sounds, the same bytes on every run. Executables and
// text are taken from fixed files of this machine's toolchain (installed by
// scripts/deps); the rest is generated from fixed seeds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive_writer.h"

struct CorpusFile {
  std::string name;
  // "executable", "text", "bitmap", "screen bitmap", "plain bitmap", "icon",
  // "zero runs", "sound"
  std::string kind;
  std::vector<uint8_t> data;
};

// Returns the files; missing system files are reported in *notes and left out.
std::vector<CorpusFile> BuildCorpus(std::string* notes);

// The first limit bytes of a file; false when it cannot be read or is empty.
bool ReadPrefix(const std::string& path, size_t limit, std::vector<uint8_t>* out);

// Regular files under dir, recursively, in path order (links are not followed).
void ListFiles(const std::string& dir, std::vector<std::string>* files);

// The files as packer items named file0, file1, ...
std::vector<packer::PackItem> Items(const std::vector<CorpusFile>& corpus);
