// A block of memory inside the Setup process, for the control messages whose
// structures Windows does not carry across processes (list view, tree view).
#pragma once

#include <windows.h>

#include <cstddef>

class RemoteMemory {
 public:
  RemoteMemory(HANDLE process, size_t size);
  ~RemoteMemory();
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  void* Address() const { return address_; }
  void Write(size_t offset, const void* data, size_t size);
  void Read(size_t offset, void* data, size_t size) const;

 private:
  HANDLE process_;
  void* address_;
};
