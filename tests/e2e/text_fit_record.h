// What the text-fit hook measures inside Setup, in memory shared with the
// driver under a name that carries Setup's process id: for every control of
// a window that shows a text (static texts, push buttons, check boxes, radio
// buttons, group boxes), the room its text needs with the control's own font
// and the room the control gives it, in Setup's pixels.
#pragma once

#include <windows.h>

constexpr wchar_t TextFitMemoryPrefix[] = L"OrbivueE2E.TextFit.";
// Sent to a window of Setup: the hook measures that window's controls.
constexpr wchar_t TextFitMessageName[] = L"OrbivueE2E.MeasureTexts";
constexpr int TextFitMaxControls = 48;
constexpr int TextFitTextChars = 96;

struct TextFitControl {
  LONG id;
  LONG neededWidth;
  LONG neededHeight;
  LONG roomWidth;
  LONG roomHeight;
  wchar_t text[TextFitTextChars];  // cut to fit here, for the report only
};

struct TextFitRecord {
  LONG measurements;  // how many times the hook has measured
  LONG dpi;           // the screen's pixels per inch as Setup sees them
  LONG dpiAware;      // whether Setup is DPI-aware (by its manifest)
  LONG count;         // controls measured the last time
  TextFitControl controls[TextFitMaxControls];
};

// Measures the controls of root into the shared record of this process, if
// the driver has made it. Runs inside Setup, on the thread of its windows.
void MeasureTextsOf(HWND root);
