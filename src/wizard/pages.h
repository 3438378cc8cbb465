// The pages' initialisers, commands and stores on Next. The initialisers run
// on every visit; the stores write InstallChoices when the page is left with
// Next.
#pragma once

#include "platform/platform.h"

// Language page.
void InitLanguagePage(Window page);
bool OnLanguageRadio(Window page, int id, int notification);
void StoreLanguagePage(Window page);

// Options page. StoreOptionsPage refuses (shows why, stores nothing and
// returns false) a destination too long for the installation's paths.
void InitOptionsPage(Window page);
void OnBrowseButton(Window page);
bool StoreOptionsPage(Window page);

// Timeshift page.
void InitTimeshiftPage(Window page);
void OnTimeshiftRadio(Window page, int id);
void StoreTimeshiftPage(Window page);

// Modules page.
void InitModulesPage(Window page);
void StoreModulesPage(Window page);

// Finish page.
void InitFinishPage(Window page);
