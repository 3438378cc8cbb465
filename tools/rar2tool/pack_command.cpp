// rar2tool pack: makes a RAR 2.x archive from files and folders. The archive
// is written to a temporary file beside ARCHIVE and renamed over it only when
// complete, so a failure never leaves a partial archive under its name.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "archive_writer.h"
#include "commands.h"
#include "input_tree.h"

namespace {

const char PackUsage[] =
    "usage: rar2tool pack [-m0..-m5] [-s] [-mm|-mm-] [-p PASSWORD] [--setup-layout] ARCHIVE "
    "PATH...";

bool ParsePackArguments(const std::vector<std::string>& args, packer::ArchiveSettings* settings,
                        std::string* archive, std::vector<std::string>* paths, std::string* error) {
  size_t i = 0;
  bool levelGiven = false;
  for (; i < args.size(); i++) {
    const std::string& a = args[i];
    if (a == "--") {
      i++;
      break;
    }
    if (a.empty() || a[0] != '-' || a == "-") break;
    if (a.size() == 3 && a[1] == 'm' && a[2] >= '0' && a[2] <= '5') {
      settings->level = a[2] - '0';
      levelGiven = true;
    } else if (a == "-s") {
      settings->solid = true;
    } else if (a == "-mm") {
      settings->audio = packer::AudioChoice::Always;
    } else if (a == "-mm-") {
      settings->audio = packer::AudioChoice::Never;
    } else if (a == "-p") {
      if (i + 1 >= args.size()) {
        *error = "-p needs a password";
        return false;
      }
      settings->password = args[++i];
      if (settings->password.empty()) {
        *error = "-p needs a non-empty password";
        return false;
      }
    } else if (a.size() > 2 && a.compare(0, 2, "-p") == 0) {
      settings->password = a.substr(2);
    } else if (a == "--setup-layout") {
      settings->setupLayout = true;
    } else {
      *error = "unknown option '" + a + "' (" + PackUsage + ")";
      return false;
    }
  }
  if (settings->setupLayout && !levelGiven) settings->level = 5;
  if (args.size() - i < 2) {
    *error = PackUsage;
    return false;
  }
  *archive = args[i];
  paths->assign(args.begin() + long(i) + 1, args.end());
  return true;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes bytes to a new temporary file in ARCHIVE's folder and renames it
// over ARCHIVE; on any failure removes the temporary file.
bool WriteAtomically(const std::string& archive, const std::vector<uint8_t>& bytes,
                     std::string* error) {
  struct stat st;
  if (stat(archive.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    *error = archive + ": is a folder";
    return false;
  }
  std::string temp = FolderOf(archive) + "/.rar2tool-XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    *error =
        archive + ": cannot create a file in " + FolderOf(archive) + ": " + std::strerror(errno);
    return false;
  }
  temp = name.data();
  const mode_t mask = umask(0);
  umask(mask);
  bool ok = fchmod(fd, 0666 & ~mask) == 0;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    done += size_t(n);
  }
  int savedErrno = errno;
  if (ok && fsync(fd) != 0) {
    ok = false;
    savedErrno = errno;
  }
  if (close(fd) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (ok && rename(temp.c_str(), archive.c_str()) != 0) {
    ok = false;
    savedErrno = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    *error = archive + ": " + std::strerror(savedErrno);
  }
  return ok;
}

}  // namespace

int PackCommand(const std::vector<std::string>& args) {
  packer::ArchiveSettings settings;
  std::string archive, error;
  std::vector<std::string> paths;
  if (!ParsePackArguments(args, &settings, &archive, &paths, &error)) return Fail(error);
  std::vector<packer::PackItem> items;
  if (!packer::CollectInputs(paths, archive, &items, &error)) return Fail(error);
  std::vector<uint8_t> bytes;
  packer::PackSummary summary;
  if (!packer::BuildArchive(items, settings, &bytes, &error, &summary)) return Fail(error);
  if (!WriteAtomically(archive, bytes, &error)) return Fail(error);
  std::printf("%u files, %u folders, %llu bytes packed into %llu (archive %zu bytes)\n",
              summary.files, summary.folders,
              static_cast<unsigned long long>(summary.unpackedBytes),
              static_cast<unsigned long long>(summary.packedBytes), bytes.size());
  return 0;
}
