// A demo DirectShow filter DLL: DllRegisterServer writes the COM class keys
// of the filter under HKEY_CLASSES_ROOT\CLSID, and DllUnregisterServer
// removes them, so that a registration by regsvr32 can be seen.
#include <windows.h>

#include <cstdio>

#ifndef FILTER_CLSID
#error FILTER_CLSID must give the class id in braces
#endif
#ifndef FILTER_NAME
#error FILTER_NAME must name the filter
#endif

namespace {

HMODULE thisModule;
const char ClassKey[] = "CLSID\\" FILTER_CLSID;
const char ServerKey[] = "CLSID\\" FILTER_CLSID "\\InprocServer32";

bool SetValue(const char* keyPath, const char* name, const char* value) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const LONG r = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                DWORD(lstrlenA(value) + 1));
  RegCloseKey(key);
  return r == ERROR_SUCCESS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) thisModule = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
  char path[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(thisModule, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return E_FAIL;
  path[n] = '\0';
  if (!SetValue(ClassKey, nullptr, FILTER_NAME) || !SetValue(ServerKey, nullptr, path) ||
      !SetValue(ServerKey, "ThreadingModel", "Both"))
    return E_FAIL;
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
  RegDeleteKeyA(HKEY_CLASSES_ROOT, ServerKey);
  const LONG r = RegDeleteKeyA(HKEY_CLASSES_ROOT, ClassKey);
  return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND ? S_OK : E_FAIL;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllCanUnloadNow() {
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT
    __stdcall DllGetClassObject(REFCLSID, REFIID, LPVOID* object) {
  if (object != nullptr) *object = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}
