// What the progress hook notes inside Setup, in memory shared with the
// driver under a name that carries Setup's process id.
#pragma once

#include <windows.h>

constexpr wchar_t ProgressMemoryPrefix[] = L"OrbivueE2E.Progress.";
constexpr wchar_t ProgressHeldPrefix[] = L"OrbivueE2E.ProgressHeld.";
constexpr wchar_t ProgressReleasePrefix[] = L"OrbivueE2E.ProgressRelease.";

// Positions below this have the moment they were set noted (the products
// of the scenarios and benchmarks stay well below).
constexpr LONG ProgressTicks = 65538;

struct ProgressRecord {
  LONG rangeMin;
  LONG rangeMax;
  LONG positions;     // how many positions were set
  LONG lastPosition;  // the last one (0 before the first)
  LONG outOfOrder;    // positions that were not after the one before
  LONG holdAt;  // set by the driver: hold Setup once this position or a later one is set (0: never)
  DWORD rangeTick;              // GetTickCount when the range was set
  DWORD lastTick;               // and when the last position was
  DWORD tickAt[ProgressTicks];  // GetTickCount when each position was set
};
