// The one file being written under a temporary name, kept ready for the
// SIGINT and SIGTERM handlers: they remove it (an unlink is safe inside a
// handler) and then end the process by the same signal, so that an
// interrupted command leaves neither a half-written file nor a stray
// temporary one.
#pragma once

// Installs the handlers; call once before the first file is written.
void CatchInterrupts();

// Records the temporary file `name` in the folder folderFd (AT_FDCWD for a
// path relative to the working folder or absolute). A name too long for the
// kept buffer is refused (false), so that a file is never left unguarded.
bool NotePendingFile(int folderFd, const char* name);

// The file is complete and renamed, or removed: nothing to clean up.
void ClearPendingFile();
