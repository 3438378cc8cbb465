#include "stream_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "audio_estimate.h"
#include "audio_predictor.h"
#include "bit_writer.h"
#include "block_header.h"
#include "block_split.h"
#include "huffman_code.h"
#include "lz_parser.h"
#include "lz_symbols.h"

namespace packer {

namespace {

// Bytes whose steps are gathered before they are cut into blocks and written.
constexpr uint32_t SegmentBytes = 2u << 20;
// Files shorter than this are not worth an audio trial.
constexpr uint32_t MinAudioTrial = 1024;
// Bytes of a file that the audio trial parses as LZ; when LZ wins, the
// parse goes on from there.
constexpr uint32_t TrialBytes = 256u << 10;
constexpr uint32_t FirstLookBytes = 32u << 10;
// A trial whose loser's estimate is less than this factor above the
// winner's is not taken as settled.
constexpr double CertainMargin = 1.25;

struct Run {
  size_t begin, end;  // steps
  int channels;       // 0 for LZ
};

// Bytes past a segment's end that the match finders may read (a match from
// its last position, the trees' longest), and the padding after them.
constexpr uint32_t LookaheadBytes = 4096;
// Alternative encodings whose packed bytes come to at most this are kept in
// memory, so that the winner is not made twice; larger ones are measured,
// and made again only when they win.
constexpr uint64_t KeptTrialBytes = 32u << 20;

// The stream's bytes as the encoder needs them: the whole stream when it is
// in memory; otherwise a buffer that holds, from each segment's start, the
// window behind it and the segment and lookahead ahead of it, read in order
// and moved down as the segment advances. Positions stay those of the
// stream: Data() + pos is byte pos for every byte the buffer holds.
class StreamWindow {
 public:
  StreamWindow(const uint8_t* data, uint32_t size) : direct_(data), size_(size), end_(size) {}
  StreamWindow(StreamInput* input, uint32_t size) : input_(input), size_(size) {}

  // Starts over at the stream's first byte.
  bool Start() {
    if (direct_ != nullptr) return true;
    base_ = end_ = 0;
    return input_->Rewind();
  }

  // Makes [from - MaxDistance, to + LookaheadBytes) readable, as far as the
  // stream goes.
  bool Prepare(uint32_t from, uint32_t to) {
    if (direct_ != nullptr) return true;
    const uint32_t want = size_ - to > LookaheadBytes ? to + LookaheadBytes : size_;
    if (want <= end_) return true;
    // A stream shorter than the buffer is read whole into one its size.
    const size_t capacity =
        std::min<size_t>(size_t(WindowSize) + SegmentBytes + LookaheadBytes, size_);
    if (buffer_.empty()) buffer_.assign(capacity + MatchPadding, 0);
    if (want - base_ > capacity) {
      const uint32_t keep = from > WindowSize ? from - WindowSize : 0;
      std::memmove(buffer_.data(), buffer_.data() + (keep - base_), end_ - keep);
      base_ = keep;
    }
    if (!input_->ReadNext(buffer_.data() + (end_ - base_), want - end_)) return false;
    end_ = want;
    std::memset(buffer_.data() + (end_ - base_), 0, MatchPadding);
    return true;
  }

  // Byte pos of the stream at Data() + pos, for every pos the buffer holds.
  // The address is made by integer arithmetic: below the buffer's start
  // nothing is ever read.
  const uint8_t* Data() const {
    if (direct_ != nullptr) return direct_;
    return reinterpret_cast<const uint8_t*>(reinterpret_cast<uintptr_t>(buffer_.data()) - base_);
  }

  // n bytes at stream offset at: from the buffer when it holds them.
  bool Copy(uint32_t at, uint8_t* out, uint32_t n) {
    if (direct_ != nullptr || (at >= base_ && at + n <= end_)) {
      std::memcpy(out, Data() + at, n);
      return true;
    }
    return input_->ReadAt(at, out, n);
  }

