#include "decode_speed.h"

#include <libdeflate.h>
#include <zlib.h>

#include <cstdlib>

#include "archive/archive_reader.h"
#include "bench_timing.h"

DecodeSpeeds MeasureDecodeSpeeds(const std::vector<uint8_t>& archive,
                                 const std::vector<std::string>& names,
                                 const std::vector<CorpusFile>& corpus,
                                 const std::vector<std::vector<uint8_t>>& zlibStreams,
                                 const std::vector<std::vector<uint8_t>>& deflateStreams) {
  uint64_t total = 0;
  for (const CorpusFile& f : corpus) total += f.data.size();
  DecodeSpeeds s;
  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  s.ours = DecodeSpeed(total, [&] {
    for (const std::string& name : names) {
      uint8_t* data = nullptr;
      uint32_t size = 0;
      if (!ArchiveGetEntry(&data, &size, name.c_str(), &image, nullptr)) return false;
      std::free(data);
    }
    return true;
  });
  auto inflateInto = [&](size_t i, uint8_t* out) {
    uLongf n = uLongf(corpus[i].data.size());
    return uncompress(out, &n, zlibStreams[i].data(), uLong(zlibStreams[i].size())) == Z_OK;
  };
  s.inflate = DecodeSpeed(total, [&] {
    for (size_t i = 0; i < corpus.size(); i++) {
      uint8_t* out = static_cast<uint8_t*>(std::malloc(corpus[i].data.size() + 1));
      const bool ok = inflateInto(i, out);
      std::free(out);
      if (!ok) return false;
    }
    return true;
  });
  std::vector<uint8_t> kept;
  s.inflateReused = DecodeSpeed(total, [&] {
    for (size_t i = 0; i < corpus.size(); i++) {
      kept.resize(corpus[i].data.size() + 1);
      if (!inflateInto(i, kept.data())) return false;
    }
    return true;
  });
  libdeflate_decompressor* d = libdeflate_alloc_decompressor();
  s.libdeflate = DecodeSpeed(total, [&] {
    for (size_t i = 0; i < corpus.size(); i++) {
      const size_t n = corpus[i].data.size();
      uint8_t* out = static_cast<uint8_t*>(std::malloc(n + 1));
      const bool ok =
          libdeflate_zlib_decompress(d, deflateStreams[i].data(), deflateStreams[i].size(), out, n,
                                     nullptr) == LIBDEFLATE_SUCCESS;
      std::free(out);
      if (!ok) return false;
    }
    return true;
  });
  libdeflate_free_decompressor(d);
  return s;
}
