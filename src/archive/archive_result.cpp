#include "archive/archive_result.h"

const char* ArchiveResultText(ArchiveResult result) {
  switch (result) {
    case ArchiveResult::Ok:
      return "ok";
    case ArchiveResult::NotAnArchive:
      return "not an archive";
    case ArchiveResult::NotFound:
      return "no such entry";
    case ArchiveResult::DamagedHeader:
      return "damaged header";
    case ArchiveResult::CutShort:
      return "data truncated";
    case ArchiveResult::UnsupportedVersion:
      return "unsupported version";
    case ArchiveResult::OlderMethod:
      return "compressed by an older method";
    case ArchiveResult::PasswordNeeded:
      return "encrypted, password needed";
    case ArchiveResult::WrongPasswordOrDamaged:
      return "wrong password or damaged data";
    case ArchiveResult::BadData:
      return "damaged data";
    case ArchiveResult::CrcMismatch:
      return "CRC mismatch";
    case ArchiveResult::OutOfMemory:
      return "out of memory";
  }
  return "unknown result";
}
