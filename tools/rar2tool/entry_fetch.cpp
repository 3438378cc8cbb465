#include "entry_fetch.h"

#include <unordered_map>

#include "archive/archive_reader.h"
#include "archive/block_format.h"
#include "archive/reader_handle.h"
#include "entry_names.h"

ArchiveReader& ToolArchiveReader() {
  static ArchiveReader reader;
  return reader;
}

EntryFetcher::~EntryFetcher() {
  ReaderRelease(reader);
}

namespace {

std::string Quoted(const WalkedEntry& e) {
  return "'" + DisplayName(e.name) + "'";
}

std::string RequestName(const WalkedEntry& e) {
  return e.name.substr(0, MaxNameLength);
}

// Indexes the names once, folded as the installer folds them, instead of
// comparing each name with every earlier one.
void IndexEntries(EntryFetcher* f) {
  const std::vector<WalkedEntry>& entries = f->walk->entries;
  if (f->sameNameBefore.size() == entries.size()) return;
  f->sameNameBefore.assign(entries.size(), SIZE_MAX);
  f->firstUnsupported = SIZE_MAX;
  std::unordered_map<std::string, size_t> seen;
  seen.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); i++) {
    if (f->firstUnsupported == SIZE_MAX && !UnpackVersionReadable(entries[i].unpackVersion))
      f->firstUnsupported = i;
    // Only the first of equal names is kept: the one a request returns.
    const auto first = seen.emplace(FoldedEntryName(RequestName(entries[i]).c_str()), i);
    if (!first.second) f->sameNameBefore[i] = first.first->second;
  }
}

// The request's reason for a failure, with the earlier entry it lies in
// where the walk's own knowledge names one.
FetchOutcome RequestFailure(const EntryFetcher& f, size_t index, ArchiveResult result) {
  const ArchiveWalk& walk = *f.walk;
  const WalkedEntry& e = walk.entries[index];
  FetchOutcome outcome;
  outcome.result = result;
  switch (result) {
    case ArchiveResult::OutOfMemory:
      outcome.problem = EntryProblem::OutOfMemory;
      return outcome;
    case ArchiveResult::UnsupportedVersion:
      // The entry's own version, or that of an earlier solid entry the walk
      // to it had to decode.
      if (UnpackVersionReadable(e.unpackVersion) && f.firstUnsupported < index) {
        outcome.problem = EntryProblem::EarlierUnsupported;
        outcome.earlier = f.firstUnsupported;
      } else {
        outcome.problem = EntryProblem::UnsupportedVersion;
      }
      return outcome;
    case ArchiveResult::PasswordNeeded:
      outcome.problem = EntryProblem::PasswordNeeded;
      return outcome;
    case ArchiveResult::CutShort:
      outcome.problem = EntryProblem::DataTruncated;
      return outcome;
    case ArchiveResult::NotAnArchive:
    case ArchiveResult::NotFound:
    case ArchiveResult::DamagedHeader:
      outcome.problem = EntryProblem::NotReached;
      return outcome;
    default:
      break;
  }
  // Wrong bytes: when an earlier entry of the solid run failed, this one
  // could not come out right whatever its own data.
  if (walk.solid && (e.flags & EntryFlagSolid) && e.method != MethodStored &&
      f.damagedInRun != SIZE_MAX) {
    outcome.problem = EntryProblem::AfterDamagedEarlier;
    outcome.earlier = f.damagedInRun;
  } else if (result == ArchiveResult::WrongPasswordOrDamaged) {
    outcome.problem = EntryProblem::WrongPasswordOrDamaged;
  } else if (result == ArchiveResult::OlderMethod) {
    outcome.problem = EntryProblem::OlderMethod;
  } else {
    outcome.problem = EntryProblem::CrcMismatch;
  }
  return outcome;
}

// The reader hands pieces to a plain function; this one passes them on.
void PassPieceOn(void* context, const uint8_t* bytes, uint32_t count) {
  (*static_cast<const EntryPieces*>(context))(bytes, count);
}

}  // namespace

