// A wrong password told once. RAR 2.x keeps no check value of a password,
// so the first encrypted file entry stands for it: when that entry fails as
// a wrong password (or damage) makes it fail, every encrypted entry would
// fail alike, and test and extract stop with one line instead of a CRC line
// per entry.
#pragma once

#include <cstddef>
#include <string>

#include "header_walk.h"

struct LoadedArchive;

// The first encrypted file entry in archive order; SIZE_MAX when none.
size_t FirstEncryptedFile(const ArchiveWalk& walk);

// Whether the first encrypted file entry fails with password as a wrong
// password would. Decodes it to nothing, after the compressed entries
// before it in a solid archive, so that damage before it is told apart as
// the commands tell it; writes nothing and keeps no state for them.
bool PasswordRefused(LoadedArchive* archive, const ArchiveWalk& walk, const char* password);

// The command's one line: the password is wrong, or that first entry is
// damaged, and how many encrypted entries were therefore not `done`.
std::string WrongPasswordLine(const std::string& path, const ArchiveWalk& walk,
                              const std::string& done);
