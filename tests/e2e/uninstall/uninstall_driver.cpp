// Works the uninstaller's windows as a person would: answers its question,
// watches its progress window, reads and closes its final message, and takes
// a picture of each. Either starts the uninstaller itself or waits for the
// windows of one started by someone else (Wine's own uninstaller).
//   uninstall_driver --language en|ru --pictures DIR --answer yes|no
//                    (--start PROGRAM [ARGUMENTS] | --attach)
//   uninstall_driver --hold FILE HELD RELEASE
// The second form stands in for a running viewer: it holds FILE open
// without delete sharing, as a running program holds its files, makes the
// file HELD once it does, and lets go when the file RELEASE appears.
// Prints "question: ...", "message: ..." (UTF-8) and, when it started the
// program, "exit: N", and exits with the program's exit code; 90 when the
// windows did not come as expected.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "../driver/check.h"
#include "../driver/linked_alike.h"
#include "../driver/picture.h"

namespace {

constexpr int MessageTextId = 0xFFFF;  // the static of a message box
constexpr int ProgressBarId = 1002;    // the bar of the uninstaller's progress window
constexpr DWORD WindowTimeoutMs = 60000;

std::wstring language = L"en", pictures;
DWORD processId = 0;  // 0: any process's windows (attached)

std::wstring Caption() {
  return language == L"ru" ? L"\u0423\u0434\u0430\u043b\u0435\u043d\u0438\u0435 Orbivue"
                           : L"Orbivue Uninstall";
}

std::wstring Widen(const char* text) {
  wchar_t wide[1024];
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 1024);
  return wide;
}

struct Search {
  bool (*wanted)(HWND);
  HWND found;
};

bool IsOurs(HWND window) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t text[200] = L"";
  GetWindowTextW(window, text, 200);
  return IsWindowVisible(window) && (processId == 0 || owner == processId) && Caption() == text;
}

bool IsQuestion(HWND w) {
  return IsOurs(w) && GetDlgItem(w, IDYES) != nullptr && GetDlgItem(w, IDNO) != nullptr;
}
bool IsProgress(HWND w) {
  return IsOurs(w) && GetDlgItem(w, ProgressBarId) != nullptr;
}
bool IsMessage(HWND w) {
  return IsOurs(w) && GetDlgItem(w, MessageTextId) != nullptr && GetDlgItem(w, IDYES) == nullptr &&
         GetDlgItem(w, ProgressBarId) == nullptr;
}

BOOL CALLBACK TakeWanted(HWND w, LPARAM p) {
  Search* s = reinterpret_cast<Search*>(p);
  if (!s->wanted(w)) return TRUE;
  s->found = w;
  return FALSE;
}

HWND Find(bool (*wanted)(HWND)) {
  Search search = {wanted, nullptr};
  EnumWindows(TakeWanted, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitFor(bool (*wanted)(HWND), HANDLE process, const char* what) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < WindowTimeoutMs) {
    if (HWND w = Find(wanted)) {
      Sleep(300);  // let it finish painting before it is read and pictured
      return w;
    }
    if (process != nullptr && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) break;
    Sleep(10);
  }
  throw ScenarioFailure(std::string("no ") + what + " appeared");
}

void Picture(HWND window, const char* name) {
  if (pictures.empty()) return;
  SaveWindowPicture(window, pictures + L"\\" + Widen(name) + L"-" + language + L".bmp");
}

std::wstring MessageText(HWND box) {
  wchar_t text[8192] = L"";
  GetDlgItemTextW(box, MessageTextId, text, 8192);
  return text;
}

void Press(HWND box, int button) {
  PostMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0);
}

int Hold(const char* file, const char* held, const char* release) {
  HANDLE handle =
      CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "uninstall_driver: can't hold %s (error %lu)\n", file, GetLastError());
    return 90;
  }
  CloseHandle(CreateFileA(held, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  const DWORD start = GetTickCount();
  while (GetFileAttributesA(release) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 600000)
    Sleep(50);
  CloseHandle(handle);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--hold") == 0) return Hold(argv[2], argv[3], argv[4]);
  bool yes = true, attach = false;
  std::string program, command;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--language") == 0 && i + 1 < argc)
      language = Widen(argv[++i]);
    else if (std::strcmp(argv[i], "--pictures") == 0 && i + 1 < argc)
      pictures = Widen(argv[++i]);
    else if (std::strcmp(argv[i], "--answer") == 0 && i + 1 < argc)
      yes = std::strcmp(argv[++i], "yes") == 0;
    else if (std::strcmp(argv[i], "--attach") == 0)
      attach = true;
    else if (std::strcmp(argv[i], "--start") == 0 && i + 1 < argc) {
      program = argv[++i];
      command = "\"" + program + "\"";
      for (i++; i < argc; i++) command += std::string(" ") + argv[i];
    }
  }
  if (!attach && command.empty()) {
    std::fprintf(stderr,
                 "usage: uninstall_driver --language en|ru --pictures DIR --answer yes|no "
                 "(--start PROGRAM [ARGUMENTS] | --attach)\n");
    return 90;
  }
  PROCESS_INFORMATION process = {};
  if (!attach) {
    const std::string unlike = LinkedUnlike(Widen(program.c_str()));
    if (!unlike.empty()) {
      std::printf("FAIL %s\n", unlike.c_str());
      return 90;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string line = command;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
      std::fprintf(stderr, "uninstall_driver: can't start %s (error %lu)\n", command.c_str(),
                   GetLastError());
      return 90;
    }
    processId = process.dwProcessId;
  }
  try {
    HWND question = WaitFor(IsQuestion, process.hProcess, "question");
    std::printf("question: %s\n", Narrow(MessageText(question)).c_str());
    Picture(question, "uninstall-question");
    Press(question, yes ? IDYES : IDNO);
    if (yes) {
      // The progress window may come and go too fast to be seen; pictured when caught.
      const DWORD start = GetTickCount();
      while (GetTickCount() - start < 5000 && Find(IsMessage) == nullptr) {
        if (HWND progress = Find(IsProgress)) {
          Picture(progress, "uninstall-progress");
          std::printf("progress window seen\n");
          break;
        }
        Sleep(5);
      }
      HWND message = WaitFor(IsMessage, process.hProcess, "final message");
      std::printf("message: %s\n", Narrow(MessageText(message)).c_str());
      Picture(message, "uninstall-message");
      Press(message, IDOK);
    }
  } catch (const ScenarioFailure& failure) {
    std::printf("FAIL %s\n", failure.what());
    std::fflush(stdout);
    if (process.hProcess != nullptr) TerminateProcess(process.hProcess, 99);
    return 90;
  }
  std::fflush(stdout);
  if (attach) return 0;
  if (WaitForSingleObject(process.hProcess, WindowTimeoutMs) != WAIT_OBJECT_0) {
    std::printf("FAIL the uninstaller did not end\n");
    TerminateProcess(process.hProcess, 99);
    return 90;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  std::printf("exit: %lu\n", code);
  std::fflush(stdout);
  return int(code);
}