 private:
  const uint8_t* direct_ = nullptr;
  StreamInput* input_ = nullptr;
  uint32_t size_;
  std::vector<uint8_t> buffer_;
  uint32_t base_ = 0;  // stream offset of buffer_[0]
  uint32_t end_ = 0;   // stream offset past the last byte read
};

// Packed bytes kept in memory, one vector per entry, up to a limit: past
// it they are dropped and only counted.
class KeptOutput : public StreamOutput {
 public:
  KeptOutput(size_t entries, uint64_t limit) : packed(entries), limit_(limit) {}
  bool Write(size_t entry, const uint8_t* bytes, size_t n) override {
    kept_ += n;
    if (kept_ > limit_ && !overflowed) {
      overflowed = true;
      for (std::vector<uint8_t>& p : packed) std::vector<uint8_t>().swap(p);
    }
    if (!overflowed) packed[entry].insert(packed[entry].end(), bytes, bytes + n);
    return true;
  }
  bool EndEntry(size_t) override { return true; }
  bool Restart() override {
    for (std::vector<uint8_t>& p : packed) p.clear();
    kept_ = 0;
    overflowed = false;
    return true;
  }
  std::vector<std::vector<uint8_t>> packed;
  bool overflowed = false;

 private:
  uint64_t limit_;
  uint64_t kept_ = 0;
};

// Counts the bytes on their way to next (or only counts, without one).
class CountingOutput : public StreamOutput {
 public:
  explicit CountingOutput(StreamOutput* next) : next_(next) {}
  bool Write(size_t entry, const uint8_t* bytes, size_t n) override {
    bytes_ += n;
    return next_ == nullptr || next_->Write(entry, bytes, n);
  }
  bool EndEntry(size_t entry) override { return next_ == nullptr || next_->EndEntry(entry); }
  bool Restart() override {
    bytes_ = 0;
    return next_ == nullptr || next_->Restart();
  }
  uint64_t bytes() const { return bytes_; }

 private:
  StreamOutput* next_;
  uint64_t bytes_ = 0;
};

double LzBits(const std::vector<Op>& ops, size_t from, LzState state) {
  LzFrequencies f;
  for (size_t i = from; i < ops.size(); i++) {
    const Op& op = ops[i];
    if (op.distance == 0) {
      f.main[op.length]++;
    } else {
      CountSpelling(&f, SpellMatch(state, op.length, op.distance));
      PushMatch(&state, op.length, op.distance);
    }
  }
  return PrefixCodeBits(f.main, LiteralSymbols) + PrefixCodeBits(f.distance, DistanceSymbols) +
         PrefixCodeBits(f.recentLength, RepLengthSymbols) + double(f.extraBits);
}

class Encoder {
 public:
  Encoder(StreamWindow* window, uint32_t size, const std::vector<StreamEntry>& entries,
          const EncodeSettings& settings, StreamOutput* output, EncodeReport* report)
      : window_(window),
        size_(size),
        entries_(entries),
        settings_(settings),
        output_(output),
        report_(report),
        parser_(window->Data(), size, LevelParameters(settings.level)),
        writers_(entries.size()),
        hasBits_(entries.size(), false),
        entryChannels_(entries.size(), -1) {
    ResetAudioModel(&audio_);
  }

  // False when the input or the output failed.
  bool Encode() {
    if (!window_->Start()) return false;
    size_t e = 0;
    for (uint32_t pos = 0; pos < size_;) {
      const uint32_t segmentEnd = size_ - pos > SegmentBytes ? pos + SegmentBytes : size_;
      if (!window_->Prepare(pos, segmentEnd)) return false;
      data_ = window_->Data();
      parser_.SetData(data_);
      ops_.clear();
      runs_.clear();
      while (pos < segmentEnd) {
        while (entries_[e].begin + entries_[e].size <= pos) e++;
        const StreamEntry& entry = entries_[e];
        const uint32_t pieceEnd = std::min(segmentEnd, entry.begin + entry.size);
        Produce(e, pos, pieceEnd);
        pos = pieceEnd;
      }
      for (const Run& run : runs_) EmitRun(run);
      // The bytes made so far leave; only the current entry's last bits wait.
      if (!failed_ && entry_ < entries_.size()) Pass(entry_);
      if (failed_ || sampleFailed_) return false;
      if (settings_.progress) settings_.progress(pos);
    }
    while (entry_ < entries_.size()) FinishEntry(entry_++);
    return !failed_;
  }

