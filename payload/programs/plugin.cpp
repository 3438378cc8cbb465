// A demo viewer plug-in (a module or a receiver device): a DLL that tells
// the viewer its name and kind.
#include <windows.h>

#ifndef PLUGIN_NAME
#error PLUGIN_NAME must name the plug-in
#endif
#ifndef PLUGIN_KIND
#error PLUGIN_KIND must be "module" or "device"
#endif

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  return TRUE;
}

extern "C" __declspec(dllexport) const char* __stdcall PluginName() {
  return PLUGIN_NAME;
}
extern "C" __declspec(dllexport) const char* __stdcall PluginKind() {
  return PLUGIN_KIND;
}
