// The five optional plug-in modules of the viewer, their labels in the chosen
// language, and which of them the user wants installed.
#pragma once

#include <cstdint>

#include "answers/install_choices.h"

class ModuleEntry {
 public:
  ModuleEntry();
  virtual ~ModuleEntry();

  char label[LabelBufferSize];
  char fileName[LabelBufferSize];
  bool enabled;
};

constexpr int ModuleCount = 5;
extern ModuleEntry ModuleTable[ModuleCount];

// Writes all five rows: the label in the language, the file name and the
// starting choice.
void FillModuleTable(uint8_t language);

// A row's plug-in file name, as FillModuleTable writes it.
const char* ModuleFileName(int row);

// True when name ends with the fileName of a row that is not enabled; the
// letters A to Z compare without regard to case.
bool IsDisabledModuleFile(const char* name);
