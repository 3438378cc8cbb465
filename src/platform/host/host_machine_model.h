// What the host stand-in's operations share to behave as one machine: the
// kill points of a process ended part-way, and the one disk whose free
// bytes every file write takes from.
#pragma once

#include <cstddef>
#include <string>

// Counts one change of the machine (a folder, file, deletion, profile
// write, link or registry key made): whether the process still lives to
// make it, dies while making it, or is already gone (HostSystem::killAfter).
enum class Change { Made, Interrupted, AfterTheEnd };
Change NextChange();
// True when a kill has come already: the next change would be after the end.
bool ProcessEnded();

bool IsFolder(const std::string& real);
// The stand-in's 8.3 name of one component: a name longer than eight
// characters or with blanks becomes its first six other characters, upper
// case, and "~1"; other names stay as they are.
std::string ShortComponent(const std::string& name);
std::string ParentOf(const std::string& real);
// The size of a plain file; 0 for anything else.
long long FileSize(const std::string& real);
// Gives the disk back the bytes of a file that went.
void Freed(long long size);
// Writes the file anew with as much of data as the disk takes; true when
// all of it went.
bool WriteAsFarAsItFits(const std::string& real, const std::string& data);
// How many of size more bytes the disk takes; taken from its free bytes.
size_t TakeRoom(size_t size);

// The act's own look below a place, as the Windows acts look through their
// handles: after hostSystem.beforeAct, true when a component of path below
// place (path included) is a link, whose Windows path then goes into link
// (may be null); link is emptied otherwise.
bool StopsAtLink(const char* place, const char* path, char* link);
