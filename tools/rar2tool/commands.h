// The subcommands of rar2tool. Each returns the process exit status; it
// prints each failure cause as one line on standard error.
#pragma once

#include <string>

#include "options.h"

int ListCommand(const ToolOptions& options);
int TestCommand(ToolOptions options);
int ExtractCommand(ToolOptions options);
int PackCommand(ToolOptions options);

// Prints "rar2tool: message" on standard error and returns ExitFailed.
int Fail(const std::string& message);

// Flushes standard output after a line that must reach it now; a failure
// is remembered for FinishOutput.
void FlushOutput();

// Flushes standard output at the end of a command. When any write to it
// failed (a full disk, a closed pipe's error) prints one line and returns
// ExitFailed; otherwise returns status.
int FinishOutput(int status);

// Loads an archive and walks its headers for a command; prints the failure
// itself when it is no archive at all.
struct LoadedArchive;
struct ArchiveWalk;
bool OpenForCommand(const std::string& path, LoadedArchive* archive, ArchiveWalk* walk);

// Prints that the archive file shrank while it was read; returns ExitFailed.
int ReportCutShort(const std::string& path);

// Prints the walk's problem, if any, as the command's last line; returns
// whether there was one.
bool ReportWalkProblem(const std::string& path, const ArchiveWalk& walk);
