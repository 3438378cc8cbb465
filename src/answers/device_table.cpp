#include "answers/device_table.h"

#include "answers/install_choices.h"

const DeviceRow DeviceTable[DeviceCount] = {
    {11, 17, "SatCardA.Device", "0"},
    {12, 18, "SatCardA.Device", "16"},
    {13, 19, "SatCardB.Device", "0"},
    {29, 30, "SatCardC.Device", "0"},
    {27, 28, "SatCardD.Device", "0"},
    {31, 32, "SatCardE.device", "0"},
    {14, 20, "SatCardF.device", "0"},
    {23, 23, "SatCardG.Device", "0"},
    {25, 26, "SatCardH.Device", "0"},
    {15, 21, "RemoteFeed.Device", "0"},
    {16, 22, "", "0"},
};

int DeviceLabelId(int row, uint8_t language) {
  return language == Russian ? DeviceTable[row].russianLabelId : DeviceTable[row].englishLabelId;
}
