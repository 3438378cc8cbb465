// What a person sees of the wizard: control ids, texts and lists, as the
// scenarios expect them.
#pragma once

#include <string>
#include <vector>

namespace ids {
constexpr int Cancel = 2, Next = 1006, Back = 1007;
constexpr int English = 1007, Russian = 1008;
constexpr int Elecard = 1001, TwinHan = 1019, Devices = 1023, Destination = 1002, Browse = 1003;
constexpr int Disable = 1028, InMemory = 1026, InFile = 1027, TimeshiftFile = 1002,
              BufferSize = 1029;
constexpr int Modules = 1014;
constexpr int Progress = 1005;
constexpr int FinishText = 1009, RunBox = 1010;
constexpr int BrowserTitle = 0x3742, BrowserStatus = 0x3743, BrowserOk = 1, BrowserCancel = 2;
constexpr int MessageOk = 1;
}  // namespace ids

struct PageTexts {
  std::wstring next, back, cancel;
  std::vector<std::wstring> devices;
  std::wstring elecard, twinhan;
  std::wstring disable, inMemory, inFile;
  std::vector<std::wstring> modules;
  std::wstring extracting, finished, runBox;
  std::wstring browseTitle, terminated, tooLong, refused;
};

const PageTexts& EnglishTexts();
const PageTexts& RussianTexts();
