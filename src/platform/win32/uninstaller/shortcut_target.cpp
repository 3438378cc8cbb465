// What a shortcut starts, read from its bytes: the file is read through a
// checked handle and the shell's link object loads it from memory, so the
// answer is about the file the uninstaller acts on, not whatever its name
// leads to a moment later.
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <windows.h>

#include <vector>

#include "platform/uninstall_platform.h"
#include "platform/win32/checked_folder.h"

namespace {

// A shortcut is a few kilobytes; anything much larger is no shortcut.
constexpr DWORD MostShortcutBytes = 1 << 20;

bool ReadChecked(const char* place, const char* path, std::vector<BYTE>* bytes) {
  CheckedFolder folder;
  char link[PathCapacity];
  if (!folder.Open(place, path, false, link)) return false;
  LONG status;
  HANDLE file = folder.OpenChecked(folder.Name(), GENERIC_READ, FILE_SHARE_READ, FILE_OPEN,
                                   0x40 /* FILE_NON_DIRECTORY_FILE */, link, &status);
  if (file == nullptr) return false;
  LARGE_INTEGER size;
  bool read =
      GetFileSizeEx(file, &size) != 0 && size.QuadPart > 0 && size.QuadPart <= MostShortcutBytes;
  DWORD got = 0;
  if (read) {
    bytes->resize(size_t(size.QuadPart));
    read = ReadFile(file, bytes->data(), DWORD(bytes->size()), &got, nullptr) != 0 &&
           got == bytes->size();
  }
  CloseHandle(file);
  return read;
}

}  // namespace

bool ReadShortcutTarget(const char* place, const char* path, char* target, int capacity) {
  std::vector<BYTE> bytes;
  if (capacity < 1 || !ReadChecked(place, path, &bytes)) return false;
  static const bool comReady = SUCCEEDED(CoInitialize(nullptr));
  if (!comReady) return false;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (memory == nullptr) return false;
  void* data = GlobalLock(memory);
  if (data != nullptr) CopyMemory(data, bytes.data(), bytes.size());
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (data == nullptr || FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return false;
  }
  bool found = false;
  IShellLinkA* shortcut = nullptr;
  IPersistStream* persist = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&shortcut))) &&
      SUCCEEDED(shortcut->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&persist))) &&
      SUCCEEDED(persist->Load(stream))) {
    target[0] = '\0';
    found = shortcut->GetPath(target, capacity, nullptr, SLGP_RAWPATH) == S_OK && target[0] != '\0';
  }
  if (persist != nullptr) persist->Release();
  if (shortcut != nullptr) shortcut->Release();
  stream->Release();
  return found;
}
