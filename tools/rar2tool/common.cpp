#include <cerrno>
#include <cstdio>
#include <cstring>

#include "archive_file.h"
#include "commands.h"
#include "entry_names.h"
#include "header_walk.h"

int Fail(const std::string& message) {
  // One line whatever the message holds: names come from archives and trees.
  std::fprintf(stderr, "rar2tool: %s\n", PrintableText(message).c_str());
  return ExitFailed;
}

namespace {
int outputErrno = 0;  // the first failed write's cause
}

void FlushOutput() {
  if (std::fflush(stdout) != 0 && outputErrno == 0) outputErrno = errno;
}

int FinishOutput(int status) {
  FlushOutput();
  if (!std::ferror(stdout)) return status;
  const int cause = outputErrno != 0 ? outputErrno : EIO;
  return Fail(std::string("standard output: cannot write: ") + std::strerror(cause));
}

bool OpenForCommand(const std::string& path, LoadedArchive* archive, ArchiveWalk* walk) {
  std::string error;
  if (!LoadArchiveFile(path, archive, &error)) {
    Fail(error);
    return false;
  }
  const bool walked = WalkArchive(archive->image, walk);
  if (ArchiveCutShort()) {
    ReportCutShort(path);
    return false;
  }
  if (!walked) {
    Fail(path + ": not a RAR archive");
    return false;
  }
  // The walk read only headers; the pages it touched are read again when
  // needed.
  archive->ReleaseAll();
  // Setup.exe's archive has no end block by design; its size is the
  // resource's, so a cut shows as a short entry instead.
  if (archive->embedded && walk->end == WalkEnd::MissingEndBlock) walk->end = WalkEnd::Complete;
  return true;
}

int ReportCutShort(const std::string& path) {
  return Fail(path + ": the file was cut short while it was read (changed by another program?)");
}

bool ReportWalkProblem(const std::string& path, const ArchiveWalk& walk) {
  if (!WalkFailed(walk)) return false;
  Fail(path + ": " + walk.problem);
  return true;
}
