#include <cstdio>

#include "archive_file.h"
#include "commands.h"

int Fail(const std::string& message) {
  std::fprintf(stderr, "rar2tool: %s\n", message.c_str());
  return 1;
}

bool OpenForCommand(const std::string& path, LoadedArchive* archive, ArchiveWalk* walk) {
  std::string error;
  if (!LoadArchiveFile(path, archive, &error)) {
    Fail(error);
    return false;
  }
  if (!WalkArchive(&archive->image, walk)) {
    Fail(path + ": not a RAR archive");
    return false;
  }
  return true;
}
