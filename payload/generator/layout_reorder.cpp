// Rewrites a setup-layout archive with its folder entries in a shuffled
// order (the same on every run), the named ones left out: the shapes of a
// product packed by other tools, for the installation's tests. A folder
// entry carries no data, so the solid stream and every header stay as
// they were; only the order of the blocks changes.
//   layout_reorder IN OUT [--drop FOLDER]...
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "archive/block_format.h"
#include "archive/byte_order.h"

namespace {

struct Block {
  size_t start, size;
  bool folder;
  std::string name;
};

bool Fail(const std::string& what) {
  std::fprintf(stderr, "layout_reorder: %s\n", what.c_str());
  return false;
}

bool ReadAll(const char* path, std::vector<uint8_t>* bytes) {
  FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return Fail(std::string(path) + ": cannot be opened");
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
    bytes->insert(bytes->end(), chunk, chunk + n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok || Fail(std::string(path) + ": read error");
}

// The marker and the main header, then one block after another; file
// headers are followed by their packed data.
bool Split(const std::vector<uint8_t>& a, size_t* headEnd, std::vector<Block>* blocks) {
  if (a.size() < MarkerSize + BlockBaseSize || std::memcmp(a.data(), RarMarker, MarkerSize) != 0 ||
      a[MarkerSize + HeaderTypeAt] != BlockMain)
    return Fail("not a RAR 2.x archive");
  size_t pos = MarkerSize + LoadU16(&a[MarkerSize + HeaderSizeAt]);
  *headEnd = pos;
  while (pos < a.size()) {
    if (a.size() - pos < BlockBaseSize)
      return Fail("a block is cut short at offset " + std::to_string(pos));
    const uint32_t type = a[pos + HeaderTypeAt], flags = LoadU16(&a[pos + HeaderFlagsAt]),
                   header = LoadU16(&a[pos + HeaderSizeAt]);
    uint64_t size = header;
    Block b{pos, 0, false, ""};
    if (type == BlockFile) {
      if (header < EntryFixedSize || a.size() - pos < header)
        return Fail("a file header is cut short");
      const uint32_t nameSize = LoadU16(&a[pos + EntryNameLengthAt]);
      if (EntryFixedSize + nameSize > header) return Fail("a file header's name overruns it");
      size += LoadU32(&a[pos + EntryPackedSizeAt]);
      b.folder = (flags & EntryFlagWindowBits) == EntryFlagDirectory;
      b.name.assign(reinterpret_cast<const char*>(&a[pos + EntryFixedSize]), nameSize);
    } else if (flags & BlockFlagHasData) {
      if (a.size() - pos < BlockWithDataSize)
        return Fail("a block is cut short at offset " + std::to_string(pos));
      size += LoadU32(&a[pos + DataSizeAt]);
    }
    if (header < BlockBaseSize || size > a.size() - pos)
      return Fail("a block overruns the archive at offset " + std::to_string(pos));
    b.size = size_t(size);
    blocks->push_back(b);
    pos += b.size;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> drop;
  bool usage = argc < 3;
  for (int i = 3; i < argc && !usage; i += 2) {
    usage = i + 1 >= argc || std::strcmp(argv[i], "--drop") != 0;
    if (!usage) drop.push_back(argv[i + 1]);
  }
  if (usage) {
    std::fprintf(stderr, "usage: layout_reorder IN OUT [--drop FOLDER]...\n");
    return 2;
  }
  std::vector<uint8_t> in;
  size_t headEnd = 0;
  std::vector<Block> blocks;
  if (!ReadAll(argv[1], &in) || !Split(in, &headEnd, &blocks)) return 1;

  std::vector<Block> folders, rest;
  for (const Block& b : blocks) {
    bool dropped = false;
    for (const std::string& name : drop) dropped = dropped || (b.folder && b.name == name);
    if (!dropped) (b.folder ? folders : rest).push_back(b);
  }
  if (folders.size() + rest.size() + drop.size() != blocks.size())
    return Fail("a folder to leave out is not among the archive's folder entries"), 1;
  uint64_t state = 0xF01D3E5ull;
  for (size_t i = folders.size(); i > 1; i--) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    std::swap(folders[i - 1], folders[size_t(state % i)]);
  }

  const std::string part = std::string(argv[2]) + ".part";
  FILE* out = std::fopen(part.c_str(), "wb");
  bool ok = out != nullptr && std::fwrite(in.data(), 1, headEnd, out) == headEnd;
  for (const std::vector<Block>* group : {&folders, &rest})
    for (const Block& b : *group) ok = ok && std::fwrite(&in[b.start], 1, b.size, out) == b.size;
  if (out == nullptr || std::fclose(out) != 0 || !ok || std::rename(part.c_str(), argv[2]) != 0) {
    std::remove(part.c_str());
    return Fail(std::string(argv[2]) + ": cannot be written"), 1;
  }
  std::printf("layout_reorder: %zu folder entries shuffled, %zu left out, %zu other blocks\n",
              folders.size(), drop.size(), rest.size());
  return 0;
}
