// The subcommands of rar2tool. Each returns the process exit status and
// prints failures as one line on standard error.
#pragma once

#include <string>
#include <vector>

int ListCommand(const std::vector<std::string>& args);
int TestCommand(const std::vector<std::string>& args);
int ExtractCommand(const std::vector<std::string>& args);
int PackCommand(const std::vector<std::string>& args);

// Prints "rar2tool: message" on standard error and returns 1.
int Fail(const std::string& message);

// Loads and opens an archive for a command; prints the failure itself.
struct LoadedArchive;
struct ArchiveWalk;
bool OpenForCommand(const std::string& path, LoadedArchive* archive, ArchiveWalk* walk);
