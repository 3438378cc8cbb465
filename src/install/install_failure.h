// What stopped an installation run: the run notes its failure (the first
// one counts) and stops; whoever ran it shows it once, in one place: the
// wizard in a message box, an unattended run in its log and exit code.
#pragma once

#include <cstddef>
#include <cstdint>

#include "shared/text_buffers.h"

enum class FailureKind : uint8_t {
  None,
  Extract,           // an entry could not be unpacked, or its name would leave the destination
  Write,             // a file or folder could not be made or written (path)
  DamagedInstaller,  // the installer is damaged and must be obtained again
};

struct InstallFailure {
  FailureKind kind = FailureKind::None;
  char path[PathBufferSize + 16] = "";
};

// Each notes the failure unless one is noted already, and returns 1 (the
// installation's "stop").
uint8_t FailExtract();
uint8_t FailWrite(const char* path);
uint8_t FailDamaged();

// The failure noted since the run began (kind None: none).
const InstallFailure& RunFailure();
void ForgetRunFailure();

// The failure's message in the language (English or Russian, code page
// 1251): its text, and for a write error the path on a line of its own
// between double quotes.
void FailureMessage(const InstallFailure& failure, uint8_t language, char* out, size_t capacity);
