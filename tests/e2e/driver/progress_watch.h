// Follows Setup's progress bar through a hook on its thread: the range, the
// positions set, and the moments of the first and last; and holds Setup at a
// chosen position so that the driver can act between two entries.
#pragma once

#include <windows.h>

#include "../progress_record.h"
#include "setup_session.h"

class ProgressWatch {
 public:
  // holdAt: the position at which Setup waits for Release (0: never).
  ProgressWatch(SetupSession& session, const DriverSettings& settings, LONG holdAt = 0);
  ~ProgressWatch();
  ProgressWatch(const ProgressWatch&) = delete;
  ProgressWatch& operator=(const ProgressWatch&) = delete;

  ProgressRecord Read() const { return *record_; }
  void WaitHeld();
  void Release();

 private:
  HANDLE mapping_ = nullptr;
  ProgressRecord* record_ = nullptr;
  HANDLE held_ = nullptr;
  HANDLE release_ = nullptr;
  HMODULE module_ = nullptr;
  HHOOK hook_ = nullptr;
};
