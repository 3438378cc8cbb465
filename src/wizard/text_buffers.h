// Bounded text copies into the program's fixed buffers. Each one either fits
// completely or leaves the buffer as it was and says so: nothing is cut.
#pragma once

#include <cstddef>

// Copies source into buffer when it fits with its zero; returns whether it did.
bool CopyText(char* buffer, const char* source, size_t capacity);
// Appends source when the whole result fits with its zero; returns whether it did.
bool AppendText(char* buffer, const char* source, size_t capacity);
// True when the last character of text is a backslash.
bool EndsWithBackslash(const char* text);
