#include "disk.h"

#include <windows.h>

#include "check.h"

namespace {
const wchar_t MarkerName[] = L"\\viewer-started.txt";
}

void MakeFolders(const std::wstring& folder) {
  for (size_t i = 3; i <= folder.size(); i++) {
    if (i == folder.size() || folder[i] == L'\\')
      CreateDirectoryW(folder.substr(0, i).c_str(), nullptr);
  }
}

bool PathExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void PrepareDestination(const std::wstring& folder) {
  // Not made here: a folder that stands before Setup runs is not Setup's,
  // and stays when the product is removed.
  DeleteFileW((folder + MarkerName).c_str());
}

std::string ViewerStartedWith(const std::wstring& folder, unsigned waitMs) {
  std::wstring marker = folder + MarkerName;
  DWORD start = GetTickCount();
  for (;;) {
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      char text[1024] = "";
      DWORD read = 0;
      ReadFile(file, text, sizeof text - 1, &read, nullptr);
      CloseHandle(file);
      if (read > 0) return std::string(text, read);
    }
    if (GetTickCount() - start > waitMs) return std::string();
    Sleep(50);
  }
}

namespace {
// Wine's own system files: thousands of them, and never the program's business.
bool IsSystemBulk(const std::wstring& path) {
  for (const wchar_t* bulk : {L"\\windows\\system32", L"\\windows\\syswow64", L"\\windows\\winsxs",
                              L"\\windows\\Installer"}) {
    size_t length = wcslen(bulk);
    if (path.size() >= length && _wcsicmp(path.c_str() + path.size() - length, bulk) == 0) {
      return true;
    }
  }
  return false;
}

void Walk(const std::wstring& folder, DiskSnapshot& snapshot) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring path = folder + L"\\" + name;
    bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    snapshot[path] = isFolder ? L"folder"
                              : std::to_wstring(found.nFileSizeLow) + L" " +
                                    std::to_wstring(found.ftLastWriteTime.dwLowDateTime);
    if (isFolder && !IsSystemBulk(path)) Walk(path, snapshot);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}
}  // namespace

DiskSnapshot SnapshotOf(const std::wstring& root) {
  DiskSnapshot snapshot;
  Walk(root, snapshot);
  return snapshot;
}

std::string DifferencesBetween(const DiskSnapshot& before, const DiskSnapshot& after) {
  std::string report;
  for (const auto& [path, state] : after) {
    auto old = before.find(path);
    if (old == before.end())
      report += " new " + Narrow(path) + ";";
    else if (old->second != state)
      report += " changed " + Narrow(path) + ";";
  }
  for (const auto& [path, state] : before) {
    if (after.find(path) == after.end()) report += " gone " + Narrow(path) + ";";
  }
  return report;
}
