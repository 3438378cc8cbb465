#include "install/install_failure.h"

#include <cstring>

#include "answers/install_choices.h"
#include "platform/platform.h"
#include "shared/resource_ids.h"

namespace {

InstallFailure failure;

uint8_t Fail(FailureKind kind, const char* path) {
  if (failure.kind == FailureKind::None) {
    failure.kind = kind;
    CopyText(failure.path, path, sizeof failure.path);
  }
  return 1;
}

}  // namespace

uint8_t FailExtract() {
  return Fail(FailureKind::Extract, "");
}

uint8_t FailWrite(const char* path) {
  return Fail(FailureKind::Write, path);
}

uint8_t FailDamaged() {
  return Fail(FailureKind::DamagedInstaller, "");
}

const InstallFailure& RunFailure() {
  return failure;
}

void ForgetRunFailure() {
  failure = InstallFailure{};
}

void FailureMessage(const InstallFailure& f, uint8_t language, char* out, size_t capacity) {
  const bool russian = language == Russian;
  int id = 0;
  switch (f.kind) {
    case FailureKind::None:
      out[0] = '\0';
      return;
    case FailureKind::Extract:
      id = russian ? STRING_EXTRACT_ERROR_RU : STRING_EXTRACT_ERROR_EN;
      break;
    case FailureKind::Write:
      id = russian ? STRING_CREATE_ERROR_RU : STRING_CREATE_ERROR_EN;
      break;
    case FailureKind::DamagedInstaller:
      id = russian ? STRING_DAMAGED_INSTALLER_RU : STRING_DAMAGED_INSTALLER_EN;
      break;
  }
  LoadResourceString(id, out, int(capacity));
  if (f.kind != FailureKind::Write) return;
  // The path on a line of its own, between double quotes, cut to the room.
  const size_t used = std::strlen(out);
  if (used + 4 > capacity) return;
  size_t n = std::strlen(f.path);
  if (n > capacity - used - 4) n = capacity - used - 4;
  out[used] = '\n';
  out[used + 1] = '"';
  std::memcpy(out + used + 2, f.path, n);
  out[used + 2 + n] = '"';
  out[used + 3 + n] = '\0';
}
