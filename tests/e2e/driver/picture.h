// Pictures of what is on the screen.
#pragma once

#include <windows.h>

#include <string>

// Saves the screen area of window (with its frame) as a 24-bit BMP file.
void SaveWindowPicture(HWND window, const std::wstring& file);
