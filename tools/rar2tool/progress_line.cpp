#include "progress_line.h"

#include <unistd.h>

#include <cstdio>

namespace {

std::string Megabytes(uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / 1e6);
  return text;
}

std::string Duration(double seconds) {
  const uint64_t s = uint64_t(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(s / 60),
                static_cast<unsigned long long>(s % 60));
  return text;
}

}  // namespace

ProgressLine::ProgressLine(bool wanted, const char* verb, uint64_t totalBytes, uint64_t totalFiles)
    : enabled_(wanted && isatty(STDERR_FILENO) == 1),
      verb_(verb),
      totalBytes_(totalBytes),
      totalFiles_(totalFiles),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_) {}

std::string ProgressLine::Text(const char* verb, uint64_t bytes, uint64_t totalBytes,
                               uint64_t files, uint64_t totalFiles, double seconds) {
  std::string text = std::string(verb) + ": " + Megabytes(bytes) + " of " + Megabytes(totalBytes) +
                     ", " + std::to_string(files) + " of " + std::to_string(totalFiles) +
                     (totalFiles == 1 ? " file" : " files");
  if (seconds > 0 && bytes > 0) {
    const double rate = double(bytes) / seconds;
    text += ", " + Megabytes(uint64_t(rate)) + "/s";
    if (totalBytes >= bytes) text += ", " + Duration(double(totalBytes - bytes) / rate) + " left";
  }
  return text;
}

void ProgressLine::Advance(uint64_t bytes, uint64_t files) {
  bytes_ += bytes;
  files_ += files;
  Draw(false);
}

void ProgressLine::SetDone(uint64_t bytes, uint64_t files) {
  bytes_ = bytes;
  files_ = files;
  Draw(false);
}

void ProgressLine::Draw(bool force) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  // The first time at once, then a few times a second.
  if (!force && drawnOnce_ && now - lastDraw_ < std::chrono::milliseconds(250)) return;
  drawnOnce_ = true;
  lastDraw_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const std::string text = Text(verb_, bytes_, totalBytes_, files_, totalFiles_, seconds);
  std::fprintf(stderr, "\r%s\033[K", text.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressLine::Clear() {
  if (!drawn_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  drawn_ = false;
}
