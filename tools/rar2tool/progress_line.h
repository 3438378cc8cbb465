// The progress line of long commands: bytes and files done, speed and time
// left, redrawn in place on standard error when that is a terminal, and
// never shown otherwise or under -q.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

class ProgressLine {
 public:
  // Shown only when `wanted` and standard error is a terminal.
  ProgressLine(bool wanted, const char* verb, uint64_t totalBytes, uint64_t totalFiles);
  ~ProgressLine() { Clear(); }
  bool Shown() const { return enabled_; }
  // Adds to what is done and redraws at most a few times a second.
  void Advance(uint64_t bytes, uint64_t files);
  // Sets the bytes and files done so far (for work measured from the outside).
  void SetDone(uint64_t bytes, uint64_t files);
  // Erases the line, before other output reaches the terminal.
  void Clear();

  // The text of the line, for a given elapsed time (whole for tests).
  static std::string Text(const char* verb, uint64_t bytes, uint64_t totalBytes, uint64_t files,
                          uint64_t totalFiles, double seconds);

 private:
  void Draw(bool force);
  bool enabled_;
  const char* verb_;
  uint64_t totalBytes_, totalFiles_, bytes_ = 0, files_ = 0;
  std::chrono::steady_clock::time_point start_, lastDraw_;
  bool drawn_ = false;  // the line is on the terminal now
  bool drawnOnce_ = false;
};