 private:
  // --- Producing steps ---

  void AddRun(size_t begin, int channels) {
    if (begin == ops_.size()) return;
    if (!runs_.empty() && runs_.back().channels == channels && runs_.back().end == begin)
      runs_.back().end = ops_.size();
    else
      runs_.push_back({begin, ops_.size(), channels});
  }

  void ProduceLz(uint32_t a, uint32_t b) {
    const size_t first = ops_.size();
    parser_.Parse(a, b, &lz_, &ops_);
    AddRun(first, 0);
  }

  void ProduceAudio(uint32_t a, uint32_t b, int channels) {
    const size_t first = ops_.size();
    if (audio_.currentChannel >= channels) audio_.currentChannel = 0;
    int c = audio_.currentChannel;
    for (uint32_t pos = a; pos < b; pos++) {
      const uint8_t symbol = EncodeAudioByte(&audio_.channel[c], &audio_.crossDelta, data_[pos]);
      ops_.push_back({uint32_t(symbol) | uint32_t(c) << 8, AudioOp});
      if (++c == channels) c = 0;
    }
    audio_.currentChannel = c;
    parser_.SkipBytes(a, b);
    AddRun(first, channels);
  }

  // Bytes before the first audio byte of an entry, so that its byte k falls
  // on channel k mod channels.
  uint32_t AlignmentPrefix(int channels) const {
    return audio_.currentChannel < channels ? uint32_t(audio_.currentChannel) : 0;
  }

  void Produce(size_t e, uint32_t a, uint32_t b) {
    const StreamEntry& entry = entries_[e];
    if (entryChannels_[e] < 0 && Decide(e, a, b)) return;  // the trial's LZ steps stay
    const int channels = entryChannels_[e];
    if (channels == 0) {
      ProduceLz(a, b);
      return;
    }
    // Forced audio codes every byte as audio, whatever the channel phase.
    if (a == entry.begin && settings_.audio != AudioChoice::Always) {
      const uint32_t prefix = std::min(AlignmentPrefix(channels), b - a);
      if (prefix > 0) ProduceLz(a, a + prefix);
      a += prefix;
    }
    ProduceAudio(a, b, channels);
  }

  // Settles audio or LZ for entry e from its first piece [a, b). Returns
  // true when it has produced the piece's steps itself (LZ won a trial).
  bool Decide(size_t e, uint32_t a, uint32_t b) {
    const StreamEntry& entry = entries_[e];
    entryChannels_[e] = 0;
    if (settings_.audio == AudioChoice::Never || entry.size == 0) return false;
    const SoundEstimate sound = EstimateEntrySound(entry);
    if (settings_.audio == AudioChoice::Always) {
      entryChannels_[e] = sound.channels;
      return false;
    }
    if (entry.size < MinAudioTrial || sound.audioBitsPerByte > 0.92 * sound.plainBitsPerByte)
      return false;
    // A trial: LZ steps for the start of the piece against the audio
    // estimate of the same bytes.
    const LzState lzBefore = lz_;
    const CostModel pricesBefore = parser_.Prices();
    const size_t first = ops_.size();
    // A short first look settles most files; the rest is parsed only when
    // the two come out close there or LZ wins.
    const uint32_t t = b - a > TrialBytes ? a + TrialBytes : b;
    const uint32_t look = t - a > FirstLookBytes ? a + FirstLookBytes : t;
    const uint32_t prefix = std::min(AlignmentPrefix(sound.channels), t - a);
    auto audioEstimate = [&](uint32_t end) {
      return 8.0 * std::min(prefix, end - a) +
             (end - a > prefix
                  ? AudioBits(audio_, sound.channels, data_ + a + prefix, end - a - prefix)
                  : 0.0);
    };
    ProduceLz(a, look);
    double lzBits = LzBits(ops_, first, lzBefore);
    double audioBits = audioEstimate(look);
    if (look < t && lzBits < audioBits * CertainMargin) {
      ProduceLz(look, t);
      lzBits = LzBits(ops_, first, lzBefore);
      audioBits = audioEstimate(t);
    }
    // Estimates this close can be wrong either way: the whole stream is
    // then measured both ways as well.
    if (report_ && audioBits < lzBits * CertainMargin && lzBits < audioBits * CertainMargin)
      report_->closeChoices++;
    if (audioBits >= lzBits) {
      if (t < b) ProduceLz(t, b);
      return true;
    }
    ops_.resize(first);
    if (!runs_.empty() && runs_.back().end > first) {
      runs_.back().end = first;
      if (runs_.back().begin == first) runs_.pop_back();
    }
    lz_ = lzBefore;
    parser_.SetPrices(pricesBefore);
    entryChannels_[e] = sound.channels;
    return false;
  }

