// The code page in which the tool judges names by Setup's path rules: the
// archive's own, 1251, where every character is one byte.
#include "platform/path_platform.h"

bool IsLeadByte(uint8_t) {
  return false;
}
