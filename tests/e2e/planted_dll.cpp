// Stands in for a DLL that someone planted beside a program, as in a
// Downloads folder, under the name of a system DLL: whatever process loads
// it leaves a marker file beside it, loaded-DLL-by-PROGRAM.txt, naming the
// program. Setup must never be one of them.
#include <windows.h>

namespace {

const wchar_t* BaseName(const wchar_t* path) {
  const wchar_t* slash = wcsrchr(path, L'\\');
  return slash != nullptr ? slash + 1 : path;
}

void LeaveMarker(HINSTANCE instance) {
  wchar_t self[MAX_PATH] = L"";
  wchar_t program[MAX_PATH] = L"";
  DWORD selfLength = GetModuleFileNameW(instance, self, MAX_PATH);
  DWORD programLength = GetModuleFileNameW(nullptr, program, MAX_PATH);
  if (selfLength == 0 || selfLength >= MAX_PATH || programLength == 0 ||
      programLength >= MAX_PATH) {
    return;
  }
  wchar_t marker[2 * MAX_PATH] = L"";
  const wchar_t* dll = BaseName(self);
  lstrcpynW(marker, self, int(dll - self) + 1);  // the folder, with its backslash
  lstrcatW(marker, L"loaded-");
  lstrcatW(marker, dll);
  lstrcatW(marker, L"-by-");
  lstrcatW(marker, BaseName(program));
  lstrcatW(marker, L".txt");
  HANDLE file =
      CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, program, programLength * sizeof(wchar_t), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) LeaveMarker(instance);
  return TRUE;
}
