// The process's life: the frame, the sequence of pages, the installation
// step, and the end of the wizard.
#pragma once

#include "platform/platform.h"

// The frame and the current page (null when there is none).
extern Window frameWindow;
extern Window pageWindow;

// The process entry: runs the wizard to its end; returns 0 in every case.
int RunSetup(ModuleInstance instance);

// Replaces the current page by the page of the current step and sets the
// frame's buttons for it.
void ShowStepPage();

// Starts the installed viewer, held as checked while it starts.
void StartInstalledProgram();

// The dialog resource of a step's page in a language; 0 for a step without a page.
int StepPageResource(int step, uint8_t language);