  // The sound estimate of a whole entry, from samples that the window may
  // have to fetch.
  SoundEstimate EstimateEntrySound(const StreamEntry& entry) {
    const SoundSampling sampling = SoundSamplesOf(entry.size);
    samples_.resize(size_t(sampling.count) * sampling.windowSize);
    for (uint32_t w = 0; w < sampling.count; w++)
      if (!window_->Copy(entry.begin + sampling.starts[w],
                         samples_.data() + size_t(w) * sampling.windowSize, sampling.windowSize))
        sampleFailed_ = true;
    return EstimateSoundSamples(samples_.data(), sampling);
  }

  // --- Writing blocks ---

  static uint32_t StepBytes(const Op& op) {
    return op.distance == 0 || op.distance == AudioOp ? 1 : op.length;
  }

  void EmitRun(const Run& run) {
    SymbolStream stream;
    SplitSettings split;
    const bool high = settings_.level >= 4;
    split.stepsPerChunk = high ? 1024 : 4096;
    split.maxChunksPerBlock = high ? 96 : 24;
    const size_t n = run.end - run.begin;
    stream.first.resize(n);
    stream.second.resize(n);
    stream.extraBits.resize(n);
    if (run.channels == 0) {
      stream.alphabetSize = LzLengthCount;
      stream.tableCount = 3;
      stream.tableOf.assign(LzLengthCount, 0);
      for (int s = LiteralSymbols; s < LzLengthCount; s++)
        stream.tableOf[s] = s < LiteralSymbols + DistanceSymbols ? 1 : 2;
      LzState s = lzEmit_;
      for (size_t i = 0; i < n; i++) {
        const Op& op = ops_[run.begin + i];
        if (op.distance == 0) {
          stream.first[i] = uint16_t(op.length);
          stream.second[i] = -1;
          stream.extraBits[i] = 0;
          continue;
        }
        const Spelling sp = SpellMatch(s, op.length, op.distance);
        PushMatch(&s, op.length, op.distance);
        stream.first[i] = sp.main;
        stream.second[i] = sp.secondTable == 0 ? int16_t(-1)
                           : sp.secondTable == 1
                               ? int16_t(LiteralSymbols + sp.second)
                               : int16_t(LiteralSymbols + DistanceSymbols + sp.second);
        stream.extraBits[i] = uint8_t(sp.extraBits1 + sp.extraBits2);
      }
    } else {
      stream.alphabetSize = AudioSymbols * run.channels;
      stream.tableCount = run.channels;
      stream.tableOf.resize(size_t(stream.alphabetSize));
      for (int s = 0; s < stream.alphabetSize; s++) stream.tableOf[s] = s / AudioSymbols;
      for (size_t i = 0; i < n; i++) {
        const Op& op = ops_[run.begin + i];
        stream.first[i] = uint16_t((op.length >> 8) * AudioSymbols + (op.length & 0xFF));
        stream.second[i] = -1;
        stream.extraBits[i] = 0;
      }
    }
    std::vector<size_t> cuts = SplitIntoBlocks(stream, split);
    size_t begin = run.begin;
    for (size_t cut : cuts) {
      EmitBlock(begin, run.begin + cut, run.channels);
      begin = run.begin + cut;
    }
    EmitBlock(begin, run.end, run.channels);
  }

