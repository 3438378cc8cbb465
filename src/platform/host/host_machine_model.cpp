#include "platform/host/host_machine_model.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/host/host_system.h"

Change NextChange() {
  const int made = hostSystem.changes++;
  if (hostSystem.killAfter < 0 || made < hostSystem.killAfter) return Change::Made;
  return made == hostSystem.killAfter ? Change::Interrupted : Change::AfterTheEnd;
}

bool ProcessEnded() {
  return hostSystem.killAfter >= 0 && hostSystem.changes > hostSystem.killAfter;
}

bool IsFolder(const std::string& real) {
  struct stat st;
  return stat(real.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ParentOf(const std::string& real) {
  const size_t slash = real.rfind('/');
  return slash == std::string::npos ? "." : real.substr(0, slash);
}

long long FileSize(const std::string& real) {
  struct stat st;
  return stat(real.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? static_cast<long long>(st.st_size)
                                                             : 0;
}

namespace {

// How many of size bytes fit in a file written anew over one of oldSize
// bytes; takes them from the disk's free bytes.
size_t RoomFor(long long oldSize, size_t size) {
  if (hostSystem.diskFreeBytes < 0) return size;
  const long long room = hostSystem.diskFreeBytes + oldSize;
  const size_t fits = static_cast<long long>(size) < room ? size : size_t(room > 0 ? room : 0);
  hostSystem.diskFreeBytes = room - static_cast<long long>(fits);
  return fits;
}

}  // namespace

size_t TakeRoom(size_t size) {
  return RoomFor(0, size);
}

void Freed(long long size) {
  if (hostSystem.diskFreeBytes >= 0) hostSystem.diskFreeBytes += size;
}

bool WriteAsFarAsItFits(const std::string& real, const std::string& data) {
  const long long oldSize = FileSize(real);
  FILE* f = std::fopen(real.c_str(), "wb");
  if (f == nullptr) return false;
  const size_t n = RoomFor(oldSize, data.size());
  const bool ok = n == 0 || std::fwrite(data.data(), 1, n, f) == n;
  return std::fclose(f) == 0 && ok && n == data.size();
}

bool StopsAtLink(const char* place, const char* path, char* link) {
  if (link != nullptr) link[0] = '\0';
  if (hostSystem.beforeAct != nullptr) hostSystem.beforeAct(path);
  std::string start = place;
  while (!start.empty() && start.back() == '\\') start.pop_back();
  std::string whole = path;
  while (!whole.empty() && whole.back() == '\\') whole.pop_back();
  // The place itself when path is it: looked at from the folder above.
  size_t from = start.size() < whole.size() ? start.size() + 1 : whole.rfind('\\') + 1;
  for (;;) {
    const size_t end = whole.find('\\', from);
    const std::string part = whole.substr(0, end);
    struct stat st;
    if (lstat(HostPath(part).c_str(), &st) != 0) return false;
    if (S_ISLNK(st.st_mode)) {
      if (link != nullptr && part.size() < 260) std::memcpy(link, part.c_str(), part.size() + 1);
      return true;
    }
    if (end == std::string::npos || end + 1 >= whole.size()) return false;
    from = end + 1;
  }
}
