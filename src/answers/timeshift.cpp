#include "answers/timeshift.h"

#include "answers/install_choices.h"
#include "platform/platform.h"
#include "shared/text_buffers.h"

const char TimeshiftFileName[] = "timeshift.dat";

void ProposeTimeshiftFile(const char* destination, char* proposal) {
  if (CopyText(proposal, destination, PathBufferSize) &&
      AppendText(proposal, TimeshiftFileName, PathBufferSize)) {
    return;
  }
  CopyText(proposal, "c:\\timeshift.dat", PathBufferSize);
}

int32_t ParseDecimal(const char* text) {
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') p++;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t value = 0;
  const int64_t bound = negative ? int64_t(INT32_MAX) + 1 : INT32_MAX;
  for (; *p >= '0' && *p <= '9'; p++) {
    value = value * 10 + (*p - '0');
    if (value > bound) value = bound;
  }
  return int32_t(negative ? -value : value);
}

uint32_t TotalPhysicalMegabytes() {
  return TotalPhysicalBytes() >> 20;
}