  void EmitBlock(size_t a, size_t b, int channels) {
    uint32_t blockBytes = 0;
    for (size_t i = a; i < b; i++) blockBytes += StepBytes(ops_[i]);
    const bool lastBlock = emitPos_ + blockBytes == size_;
    uint8_t lengths[MaxLengthCount] = {};
    int count;
    if (channels == 0) {
      LzFrequencies f;
      LzState s = lzEmit_;
      for (size_t i = a; i < b; i++) {
        const Op& op = ops_[i];
        if (op.distance == 0) {
          f.main[op.length]++;
        } else {
          CountSpelling(&f, SpellMatch(s, op.length, op.distance));
          PushMatch(&s, op.length, op.distance);
        }
      }
      if (!lastBlock) f.main[SymbolNewTables]++;
      BuildCodeLengths(f.main, LiteralSymbols, MaxCodeLength, lengths);
      BuildCodeLengths(f.distance, DistanceSymbols, MaxCodeLength, lengths + LiteralSymbols);
      BuildCodeLengths(f.recentLength, RepLengthSymbols, MaxCodeLength,
                       lengths + LiteralSymbols + DistanceSymbols);
      count = LzLengthCount;
    } else {
      uint32_t f[4][AudioSymbols] = {};
      int c = 0;
      for (size_t i = a; i < b; i++) {
        c = int(ops_[i].length >> 8);
        f[c][ops_[i].length & 0xFF]++;
      }
      if (!lastBlock) f[(c + 1) % channels][AudioSymbolNewTables]++;
      // Every channel's table codes some delta, so that whatever the decoder
      // reads after an entry's end on any channel is never a header.
      for (int k = 0; k < channels; k++) {
        bool any = false;
        for (int s = 0; s < AudioSymbolNewTables; s++) any |= f[k][s] != 0;
        if (!any) f[k][0] = 1;
      }
      for (int k = 0; k < channels; k++)
        BuildCodeLengths(f[k], AudioSymbols, MaxCodeLength, lengths + k * AudioSymbols);
      count = AudioSymbols * channels;
    }

    if (anyBlock_) {
      AdvanceEntryTo(emitPos_);
      WriteNewTablesSymbol();
    }
    BitWriter& out = writers_[entry_];
    hasBits_[entry_] = true;
    WriteBlockHeader(&out, {channels != 0, channels ? channels : 1, lengths, count}, &previous_);
    anyBlock_ = true;
    tableChannels_ = channels;
    std::memcpy(lengths_, lengths, size_t(count));
    // Each table has its own canonical code.
    if (channels == 0) {
      AssignCodes(lengths_, LiteralSymbols, codes_);
      AssignCodes(lengths_ + LiteralSymbols, DistanceSymbols, codes_ + LiteralSymbols);
      AssignCodes(lengths_ + LiteralSymbols + DistanceSymbols, RepLengthSymbols,
                  codes_ + LiteralSymbols + DistanceSymbols);
    } else {
      for (int k = 0; k < channels; k++)
        AssignCodes(lengths_ + k * AudioSymbols, AudioSymbols, codes_ + k * AudioSymbols);
    }
    if (channels != 0 && emitChannel_ >= channels) emitChannel_ = 0;
    if (report_) {
      if (channels == 0) {
        report_->lzBlocks++;
      } else {
        report_->audioBlocks++;
        report_->audioChannelsUsed |= 1u << (channels - 1);
      }
    }
    for (size_t i = a; i < b; i++) {
      AdvanceEntryTo(emitPos_);
      WriteStep(ops_[i]);
    }
  }

  void Put(int symbol) { writers_[entry_].Put(codes_[symbol], lengths_[symbol]); }

  void Count(SymbolKind kind) {
    if (report_) report_->symbols[kind]++;
  }

