// The scenarios, each a run of Setup.exe from its start to its end.
#pragma once

#include "setup_session.h"
#include "wizard_facts.h"

struct Scenario {
  const char* name;
  void (*run)(const DriverSettings& settings, const PageTexts& texts, bool russian);
};

// Walking the wizard: the pages, what they show, and how they answer.
void StartShowsEnglish(const DriverSettings&, const PageTexts&, bool);
void LanguageSwitchesCaptions(const DriverSettings&, const PageTexts&, bool);
void WalkEveryPage(const DriverSettings&, const PageTexts&, bool);
void RowZeroPassesOverTimeshift(const DriverSettings&, const PageTexts&, bool);
void BrowseForFolder(const DriverSettings&, const PageTexts&, bool);
void RefuseTooLongDestination(const DriverSettings&, const PageTexts&, bool);
void RefuseUnremovableDestination(const DriverSettings&, const PageTexts&, bool);
// The folder too long to pick that the browser scenario offers; made early.
std::wstring LongPickFolder();

// Leaving the wizard.
void CancelOnLanguagePage(const DriverSettings&, const PageTexts&, bool);
void FinishWithBoxCleared(const DriverSettings&, const PageTexts&, bool);
void FinishWithCloseBox(const DriverSettings&, const PageTexts&, bool);
void CancelDuringExtraction(const DriverSettings&, const PageTexts&, bool);

// Shared steps of the scenarios.
HWND NextToOptions(SetupSession& session, bool russian);
HWND NextToFinish(SetupSession& session, HWND optionsPage, const std::wstring& destination);
void CheckList(const std::vector<std::wstring>& actual, const std::vector<std::wstring>& expected,
               const char* what);
void CheckTicks(const std::vector<bool>& actual, const std::vector<bool>& expected);
// Closes the window of a viewer that shows one (the demo product's does).
void CloseStartedViewer();
// Waits for Setup to end, failing if a message box shows up before.
void CheckEndsSilently(SetupSession& session);
