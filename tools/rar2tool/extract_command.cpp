#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "archive/archive_reader.h"
#include "archive_file.h"
#include "commands.h"
#include "entry_path.h"
#include "failure_reason.h"
#include "options.h"

namespace {

// Creates every folder of path (relative to base); false with errno set.
bool MakeFolders(const std::string& base, const std::string& relative) {
  std::string path = base;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t slash = relative.find('/', start);
    if (slash == std::string::npos) slash = relative.size();
    path += '/' + relative.substr(start, slash - start);
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return false;
    start = slash + 1;
  }
  return true;
}

std::string ParentOf(const std::string& relative) {
  const size_t slash = relative.rfind('/');
  return slash == std::string::npos ? std::string() : relative.substr(0, slash);
}

bool WriteWholeFile(const std::string& path, const uint8_t* data, uint32_t size,
                    std::string* error) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    *error = std::strerror(errno);
    return false;
  }
  const bool wrote = size == 0 || std::fwrite(data, 1, size, f) == size;
  const int writeErrno = errno;
  if (std::fclose(f) != 0 || !wrote) {
    *error = std::strerror(wrote ? errno : writeErrno);
    return false;
  }
  return true;
}

}  // namespace

int ExtractCommand(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  PasswordOption option;
  std::string error;
  if (!TakePasswordOption(&args, &option, &error)) return Fail(error);
  if (args.size() != 2) return Fail("usage: rar2tool extract [-p PASSWORD] ARCHIVE DIR");
  LoadedArchive archive;
  ArchiveWalk walk;
  if (!OpenForCommand(args[0], &archive, &walk)) return 1;
  const std::string& dir = args[1];
  if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
    return Fail(dir + ": " + std::strerror(errno));

  int failed = 0;
  for (size_t i = 0; i < walk.entries.size(); i++) {
    const EntryHeader& e = walk.entries[i].header;
    std::string relative, reason;
    if (!EntryRelativePath(e.name, &relative, &reason)) {
      Fail(std::string(e.name) + ": refused, " + reason);
      failed++;
      continue;
    }
    if (IsDirectoryEntry(e.hostSystem, e.attributes)) {
      if (!MakeFolders(dir, relative)) {
        Fail(dir + "/" + relative + ": " + std::strerror(errno));
        failed++;
      }
      continue;
    }
    const std::string parent = ParentOf(relative);
    if (!parent.empty() && !MakeFolders(dir, parent)) {
      Fail(dir + "/" + parent + ": " + std::strerror(errno));
      failed++;
      continue;
    }
    uint8_t* data = nullptr;
    uint32_t size = 0;
    const char* password = option.given ? option.password.c_str() : nullptr;
    if (!ArchiveGetEntry(&data, &size, e.name, &archive.image, password)) {
      Fail(std::string(e.name) + ": " + FailureReason(walk, i, option.given));
      failed++;
      continue;
    }
    if (!WriteWholeFile(dir + "/" + relative, data, size, &error)) {
      Fail(dir + "/" + relative + ": " + error);
      failed++;
    } else {
      std::printf("%s\n", relative.c_str());
    }
    std::free(data);
  }
  // The window kept for solid requests goes with the archive.
  ArchiveReleaseSolidState();
  if (walk.truncated) return Fail(args[0] + ": truncated archive (data runs past the end)");
  if (walk.damaged) return Fail(args[0] + ": damaged block header");
  return failed == 0 ? 0 : 1;
}