  void WriteStep(const Op& op) {
    BitWriter& out = writers_[entry_];
    hasBits_[entry_] = true;
    if (op.distance == AudioOp) {
      Count(KindAudio);
      const int c = int(op.length >> 8);
      Put(c * AudioSymbols + int(op.length & 0xFF));
      emitChannel_ = (c + 1) % tableChannels_;
      emitPos_++;
      return;
    }
    if (op.distance == 0) {
      Count(KindLiteral);
      Put(int(op.length));
      emitPos_++;
      return;
    }
    const Spelling sp = SpellMatch(lzEmit_, op.length, op.distance);
    Count(sp.main == SymbolRepeatLast  ? KindRepeatLast
          : sp.main < SymbolShortFirst ? KindRecent
          : sp.main < SymbolNewTables  ? KindShort
                                       : KindNewMatch);
    PushMatch(&lzEmit_, op.length, op.distance);
    Put(sp.main);
    if (sp.extraBits1) out.Put(sp.extra1, sp.extraBits1);
    if (sp.secondTable == 1) Put(LiteralSymbols + sp.second);
    if (sp.secondTable == 2) Put(LiteralSymbols + DistanceSymbols + sp.second);
    if (sp.extraBits2) out.Put(sp.extra2, sp.extraBits2);
    emitPos_ += op.length;
  }

  void WriteNewTablesSymbol() {
    hasBits_[entry_] = true;
    Count(KindNewTables);
    if (tableChannels_ == 0)
      Put(SymbolNewTables);
    else
      Put(emitChannel_ * AudioSymbols + AudioSymbolNewTables);
  }

  // Moves the writer to the entry that holds stream position pos.
  void AdvanceEntryTo(uint32_t pos) {
    while (entry_ + 1 < entries_.size() && entries_[entry_].begin + entries_[entry_].size <= pos)
      FinishEntry(entry_++);
  }

  void FinishEntry(size_t k) {
    if (settings_.guardEntryEnds && hasBits_[k] && anyBlock_) {
      // The shortest code that is neither a header nor an audio header.
      int first = 0, count = LiteralSymbols, avoid = SymbolNewTables;
      if (tableChannels_ != 0) {
        first = emitChannel_ * AudioSymbols;
        count = AudioSymbols;
        avoid = first + AudioSymbolNewTables;
      }
      int best = -1;
      for (int s = first; s < first + count; s++)
        if (s != avoid && lengths_[s] != 0 && (best < 0 || lengths_[s] < lengths_[best])) best = s;
      if (best >= 0) writers_[k].Put(codes_[best], lengths_[best]);
    }
    writers_[k].Flush();
    Pass(k);
    if (!failed_ && !output_->EndEntry(k)) failed_ = true;
    std::vector<uint8_t>().swap(writers_[k].Bytes());
  }

  // Hands the whole bytes written for entry k to the output.
  void Pass(size_t k) {
    std::vector<uint8_t>& bytes = writers_[k].Bytes();
    if (!failed_ && !bytes.empty() && !output_->Write(k, bytes.data(), bytes.size()))
      failed_ = true;
    bytes.clear();
  }

  StreamWindow* window_;
  const uint8_t* data_ = nullptr;
  uint32_t size_;
  const std::vector<StreamEntry>& entries_;
  EncodeSettings settings_;
  StreamOutput* output_;
  EncodeReport* report_;
  LzParser parser_;
  std::vector<uint8_t> samples_;
  bool failed_ = false;
  bool sampleFailed_ = false;

  // Producing side: the state as steps are made.
  LzState lz_;
  AudioModel audio_;
  std::vector<Op> ops_;
  std::vector<Run> runs_;

