// One form for a path, as the file system resolves it, and the walk that
// finds a link on the way below a product place. Setup turns the folder the
// user typed into this form before it makes anything; the uninstaller
// compares only folded forms.
#pragma once

#include <cstddef>

#include "paths/path_form.h"
#include "platform/path_platform.h"

// The destination as typed, made canonical: a full path on a drive, with
// backslashes only, "." and ".." resolved, the existing part spelled as it
// stands on disk (long names), ending in one backslash. Refused (out left
// empty): an empty text, a relative, drive-relative or UNC form, a drive's
// root, a name ending in a dot or a blank, a device name, a character
// Windows forbids, and what does not fit.
PathVerdict CanonicalDestination(const char* typed, char* out, size_t capacity);

// A copy of path folded as the file system compares names; false when it
// does not fit.
bool FoldedCopy(const char* path, char* out, size_t capacity);

// Walks path from below place down to path itself (place is a prefix of
// path as spelled, ending in a backslash) and stops at the first component
// that is a link, copied into link. False when there is none: every
// component is a plain file or folder, or missing from there on.
// kind (may be null) receives what path itself is, as far as the walk
// saw: Link when a link stands on the way, Missing when a folder above it
// is missing.
bool FindLinkBelow(const char* place, const char* path, char* link, size_t capacity,
                   PathKind* kind = nullptr);
