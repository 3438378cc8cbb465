// The receiver cards and modes the installed viewer can start with.
#pragma once

#include <cstdint>

struct DeviceRow {
  int englishLabelId;  // string table
  int russianLabelId;
  char deviceFile[50];  // device plug-in file; empty for "no device"
  char deviceId[4];
};

constexpr int DeviceCount = 11;
extern const DeviceRow DeviceTable[DeviceCount];

// The string id of the row's label in the language.
int DeviceLabelId(int row, uint8_t language);