  // Writing side: the decoder's state as the bits are written.
  std::vector<BitWriter> writers_;
  std::vector<bool> hasBits_;
  std::vector<int> entryChannels_;
  LzState lzEmit_;
  PreviousLengths previous_;
  size_t entry_ = 0;
  uint32_t emitPos_ = 0;
  bool anyBlock_ = false;
  int tableChannels_ = 0;
  int emitChannel_ = 0;
  uint8_t lengths_[MaxLengthCount] = {};
  uint16_t codes_[MaxLengthCount] = {};
};

// One encoding with the settings as given, every choice made by estimate.
bool EncodeOnce(StreamWindow* window, uint32_t size, const std::vector<StreamEntry>& entries,
                const EncodeSettings& settings, StreamOutput* output, EncodeReport* report) {
  Encoder encoder(window, size, entries, settings, output, report);
  return encoder.Encode();
}

// Encodes into output (only measures when it is null) the smallest of the
// encodings tried, and tells its size.
bool EncodeBest(StreamWindow* window, uint32_t size, const std::vector<StreamEntry>& entries,
                const EncodeSettings& settings, StreamOutput* output, EncodeReport* report,
                uint64_t* packedBytes) {
  EncodeReport chosen;
  CountingOutput first(output);
  if (!EncodeOnce(window, size, entries, settings, &first, &chosen)) return false;
  uint64_t bestBytes = first.bytes();
  // The trials below are measured, not shown: the progress has been told.
  EncodeSettings trial = settings;
  trial.progress = nullptr;
  // The encoding that beat the first, if any: its bytes when kept, else how
  // to make it again.
  bool otherWon = false, otherMeasured = false;
  EncodeSettings otherSettings;
  std::unique_ptr<KeptOutput> otherBytes;
  auto keepSmaller = [&](const EncodeSettings& other, bool measured) {
    EncodeReport otherReport;
    std::unique_ptr<KeptOutput> kept;
    if (output != nullptr) kept = std::make_unique<KeptOutput>(entries.size(), KeptTrialBytes);
    CountingOutput counter(kept.get());
    uint64_t bytes = 0;
    const bool ok = measured
                        ? EncodeBest(window, size, entries, other, kept.get(), &otherReport, &bytes)
                        : EncodeOnce(window, size, entries, other, &counter, &otherReport);
    if (!ok) return false;
    if (!measured) bytes = counter.bytes();
    if (bytes < bestBytes) {
      bestBytes = bytes;
      chosen = otherReport;
      otherWon = true;
      otherMeasured = measured;
      otherSettings = other;
      otherBytes.reset();
      if (kept && !kept->overflowed) otherBytes = std::move(kept);
    }
    return true;
  };
  // Where a trial found audio and LZ close, the estimates may have picked
  // the wrong one: the stream coded all one way and all the other is
  // measured too.
  const EncodeReport automatic = chosen;
  if (settings.audio == AudioChoice::Automatic && automatic.closeChoices > 0) {
    EncodeSettings forced = trial;
    if (automatic.audioBlocks > 0) {
      forced.audio = AudioChoice::Never;
      if (!keepSmaller(forced, false)) return false;
    }
    if (automatic.lzBlocks > 0) {
      forced.audio = AudioChoice::Always;
      if (!keepSmaller(forced, false)) return false;
    }
  }
  // The optimal parse prices its steps with statistics of the steps before,
  // which can mislead it on data unlike them; the lazy parse of level 3,
  // with its own measured choices, is kept when it packs smaller.
  if (settings.level >= 4) {
    EncodeSettings lazy = trial;
    lazy.level = 3;
    if (!keepSmaller(lazy, true)) return false;
  }
  if (otherWon && output != nullptr) {
    if (!output->Restart()) return false;
    if (otherBytes) {
      for (size_t k = 0; k < entries.size(); k++) {
        const std::vector<uint8_t>& p = otherBytes->packed[k];
        if ((!p.empty() && !output->Write(k, p.data(), p.size())) || !output->EndEntry(k))
          return false;
      }
    } else {
      uint64_t again = 0;
      const bool ok =
          otherMeasured ? EncodeBest(window, size, entries, otherSettings, output, nullptr, &again)
                        : EncodeOnce(window, size, entries, otherSettings, output, nullptr);
      if (!ok) return false;
    }
  }
  if (report) *report = chosen;
  *packedBytes = bestBytes;
  return true;
}

}  // namespace

bool EncodeStreamFrom(StreamInput* input, uint32_t size, const std::vector<StreamEntry>& entries,
                      const EncodeSettings& settings, StreamOutput* output, EncodeReport* report) {
  StreamWindow window(input, size);
  uint64_t bytes = 0;
  return EncodeBest(&window, size, entries, settings, output, report, &bytes);
}

std::vector<std::vector<uint8_t>> EncodeStream(const uint8_t* data, uint32_t size,
                                               const std::vector<StreamEntry>& entries,
                                               const EncodeSettings& settings,
                                               EncodeReport* report) {
  StreamWindow window(data, size);
  KeptOutput output(entries.size(), UINT64_MAX);
  uint64_t bytes = 0;
  EncodeBest(&window, size, entries, settings, &output, report, &bytes);
  return std::move(output.packed);
}

}  // namespace packer
