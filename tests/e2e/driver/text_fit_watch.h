// Whether every text of Setup's window fits its control: measured inside
// Setup by the text-fit hook, with each control's own font at the DPI Setup
// runs at, and held to the control's room here.
#pragma once

#include <windows.h>

#include <string>

#include "../text_fit_record.h"

class TextFitWatch {
 public:
  // Makes the shared record, so that the hold hook can measure too.
  explicit TextFitWatch(DWORD processId);
  ~TextFitWatch();
  TextFitWatch(const TextFitWatch&) = delete;
  TextFitWatch& operator=(const TextFitWatch&) = delete;

  // Fails, naming every cut text with the room it needs and has, unless all
  // texts of window fit. Held: Setup waits in the hold hook and cannot
  // answer; the measure it took as it began to wait is judged instead.
  void Check(HWND window, DWORD threadId, bool held, const std::string& what);

 private:
  HANDLE mapping_ = nullptr;
  TextFitRecord* record_ = nullptr;
  HMODULE module_ = nullptr;
  HHOOK hook_ = nullptr;
  LONG judged_ = 0;  // measurements already judged
};
