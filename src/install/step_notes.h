// What an installation run tells of each step it has done, for an
// unattended run's log: a folder made, a file written, a shortcut saved, the
// uninstall entry, each filter with regsvr32's exit code, Orbivue.ini. The
// report the run was given receives them; the wizard's takes none.
#pragma once

#include <cstdint>

struct InstallReport;

// The report of the run now going (null: none).
void SetStepReport(const InstallReport* report);
// "what path", or "what path (detail)" when detail is given.
void NoteStep(const char* what, const char* path, const char* detail = nullptr);

// The position the run has reached, told to the report; KeepResponding tells
// it again, which lets the program's waiting messages through during a long
// step without moving the progress.
void MoveToPosition(int position);
void KeepResponding();
