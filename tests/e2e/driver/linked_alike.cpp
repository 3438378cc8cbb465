#include "linked_alike.h"

#include <windows.h>

#include <cstring>

#include "check.h"

namespace {

struct LinkTraits {
  WORD machine = 0;
  bool largeAddressAware = false;
};

// The file header of a program's first bytes, as a file or as a loaded image.
bool ReadTraits(const unsigned char* head, size_t size, LinkTraits* traits) {
  IMAGE_DOS_HEADER dos;
  if (size < sizeof dos) return false;
  std::memcpy(&dos, head, sizeof dos);
  if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0 ||
      size - sizeof(DWORD) - sizeof(IMAGE_FILE_HEADER) < size_t(dos.e_lfanew)) {
    return false;
  }
  DWORD signature = 0;
  std::memcpy(&signature, head + dos.e_lfanew, sizeof signature);
  if (signature != IMAGE_NT_SIGNATURE) return false;
  IMAGE_FILE_HEADER file;
  std::memcpy(&file, head + dos.e_lfanew + sizeof signature, sizeof file);
  traits->machine = file.Machine;
  traits->largeAddressAware = (file.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE) != 0;
  return true;
}

std::string Hex(WORD value) {
  char text[8];
  wsprintfA(text, "0x%04x", value);
  return text;
}

}  // namespace

std::string LinkedUnlike(const std::wstring& program) {
  unsigned char head[4096];
  DWORD read = 0;
  HANDLE file = CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "cannot read " + Narrow(program);
  const BOOL readOk = ReadFile(file, head, sizeof head, &read, nullptr);
  CloseHandle(file);
  LinkTraits theirs, ours;
  if (!readOk || !ReadTraits(head, read, &theirs))
    return Narrow(program) + " is no Windows program";
  // A loaded image keeps its headers in its first page.
  ReadTraits(reinterpret_cast<const unsigned char*>(GetModuleHandleW(nullptr)), sizeof head, &ours);
  std::string differences;
  if (ours.machine != theirs.machine) {
    differences +=
        " built for machine " + Hex(ours.machine) + " against " + Hex(theirs.machine) + ";";
  }
  if (ours.largeAddressAware != theirs.largeAddressAware) {
    differences += ours.largeAddressAware ? " large-address-aware where it is not;"
                                          : " not large-address-aware where it is;";
  }
  if (differences.empty()) return std::string();
  wchar_t self[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return Narrow(self) + " is not linked like " + Narrow(program) + ":" + differences;
}
