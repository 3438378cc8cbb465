#include "progress_watch.h"

#include <string>

#include "check.h"

ProgressWatch::ProgressWatch(SetupSession& session, const DriverSettings& settings, LONG holdAt) {
  DWORD processId = GetProcessId(session.Process());
  std::wstring suffix = std::to_wstring(processId);
  mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                sizeof(ProgressRecord), (ProgressMemoryPrefix + suffix).c_str());
  held_ = CreateEventW(nullptr, TRUE, FALSE, (ProgressHeldPrefix + suffix).c_str());
  release_ = CreateEventW(nullptr, TRUE, FALSE, (ProgressReleasePrefix + suffix).c_str());
  if (mapping_ != nullptr) {
    record_ = static_cast<ProgressRecord*>(
        MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProgressRecord)));
  }
  module_ = LoadLibraryW((settings.programDir + L"\\e2e_progress.dll").c_str());
  if (record_ == nullptr || held_ == nullptr || release_ == nullptr || module_ == nullptr) {
    Fail(__FILE__, __LINE__, "cannot prepare the progress watch");
  }
  ZeroMemory(record_, sizeof *record_);
  record_->holdAt = holdAt;
  auto proc = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void*>(GetProcAddress(module_, "ProgressHookProc")));
  hook_ = proc != nullptr ? SetWindowsHookExW(WH_CALLWNDPROC, proc, module_, session.ThreadId())
                          : nullptr;
  if (hook_ == nullptr) Fail(__FILE__, __LINE__, "cannot hook Setup's thread");
}

ProgressWatch::~ProgressWatch() {
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  if (release_ != nullptr) SetEvent(release_);
  if (module_ != nullptr) FreeLibrary(module_);
  if (record_ != nullptr) UnmapViewOfFile(record_);
  for (HANDLE handle : {mapping_, held_, release_}) {
    if (handle != nullptr) CloseHandle(handle);
  }
}

void ProgressWatch::WaitHeld() {
  if (WaitForSingleObject(held_, 60000) != WAIT_OBJECT_0) {
    Fail(__FILE__, __LINE__,
         "the progress bar never reached position " + std::to_string(record_->holdAt));
  }
}

void ProgressWatch::Release() {
  SetEvent(release_);
}
