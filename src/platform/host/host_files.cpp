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

// The stand-in's acts hold nothing between them.
void ReleaseHeldFolders() {}

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

struct FileBeingWrittenObject {
  std::string real;
  FILE* file;
  long long written;
  bool whole;
};

FileBeingWritten StartFile(const char* place, const char* path, char* link) {
  if (StopsAtLink(place, path, link)) return nullptr;
  const Change change = NextChange();
  if (change == Change::AfterTheEnd) return nullptr;
  const std::string real = HostPath(path);
  if (IsFolder(real)) return nullptr;
  // A read-only file in the way can't be replaced, as on Windows (root
  // ignores permission bits, so look at them ourselves).
  struct stat st;
  if (stat(real.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0) return nullptr;
  const long long replaced = FileSize(real);
  FILE* file = std::fopen(real.c_str(), "wb");
  if (file == nullptr) return nullptr;
  Freed(replaced);
  // Killed while it is made: created, and nothing written yet.
  return new FileBeingWrittenObject{real, file, 0, change == Change::Made};
}

bool WritePiece(FileBeingWritten f, const uint8_t* data, uint32_t size) {
  if (!f->whole) return false;
  const size_t n = TakeRoom(size);
  f->whole = n == size && (n == 0 || std::fwrite(data, 1, n, f->file) == n);
  f->written += static_cast<long long>(n);
  return f->whole;
}

bool EndFile(FileBeingWritten f, FileEnd end) {
  const bool keep = end != FileEnd::Delete;
  bool ok = std::fclose(f->file) == 0 && f->whole && keep;
  // The deletion is a change of its own, which a kill may come before.
  if (!keep && NextChange() == Change::Made && unlink(f->real.c_str()) == 0) Freed(f->written);
  delete f;
  return ok;
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
