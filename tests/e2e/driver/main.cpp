// The end-to-end driver: runs the scenarios of one language against
// Setup.exe beside it, one fresh Setup process per scenario.
//   e2e_driver --language en|ru --pictures FOLDER [--setup-dir FOLDER]
//              [--entries FILE] [--decoded-count OFFSET PAYLOAD_BYTES]
//              [--log-counts WRITES_OFFSET BYTES_OFFSET]
//              [--installation-timeout SECONDS] [SCENARIO...]
// --setup-dir: where Setup.exe is (beside the driver when not given).
// --entries: the archive's entries in order, "dir NAME" or "file NAME" a
// line; the installation scenarios take their counts and positions from it.
// OFFSET: where Setup's count of decoded bytes lies in its image; the
// installation then reports it and holds it to 1.05 x PAYLOAD_BYTES.
// WRITES_OFFSET, BYTES_OFFSET: where its counts of the uninstall log's
// writes and bytes lie; the installation reports them.
// Prints one line per scenario and exits with 1 when any failed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "check.h"
#include "disk.h"
#include "scenarios.h"
#include "scenarios_install.h"

namespace {

const Scenario EnglishScenarios[] = {
    {"start-shows-english", StartShowsEnglish},
    {"walk-every-page", WalkEveryPage},
    {"row-zero-passes-over-timeshift", RowZeroPassesOverTimeshift},
    {"cancel-on-language-page", CancelOnLanguagePage},
    {"browse-for-folder", BrowseForFolder},
    {"refuse-too-long-destination", RefuseTooLongDestination},
    {"refuse-unremovable-destination", RefuseUnremovableDestination},
    {"finish-with-box-cleared", FinishWithBoxCleared},
    {"finish-with-close-box", FinishWithCloseBox},
    {"cancel-during-extraction", CancelDuringExtraction},
};

const Scenario RussianScenarios[] = {
    {"language-switches-captions", LanguageSwitchesCaptions},
    {"walk-every-page", WalkEveryPage},
    {"browse-for-folder", BrowseForFolder},
    {"refuse-too-long-destination", RefuseTooLongDestination},
    {"refuse-unremovable-destination", RefuseUnremovableDestination},
    {"cancel-during-extraction", CancelDuringExtraction},
};

std::wstring Widen(const char* text) {
  int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring result(size_t(size > 0 ? size : 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, &result[0], size);
  result.resize(wcslen(result.c_str()));
  return result;
}

std::wstring ProgramDir() {
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  wchar_t* slash = wcsrchr(path, L'\\');
  if (slash != nullptr) *slash = L'\0';
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  DriverSettings settings;
  settings.programDir = ProgramDir();
  settings.language = "en";
  std::vector<std::string> wanted;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--language") == 0 && i + 1 < argc) {
      settings.language = argv[++i];
    } else if (std::strcmp(argv[i], "--pictures") == 0 && i + 1 < argc) {
      settings.pictureDir = Widen(argv[++i]);
    } else if (std::strcmp(argv[i], "--setup-dir") == 0 && i + 1 < argc) {
      settings.setupDir = Widen(argv[++i]);
    } else if (std::strcmp(argv[i], "--entries") == 0 && i + 1 < argc) {
      std::string error;
      if (!ReadProductEntries(Widen(argv[++i]), &settings.entries, &error)) {
        std::fprintf(stderr, "e2e_driver: %s: %s\n", argv[i], error.c_str());
        return 2;
      }
    } else if (std::strcmp(argv[i], "--decoded-count") == 0 && i + 2 < argc) {
      settings.decodedCountOffset = DWORD(std::strtoul(argv[++i], nullptr, 0));
      settings.payloadBytes = std::strtoull(argv[++i], nullptr, 0);
    } else if (std::strcmp(argv[i], "--installation-timeout") == 0 && i + 1 < argc) {
      settings.installationTimeoutMs = DWORD(std::strtoul(argv[++i], nullptr, 0)) * 1000;
    } else if (std::strcmp(argv[i], "--log-counts") == 0 && i + 2 < argc) {
      settings.logWriteCountOffset = DWORD(std::strtoul(argv[++i], nullptr, 0));
      settings.logByteCountOffset = DWORD(std::strtoul(argv[++i], nullptr, 0));
    } else {
      wanted.push_back(argv[i]);
    }
  }
  if (settings.pictureDir.empty() || (settings.language != "en" && settings.language != "ru")) {
    std::fprintf(stderr,
                 "usage: e2e_driver --language en|ru --pictures FOLDER [--setup-dir FOLDER] "
                 "[--entries FILE] [--decoded-count OFFSET PAYLOAD_BYTES] "
                 "[--log-counts WRITES_OFFSET BYTES_OFFSET] [--installation-timeout SECONDS] "
                 "[SCENARIO...]\n");
    return 2;
  }
  if (settings.setupDir.empty()) settings.setupDir = settings.programDir;
  bool russian = settings.language == "ru";
  const PageTexts& texts = russian ? RussianTexts() : EnglishTexts();
  std::vector<Scenario> scenarios(
      russian ? std::begin(RussianScenarios) : std::begin(EnglishScenarios),
      russian ? std::end(RussianScenarios) : std::end(EnglishScenarios));
  // The installation scenarios run only when named: tests/e2e/run-install
  // checks each one from outside before it starts the next.
  if (!wanted.empty()) {
    const std::vector<Scenario>& install = InstallScenarios(russian);
    scenarios.insert(scenarios.end(), install.begin(), install.end());
  }

  // The folders that the browser scenario picks from, made well before it:
  // a folder made just before the browser opens can reach it as a change
  // notice while it shows its first selection, which then collapses.
  MakeFolders(L"C:\\e2e\\pick\\tv");
  MakeFolders(LongPickFolder());

  int failed = 0, ran = 0;
  for (const Scenario* scenario = scenarios.data(); scenario != scenarios.data() + scenarios.size();
       scenario++) {
    if (!wanted.empty() &&
        std::find(wanted.begin(), wanted.end(), scenario->name) == wanted.end()) {
      continue;
    }
    ran++;
    std::printf("[%s] %s\n", settings.language.c_str(), scenario->name);
    std::fflush(stdout);
    DWORD start = GetTickCount();
    try {
      scenario->run(settings, texts, russian);
      std::printf("  PASS (%.1f s)\n", (GetTickCount() - start) / 1000.0);
    } catch (const ScenarioFailure& failure) {
      failed++;
      std::printf("  FAIL %s\n", failure.what());
    }
    std::fflush(stdout);
  }
  std::printf("%d of %d scenarios passed (%s)\n", ran - failed, ran, settings.language.c_str());
  // Scenarios named on the command line may all belong to the other language.
  return failed == 0 && (ran > 0 || !wanted.empty()) ? 0 : 1;
}
