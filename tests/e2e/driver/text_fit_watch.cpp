#include "text_fit_watch.h"

#include <cstdio>

#include "check.h"
#include "setup_session.h"

TextFitWatch::TextFitWatch(DWORD processId) {
  std::wstring name = TextFitMemoryPrefix + std::to_wstring(processId);
  mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                sizeof(TextFitRecord), name.c_str());
  if (mapping_ != nullptr) {
    record_ = static_cast<TextFitRecord*>(
        MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(TextFitRecord)));
  }
}

TextFitWatch::~TextFitWatch() {
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  if (module_ != nullptr) FreeLibrary(module_);
  if (record_ != nullptr) UnmapViewOfFile(record_);
  if (mapping_ != nullptr) CloseHandle(mapping_);
}

void TextFitWatch::Check(HWND window, DWORD threadId, bool held, const std::string& what) {
  if (record_ == nullptr) Fail(__FILE__, __LINE__, "cannot share memory with the text-fit hook");
  if (!held) {
    if (hook_ == nullptr) {
      // The hook lies beside the driver (Setup may be run from elsewhere).
      wchar_t hook[MAX_PATH] = L"";
      GetModuleFileNameW(nullptr, hook, MAX_PATH);
      wchar_t* slash = wcsrchr(hook, L'\\');
      if (slash != nullptr) lstrcpynW(slash + 1, L"e2e_hold.dll", int(hook + MAX_PATH - slash - 1));
      module_ = LoadLibraryW(hook);
      auto proc = module_ == nullptr ? nullptr
                                     : reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                           GetProcAddress(module_, "TextFitHookProc")));
      hook_ =
          proc != nullptr ? SetWindowsHookExW(WH_CALLWNDPROCRET, proc, module_, threadId) : nullptr;
      if (hook_ == nullptr) Fail(__FILE__, __LINE__, "cannot hook Setup's thread to measure");
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, RegisterWindowMessageW(TextFitMessageName), 0, 0, SMTO_NORMAL,
                             10000, &result)) {
      Fail(__FILE__, __LINE__, "Setup does not answer the request to measure its texts");
    }
  }
  if (!WaitUntil([&] { return record_->measurements > judged_; }, 5000)) {
    Fail(__FILE__, __LINE__, what + ": the texts were not measured");
  }
  judged_ = record_->measurements;
  // The driver reads Setup's windows in pixels and pictures them: it must be
  // DPI-aware as Setup is and see the DPI that Setup sees, or Windows hands
  // it positions and sizes scaled to 96 DPI.
  HDC screen = GetDC(nullptr);
  const LONG ownDpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const LONG ownAware = IsProcessDPIAware() ? 1 : 0;
  if (ownDpi != record_->dpi || ownAware != record_->dpiAware) {
    Fail(__FILE__, __LINE__,
         what + ": Setup sees " + std::to_string(record_->dpi) + " DPI" +
             (record_->dpiAware ? " DPI-aware" : " unaware") + ", the driver " +
             std::to_string(ownDpi) + " DPI" + (ownAware ? " DPI-aware" : " unaware"));
  }
  const LONG count = record_->count;
  std::string cut;
  for (LONG i = 0; i < count && i < TextFitMaxControls; i++) {
    const TextFitControl& c = record_->controls[i];
    if (c.neededWidth <= c.roomWidth && c.neededHeight <= c.roomHeight) continue;
    wchar_t text[TextFitTextChars] = L"";
    lstrcpynW(text, c.text, TextFitTextChars);
    cut += " \"" + Narrow(text) + "\" (control " + std::to_string(c.id) + ") needs " +
           std::to_string(c.neededWidth) + "x" + std::to_string(c.neededHeight) + " px, has " +
           std::to_string(c.roomWidth) + "x" + std::to_string(c.roomHeight) + ";";
  }
  if (!cut.empty()) {
    Fail(__FILE__, __LINE__,
         what + " at " + std::to_string(record_->dpi) + " DPI: text cut in" + cut);
  }
  // A page with no text measured would mean that the measure looked at nothing.
  if (count == 0) Fail(__FILE__, __LINE__, what + ": no text was measured");
  std::printf("  %s: %ld texts fit their controls at %ld DPI (%s)\n", what.c_str(), long(count),
              long(record_->dpi), record_->dpiAware ? "DPI-aware" : "unaware");
}
