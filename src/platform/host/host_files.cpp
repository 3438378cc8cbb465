// Folders and files of the host stand-in: real ones in the sandbox, each a
// change of the machine that a kill may cut short, on a disk that may fill.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/host/host_machine_model.h"
#include "platform/host/host_system.h"
#include "platform/host/host_uninstall.h"
#include "platform/install_platform.h"

// Here, beside the file operations that journal into it, so that every
// program of the stand-in (the fuzz targets too) finds it.
HostUninstall hostUninstall;

void CreateFolder(const char* path) {
  if (NextChange() != Change::Made) return;
  mkdir(HostPath(path).c_str(), 0777);
}

void CreateGuardedFolder(const char* path) {
  if (NextChange() != Change::Made) return;
  if (mkdir(HostPath(path).c_str(), 0777) == 0) hostSystem.guardedFolders.push_back(path);
}

int GetProtectedFolders(char (*folders)[260], int capacity) {
  int count = 0;
  for (const char* folder : {"c:\\Program Files", "c:\\windows"})
    if (count < capacity) std::snprintf(folders[count++], 260, "%s", folder);
  return count;
}

bool CreateFolderIn(const char* place, const char* path, char* link) {
  if (StopsAtLink(place, path, link)) return false;
  if (NextChange() != Change::Made) return false;
  mkdir(HostPath(path).c_str(), 0777);
  return IsFolder(HostPath(path));
}

bool DeleteFileIn(const char* place, const char* path, char* link) {
  if (StopsAtLink(place, path, link)) return false;
  if (NextChange() != Change::Made) return false;
  // DeleteFileA resolves a bare name against the current folder, unlike the
  // profile functions, which look for it in the Windows folder.
  const std::string real = HostPath(path);
  const long long size = FileSize(real);
  if (unlink(real.c_str()) != 0) return false;
  Freed(size);
  return true;
}

bool WriteWholeFile(const char* place, const char* path, const uint8_t* data, uint32_t size,
                    char* link) {
  if (StopsAtLink(place, path, link)) return false;
  const Change change = NextChange();
  if (change == Change::AfterTheEnd) return false;
  if (change == Change::Interrupted) size = 0;  // created, and nothing written yet
  const std::string real = HostPath(path);
  if (IsFolder(real)) return false;
  // A read-only file in the way can't be replaced, as on Windows (root
  // ignores permission bits, so look at them ourselves).
  struct stat st;
  if (stat(real.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0) return false;
  const bool whole =
      WriteAsFarAsItFits(real, std::string(reinterpret_cast<const char*>(data), size));
  return whole && change == Change::Made;
}

bool PutFileInPlace(const char* place, const char* from, const char* to, char* link) {
  if (StopsAtLink(place, from, link) || StopsAtLink(place, to, link)) return false;
  // A rename: killed while it is made, it has happened or it has not.
  if (NextChange() != Change::Made) return false;
  const std::string real = HostPath(to);
  const long long replaced = FileSize(real);
  if (std::rename(HostPath(from).c_str(), real.c_str()) != 0) return false;
  Freed(replaced);
  hostUninstall.journal.push_back(std::string("replace ") + from + " -> " + to);
  return true;
}

struct HeldFileObject {};

HeldFile HoldFile(const char* place, const char* path, char* link) {
  static HeldFileObject held;
  if (StopsAtLink(place, path, link)) return nullptr;
  struct stat st;
  return lstat(HostPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode) ? &held : nullptr;
}

void ReleaseFile(HeldFile) {}
