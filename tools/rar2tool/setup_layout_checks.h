// What Setup would fail on, or the installed product would miss, in an
// archive of the setup layout: the files the installation relies on (the
// wizard's own tables name the plug-ins), paths too long below the longest
// destination the wizard accepts, names the installation cannot create, and
// entries in the way of the folders it needs or of the files it writes
// itself; and names outside ASCII, which only a Windows of code page 1251
// creates as named. pack checks the tree it is given; test checks a Setup.exe, an
// archive of the layout's shape, and any archive it is told is one.
#pragma once

#include <string>
#include <vector>

#include "archive_writer.h"
#include "header_walk.h"

struct LayoutEntry {
  std::string name;        // as the installer reads it: code page 1251, up to a NUL byte
  bool directory = false;  // as Setup takes it: by the folder attribute alone
  // A file of another system whose mode has the folder attribute's bit set
  // (group write on Unix): Setup would make an empty folder of it.
  bool fileTakenForFolder = false;
  // Refused already for a name that code page 1251 cannot hold (pack only).
  bool nameRefused = false;
};

struct LayoutCheck {
  // The entries are all there is (not the part of an archive read before
  // damage): only then is a missing file missing.
  bool complete = true;
  // The names were judged by Windows' rules already (pack, as it read the
  // tree): a name those rules refuse is not reported a second time.
  bool namesJudged = false;
};

// One line per problem, in a fixed order: missing files first, then the
// entries' own problems in archive order. Empty for a sound product.
std::vector<std::string> SetupLayoutProblems(const std::vector<LayoutEntry>& entries,
                                             const LayoutCheck& check);

// One line per entry whose name holds a byte of 0x80 or above, in archive
// order: Setup creates its files through the ANSI functions, so such a name
// comes out as named only where the system's code page is 1251.
std::vector<std::string> NonAsciiNameProblems(const std::vector<LayoutEntry>& entries);

// True for the shape pack --setup-layout writes: a solid archive without an
// end block whose every entry, folders included, has method 0x35.
bool HasSetupLayoutShape(const ArchiveWalk& walk);

// The hooks of test and pack: each problem on a line of its own, after
// "path: "; true when there was one. With allowNonAscii the names outside
// ASCII are told as warnings ("warning: path: ..."), which fail nothing.
bool ReportSetupLayoutProblems(const std::string& path, const ArchiveWalk& walk,
                               bool allowNonAscii);
bool ReportSetupLayoutProblems(const std::string& path, const std::vector<packer::PackItem>& items,
                               bool treeReadWhole, bool allowNonAscii);
