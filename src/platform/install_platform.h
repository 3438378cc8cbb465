// The operating system's side of the installation: folders and files,
// profile (INI) strings, the registry, shell folders and links, and the
// processes it starts. Thin: the exact Win32 calls live in win32/; host/
// keeps a faithful stand-in for the tests.
#pragma once

#include <cstdint>

// Makes one folder level by its name, for the folders above the product's
// places; an existing folder or a failure goes unnoticed.
void CreateFolder(const char* path);
// Makes one folder level by its name with the access rules of the Program
// Files folder instead of those of the folder above: the system and the
// administrators change it and everything in it, users read and run.
void CreateGuardedFolder(const char* path);
// The folders whose access rules the system keeps from users (the Program
// Files folders, the Windows folder), without trailing backslashes, into
// folders; returns how many (at most capacity).
int GetProtectedFolders(char (*folders)[260], int capacity);

// The acts below a product place. place is the folder checked as the
// product's (its trailing backslash optional) and path lies within it. Each
// act reaches path from place by handles and never through a link: a link
// on the way or in path's place, there before the act or swapped in at any
// moment of it, stops the act, which then returns false with the link's
// path in link (PathCapacity bytes, or null); link is empty otherwise.

// The acts on files keep the folder of the last one held for the next one in
// it (its folders can't be moved meanwhile); this lets it go.
void ReleaseHeldFolders();

// Makes the folder path and the missing ones above it below place; true
// when it stands (made now or before).
bool CreateFolderIn(const char* place, const char* path, char* link);
// Deletes a file; false when it could not be deleted.
bool DeleteFileIn(const char* place, const char* path, char* link);
// A file written a piece at a time: opened by StartFile, created anew or
// truncated, not shared, and held so until EndFile. Null when it can't be
// opened (link as for the acts).
struct FileBeingWrittenObject;
using FileBeingWritten = FileBeingWrittenObject*;
FileBeingWritten StartFile(const char* place, const char* path, char* link);
// Writes the whole piece, writing on after a short write until every byte
// is there; false when a write fails or makes no progress (a full disk),
// and every piece after that is refused.
bool WritePiece(FileBeingWritten file, const uint8_t* data, uint32_t size);
// Ends the file: kept (true when every piece went in), kept once the
// system has it on the disk (for a file that then takes another's place),
// or deleted through its own handle, so that nothing half-written stays
// under its name (false).
enum class FileEnd { Keep, KeepOnDisk, Delete };
bool EndFile(FileBeingWritten file, FileEnd end);
// StartFile, one piece and EndFile (KeepOnDisk), keeping the file as far as
// it got.
inline bool WriteWholeFile(const char* place, const char* path, const uint8_t* data, uint32_t size,
                           char* link) {
  FileBeingWritten file = StartFile(place, path, link);
  if (file == nullptr) return false;
  WritePiece(file, data, size);
  return EndFile(file, FileEnd::KeepOnDisk);
}
// Puts the file from in the place of to (a name in the same folder) in one
// step, replacing it; false when nothing moved. Either file stands whole at
// every moment.
bool PutFileInPlace(const char* place, const char* from, const char* to, char* link);

// Holds the file path below place, reached as the acts reach it and never
// through a link, until ReleaseFile: meanwhile nobody may move, rename or
// write it or a folder on its way (the system refuses while the handles
// stay open), so that a program started on that path runs the file that
// was checked. Null when it could not be held; link as for the acts.
struct HeldFileObject;
using HeldFile = HeldFileObject*;
HeldFile HoldFile(const char* place, const char* path, char* link);
void ReleaseFile(HeldFile held);

// Profile strings. A read copies the stored value, or def when the key or
// the file is missing, into out (capacity bytes with the zero).
void ReadProfileValue(const char* section, const char* key, const char* def, char* out,
                      int capacity, const char* file);
// A write by name, as the system's profile call makes it: it creates the
// file, the section or the key as needed, replaces an existing key's value
// in place, and appends missing sections and keys at the end; true only
// when the file then holds the value. The host stand-in's alone (the tests
// write logs with it): Setup writes profile keys only through
// WriteProfileValues, which writes no name.
bool WriteProfileValue(const char* section, const char* key, const char* value, const char* file);
// The whole of one section of a profile file as "key=value" texts, each
// ending in a zero, the last followed by a second zero. Returns the bytes
// used without the final zero; capacity - 2 means the section did not fit.
int ReadProfileSection(const char* section, char* out, int capacity, const char* file);
// Sets keys in the profile file below place as WriteProfileValue would, all
// at once: the file read through a checked handle, the keys set in memory,
// and the whole written through the handle of a fresh copy, which is then
// put in the file's place. True when the file put in place reads back as
// written (on Windows through the handle that wrote it, never by name).
struct ProfileValue {
  const char *section, *key, *value;
};
bool WriteProfileValues(const char* place, const char* file, const ProfileValue* values, int count,
                        char* link);

// Opens HKEY_LOCAL_MACHINE\parent with full access, creates or opens key
// under it, sets each value (REG_SZ with its terminator, or REG_DWORD when
// it has no text), then flushes and closes both. Failures go unnoticed.
struct RegistryValue {
  const char* name;
  const char* data;  // null: the value is number, a REG_DWORD
  uint32_t number = 0;
};
void WriteLocalMachineKey(const char* parent, const char* key, const RegistryValue* values,
                          int count);

// The 8.3 form of an existing path into out (260 bytes); left as it was
// when the system has none.
void GetShortPath(const char* path, char* out);
// The file-system path of the desktop or the Start menu's Programs folder,
// without a trailing backslash, into out (260 bytes).
void GetShellFolder(bool desktop, char* out);
void InitializeCom();
// Saves a shell link through the shell's link object: target, working
// folder, description, arguments (null: none set), icon index (0: none),
// at linkPath below place (saved into memory and written there as
// WriteWholeFile writes, so that no other name is ever made). Returns the
// COM result of the save, or of the step that failed; link as for the acts
// above.
int32_t SaveShellLink(const char* target, const char* workingFolder, const char* description,
                      const char* arguments, int iconIndex, const char* place, const char* linkPath,
                      char* link);

// The system folder without a trailing backslash into out (capacity bytes).
void GetSystemFolder(char* out, int capacity);
// Starts a command line hidden, in a new console, and waits at most
// milliseconds for it to end. False when it could not be started; exitCode
// (may be null) receives the program's exit code, or -1 while it runs on.
bool StartHiddenAndWait(const char* commandLine, int milliseconds, int64_t* exitCode);
