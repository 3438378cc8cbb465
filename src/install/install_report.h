// What the installation tells the program that runs it while it runs, and
// the one thing it asks: how far it has got, and whether the user wants it
// to stop. The wizard's extraction page provides it. Each call of
// setPositions and of moveTo also lets the program's waiting messages
// through, so that the page repaints and the user's Cancel is seen.
#pragma once

struct InstallReport {
  // The run will count from 0 up to positions.
  void (*setPositions)(int positions);
  // The run has reached position.
  void (*moveTo)(int position);
  // True once the user has asked the run to stop; the run looks before
  // each archive entry.
  bool (*stopRequested)();
  // Each step done, as a line of text in the ANSI code page; may be null.
  void (*noteStep)(const char* line);
};
