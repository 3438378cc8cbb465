// The fixed buffers of Setup and the uninstaller, and the bounded text
// copies into them. Each copy either fits completely or leaves the buffer as
// it was and says so: nothing is cut.
#pragma once

#include <cstddef>

constexpr int PathBufferSize = 260;    // paths: 259 characters and the zero
constexpr int LabelBufferSize = 200;   // labels and messages
constexpr int NumberBufferSize = 100;  // numbers read from edit controls

// Copies source into buffer when it fits with its zero; returns whether it did.
bool CopyText(char* buffer, const char* source, size_t capacity);
// Appends source when the whole result fits with its zero; returns whether it did.
bool AppendText(char* buffer, const char* source, size_t capacity);
// True when the last character of text is a backslash.
bool EndsWithBackslash(const char* text);
