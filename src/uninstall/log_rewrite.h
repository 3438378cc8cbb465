// Uninstall.ini written anew by the uninstaller, listing exactly what
// remains, so that a second run finishes the job.
#pragma once

#include "shared/log_records.h"

// Writes records whole beside the log at logPath, then puts that version in
// its place; the old log stays when that can't be done.
void RewriteLog(const char* place, const char* logPath, const LogRecords& records);
