#include "listing_format.h"

#include <cstdio>

#include "archive/block_format.h"

std::string FormatDosTime(uint32_t t) {
  // Two words either way, like a date and a time, for scripts that split.
  if (t == 0) return "(no time)";
  const uint32_t month = (t >> 21) & 15, day = (t >> 16) & 31, hour = (t >> 11) & 31,
                 minute = (t >> 5) & 63, second = (t & 31) * 2;
  char text[32];
  if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59)
    std::snprintf(text, sizeof text, "(bad 0x%08X)", t);
  else
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (t >> 25), month, day,
                  hour, minute, second);
  return text;
}

std::string MethodName(uint8_t method) {
  char text[8];
  if (method >= MethodStored && method <= MethodBest)
    std::snprintf(text, sizeof text, "m%c", method);
  else
    std::snprintf(text, sizeof text, "0x%02X", method);
  return text;
}

std::string ArchiveTraits(const ArchiveWalk& walk) {
  std::string traits;
  auto add = [&](const char* t) { traits += (traits.empty() ? "" : ", ") + std::string(t); };
  if (walk.solid) add("solid");
  if (walk.volume) add("volume of a multi-volume set");
  for (const WalkedEntry& e : walk.entries)
    if (e.flags & EntryFlagEncrypted) {
      add("encrypted entries: file*");
      break;
    }
  return traits.empty() ? "" : " (" + traits + ")";
}
