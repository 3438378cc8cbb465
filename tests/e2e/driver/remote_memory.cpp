#include "remote_memory.h"

#include "check.h"

RemoteMemory::RemoteMemory(HANDLE process, size_t size)
    : process_(process),
      address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {
  if (address_ == nullptr) Fail(__FILE__, __LINE__, "cannot reserve memory in the Setup process");
}

RemoteMemory::~RemoteMemory() {
  VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

void RemoteMemory::Write(size_t offset, const void* data, size_t size) {
  SIZE_T done = 0;
  if (!WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, &done) ||
      done != size) {
    Fail(__FILE__, __LINE__, "cannot write into the Setup process");
  }
}

void RemoteMemory::Read(size_t offset, void* data, size_t size) const {
  SIZE_T done = 0;
  if (!ReadProcessMemory(process_, static_cast<const char*>(address_) + offset, data, size,
                         &done) ||
      done != size) {
    Fail(__FILE__, __LINE__, "cannot read from the Setup process");
  }
}