FetchOutcome BlockedOutcome(EntryFetcher* f, size_t index) {
  IndexEntries(f);
  const WalkedEntry& e = f->walk->entries[index];
  if (e.pastInstallerStop) return {EntryProblem::PastInstallerStop};
  if (e.flags & EntryFlagFromPreviousVolume) return {EntryProblem::FromPreviousVolume};
  if (e.flags & EntryFlagIntoNextVolume) return {EntryProblem::IntoNextVolume};
  if (f->sameNameBefore[index] != SIZE_MAX)
    return {EntryProblem::SameNameEarlier, f->sameNameBefore[index]};
  if (e.dataEnd > f->archive->image.size) return {EntryProblem::DataTruncated};
  return {};
}

std::string DescribeOutcome(const EntryFetcher& f, size_t index, const FetchOutcome& outcome) {
  const ArchiveWalk& walk = *f.walk;
  const WalkedEntry& e = walk.entries[index];
  const size_t other = outcome.earlier < walk.entries.size() ? outcome.earlier : index;
  switch (outcome.problem) {
    case EntryProblem::None:
      return "";
    case EntryProblem::PastInstallerStop:
      return "not reached: the installer's walk ends at an earlier block of type 0x77";
    case EntryProblem::FromPreviousVolume:
      return "continued from the previous volume";
    case EntryProblem::IntoNextVolume:
      return "continues in the next volume";
    case EntryProblem::SameNameEarlier:
      return "cannot be fetched by name: the earlier entry " + Quoted(walk.entries[other]) +
             " has the same name, and a request returns that one";
    case EntryProblem::DataTruncated:
      return "data truncated";
    case EntryProblem::UnsupportedVersion:
      return "unsupported version " + std::to_string(e.unpackVersion);
    case EntryProblem::EarlierUnsupported:
      return "not decoded: the earlier solid entry " + Quoted(walk.entries[other]) +
             " needs unsupported version " + std::to_string(walk.entries[other].unpackVersion);
    case EntryProblem::PasswordNeeded:
      return "encrypted, password needed";
    case EntryProblem::AfterDamagedEarlier:
      return "CRC mismatch after the damaged earlier solid entry " + Quoted(walk.entries[other]);
    case EntryProblem::WrongPasswordOrDamaged:
      return "CRC mismatch (wrong password or damaged data)";
    case EntryProblem::OlderMethod:
      return "CRC mismatch (compressed for unpack version " + std::to_string(e.unpackVersion) +
             ", an older method than the RAR 2.0 one the installer decodes)";
    case EntryProblem::CrcMismatch:
      return "CRC mismatch";
    case EntryProblem::OutOfMemory:
      return "out of memory for its " + Count(e.unpackedSize, "byte");
    case EntryProblem::ArchiveCutShort:
      return "not read: the archive file was cut short while it was read";
    case EntryProblem::NotReached:
      return std::string("not reached by the installer's walk: ") +
             ArchiveResultText(outcome.result);
  }
  return "";
}

bool FetchEntry(EntryFetcher* f, size_t index, const EntryPieces& onPiece, FetchOutcome* outcome) {
  const WalkedEntry& e = f->walk->entries[index];
  // A compressed entry without the solid bit starts the decoder afresh.
  if (e.method != MethodStored && !(e.flags & EntryFlagSolid)) f->damagedInRun = SIZE_MAX;
  *outcome = BlockedOutcome(f, index);
  if (outcome->failed()) return false;
  const std::string requested = RequestName(e);
  // Each piece also lets the mapped pages behind the read position go, so
  // that a large entry does not stay in memory as it is read.
  LoadedArchive* archive = f->archive;
  EntryPieces onEach = [&](const uint8_t* bytes, uint32_t count) {
    archive->ReleaseBefore(archive->image.offset);
    onPiece(bytes, count);
  };
  const ArchiveResult result = ReaderStreamEntry(f->reader, requested.c_str(), &archive->image,
                                                 f->password, PassPieceOn, &onEach);
  if (result == ArchiveResult::Ok) return true;
  // What was read past a cut is zeros: not the entry's fault.
  if (ArchiveCutShort()) {
    *outcome = {EntryProblem::ArchiveCutShort};
    return false;
  }
  *outcome = RequestFailure(*f, index, result);
  if (result == ArchiveResult::OutOfMemory) {
    // Not the entry's fault: it was not judged at all.
    f->damagedInRun = SIZE_MAX;
    return false;
  }
  if (e.method != MethodStored && f->damagedInRun == SIZE_MAX) f->damagedInRun = index;
  return false;
}
