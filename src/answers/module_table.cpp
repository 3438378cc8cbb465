#include "answers/module_table.h"

#include <cstring>

#include "shared/text_buffers.h"

ModuleEntry::ModuleEntry() : label{}, fileName{}, enabled(false) {}
ModuleEntry::~ModuleEntry() = default;

ModuleEntry ModuleTable[ModuleCount];

namespace {

struct ModuleRow {
  const char* fileName;
  const char* englishLabel;
  const char* russianLabel;  // code page 1251
  bool enabledAtStart;
};

const ModuleRow ModuleRows[ModuleCount] = {
    {"Agenda.Module", "EPG", "\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE0 \xEF\xE5\xF0\xE5\xE4\xE0\xF7",
     true},  // Программа передач
    {"Planner.Module", "Scheduler", "\xCF\xEB\xE0\xED\xE8\xF0\xEE\xE2\xF9\xE8\xEA",
     true},  // Планировщик
    {"IrBridge.Module", "WinLirc client", "WinLirk \xEA\xEB\xE8\xE5\xED\xF2",
     false},  // WinLirk клиент
    {"Beacon.Module", "Broadcast server", "Broadcast \xF1\xE5\xF0\xE2\xE5\xF0",
     false},  // Broadcast сервер
    {"Relay.module", "Stream router", "Stream router", true},
};

char LowerAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool EndsWithIgnoringCase(const char* name, size_t nameLength, const char* tail) {
  size_t tailLength = std::strlen(tail);
  if (tailLength > nameLength) return false;
  const char* start = name + (nameLength - tailLength);
  for (size_t i = 0; i < tailLength; i++) {
    if (LowerAsciiLetter(start[i]) != LowerAsciiLetter(tail[i])) return false;
  }
  return true;
}

}  // namespace

const char* ModuleFileName(int row) {
  return ModuleRows[row].fileName;
}

void FillModuleTable(uint8_t language) {
  for (int row = 0; row < ModuleCount; row++) {
    const ModuleRow& source = ModuleRows[row];
    ModuleEntry& entry = ModuleTable[row];
    CopyText(entry.label, language == Russian ? source.russianLabel : source.englishLabel,
             sizeof entry.label);
    CopyText(entry.fileName, source.fileName, sizeof entry.fileName);
    entry.enabled = source.enabledAtStart;
  }
}

bool IsDisabledModuleFile(const char* name) {
  size_t nameLength = std::strlen(name);
  for (const ModuleEntry& entry : ModuleTable) {
    if (entry.enabled) continue;
    if (EndsWithIgnoringCase(name, nameLength, entry.fileName)) return true;
  }
  return false;
}
