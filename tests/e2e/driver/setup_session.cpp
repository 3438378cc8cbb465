#include "setup_session.h"

#include <commctrl.h>

#include "check.h"
#include "linked_alike.h"
#include "picture.h"
#include "remote_memory.h"

namespace {

constexpr DWORD ReplyTimeoutMs = 10000;
constexpr int MessageBoxTextId = 0xFFFF;
constexpr int BrowserTreeId = 0x3741;

struct TopLevelSearch {
  DWORD processId;
  HWND exclude;
  bool (*accept)(HWND);
  HWND found;
};

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<TopLevelSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || window == search->exclude || !IsWindowVisible(window)) {
    return TRUE;
  }
  if (!search->accept(window)) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindTopLevel(DWORD processId, HWND exclude, bool (*accept)(HWND)) {
  TopLevelSearch search{processId, exclude, accept, nullptr};
  EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool IsFrame(HWND window) {
  return ClassName(window) == L"#32770" && WindowText(window) == L"Installation Orbivue ";
}
bool IsMessageBox(HWND window) {
  return ClassName(window) == L"#32770" && GetDlgItem(window, MessageBoxTextId) != nullptr;
}
bool IsBrowser(HWND window) {
  return ClassName(window) == L"#32770" && GetDlgItem(window, BrowserTreeId) != nullptr;
}

// Setup handles sent messages whenever it pumps; a reply means that it has
// finished what it was doing before (showing a page, handling a click).
void Sync(HWND window) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, ReplyTimeoutMs, &result)) {
    Fail(__FILE__, __LINE__, "Setup does not answer");
  }
}

LRESULT SendOrFail(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, ReplyTimeoutMs, &result)) {
    Fail(__FILE__, __LINE__, "Setup does not answer message " + std::to_string(message));
  }
  return LRESULT(result);
}

HWND Control(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) Fail(__FILE__, __LINE__, "no control " + std::to_string(id));
  return control;
}

BOOL CALLBACK CheckPainted(HWND window, LPARAM parameter) {
  if (IsWindowVisible(window) && GetUpdateRect(window, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(parameter) = false;
  }
  return TRUE;
}

bool IsPainted(HWND window) {
  if (GetUpdateRect(window, nullptr, FALSE)) return false;
  bool painted = true;
  EnumChildWindows(window, CheckPainted, reinterpret_cast<LPARAM>(&painted));
  return painted;
}

}  // namespace

std::wstring WindowText(HWND window) {
  wchar_t text[1024] = L"";
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                      ReplyTimeoutMs, &result);
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = L"";
  GetClassNameW(window, name, 256);
  return name;
}

SetupSession::SetupSession(const DriverSettings& settings, const std::wstring& arguments,
                           bool expectFrame)
    : settings_(settings) {
  std::wstring program = settings_.setupDir + L"\\Setup.exe";
  // What the driver computes of the system (the timeshift limit from physical
  // memory, say) must be what this Setup sees.
  const std::string unlike = LinkedUnlike(program);
  if (!unlike.empty()) Fail(__FILE__, __LINE__, unlike);
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      settings_.setupDir.c_str(), &startup, &process_)) {
    Fail(__FILE__, __LINE__, "cannot start " + Narrow(program));
  }
  textFit_.reset(new TextFitWatch(process_.dwProcessId));
  if (expectFrame) frame_ = WaitForFrame();
}

SetupSession::~SetupSession() {
  textFit_.reset();
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  if (releaseEvent_ != nullptr) SetEvent(releaseEvent_);
  if (!HasEnded()) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  if (hookModule_ != nullptr) FreeLibrary(hookModule_);
  if (heldEvent_ != nullptr) CloseHandle(heldEvent_);
  if (releaseEvent_ != nullptr) CloseHandle(releaseEvent_);
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

HWND SetupSession::WaitForFrame() {
  HWND frame = nullptr;
  if (!WaitUntil([&] { return (frame = FindTopLevel(process_.dwProcessId, nullptr, IsFrame)); },
                 120000)) {
    Fail(__FILE__, __LINE__, "the frame \"Installation Orbivue \" did not appear");
  }
  return frame;
}

HWND SetupSession::Page() const {
  for (HWND child = FindWindowExW(frame_, nullptr, L"#32770", nullptr); child != nullptr;
       child = FindWindowExW(frame_, child, L"#32770", nullptr)) {
    if (IsWindowVisible(child)) return child;
  }
  return nullptr;
}

HWND SetupSession::WaitForPage(int markControl, DWORD timeoutMs) {
  HWND page = nullptr;
  if (!WaitUntil(
          [&] {
            page = Page();
            return page != nullptr && GetDlgItem(page, markControl) != nullptr;
          },
          timeoutMs)) {
    Fail(__FILE__, __LINE__, "no page with control " + std::to_string(markControl) + " appeared");
  }
  Sync(frame_);
  return page;
}

void SetupSession::Click(HWND dialog, int id) {
  SendOrFail(Control(dialog, id), BM_CLICK, 0, 0);
}

void SetupSession::Press(HWND dialog, int id) {
  PostMessageW(Control(dialog, id), BM_CLICK, 0, 0);
}

void SetupSession::PressCloseBox() {
  PostMessageW(frame_, WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::wstring SetupSession::Text(HWND dialog, int id) const {
  return WindowText(Control(dialog, id));
}

bool SetupSession::IsChecked(HWND dialog, int id) const {
  return SendOrFail(Control(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool SetupSession::IsEnabled(HWND dialog, int id) const {
  return IsWindowEnabled(Control(dialog, id)) != FALSE;
}

bool SetupSession::IsVisible(HWND dialog, int id) const {
  return IsWindowVisible(Control(dialog, id)) != FALSE;
}

void SetupSession::Type(HWND dialog, int id, const std::wstring& text) {
  HWND edit = Control(dialog, id);
  SendOrFail(edit, WM_SETFOCUS, 0, 0);
  SendOrFail(edit, EM_SETSEL, 0, -1);
  SendOrFail(edit, WM_CHAR, VK_BACK, 1);
  for (wchar_t c : text) SendOrFail(edit, WM_CHAR, c, 1);
}

std::vector<std::wstring> SetupSession::ListRows(HWND dialog, int id) const {
  HWND list = Control(dialog, id);
  std::vector<std::wstring> rows;
  int count = int(SendOrFail(list, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; i++) {
    int length = int(SendOrFail(list, CB_GETLBTEXTLEN, i, 0));
    std::wstring row(size_t(length > 0 ? length : 0) + 1, L'\0');
    SendOrFail(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&row[0]));
    row.resize(wcslen(row.c_str()));
    rows.push_back(row);
  }
  return rows;
}

int SetupSession::SelectedRow(HWND dialog, int id) const {
  return int(SendOrFail(Control(dialog, id), CB_GETCURSEL, 0, 0));
}

void SetupSession::PickRow(HWND dialog, int id, int row) {
  HWND list = Control(dialog, id);
  SendOrFail(list, CB_SETCURSEL, row, 0);
  SendOrFail(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  SendOrFail(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), reinterpret_cast<LPARAM>(list));
}

std::vector<std::wstring> SetupSession::ListViewTexts(HWND dialog, int id) const {
  HWND list = Control(dialog, id);
  int count = int(SendOrFail(list, LVM_GETITEMCOUNT, 0, 0));
  constexpr int TextChars = 256;
  RemoteMemory remote(Process(), sizeof(LVITEMW) + TextChars * sizeof(wchar_t));
  std::vector<std::wstring> texts;
  for (int i = 0; i < count; i++) {
    LVITEMW item = {};
    item.iSubItem = 0;
    item.cchTextMax = TextChars;
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote.Address()) + sizeof item);
    remote.Write(0, &item, sizeof item);
    int length = int(SendOrFail(list, LVM_GETITEMTEXTW, i, LPARAM(remote.Address())));
    wchar_t text[TextChars] = L"";
    remote.Read(sizeof item, text, sizeof text);
    text[TextChars - 1] = L'\0';
    texts.push_back(std::wstring(text, size_t(length >= 0 && length < TextChars ? length : 0)));
  }
  return texts;
}

std::vector<bool> SetupSession::ListViewTicks(HWND dialog, int id) const {
  HWND list = Control(dialog, id);
  int count = int(SendOrFail(list, LVM_GETITEMCOUNT, 0, 0));
  std::vector<bool> ticks;
  for (int i = 0; i < count; i++) {
    LRESULT state = SendOrFail(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK);
    ticks.push_back(((state & LVIS_STATEIMAGEMASK) >> 12) == 2);
  }
  return ticks;
}

void SetupSession::ClickListViewBox(HWND dialog, int id, int index) {
  HWND list = Control(dialog, id);
  RemoteMemory remote(Process(), sizeof(LVHITTESTINFO) + sizeof(RECT));
  RECT bounds = {};
  bounds.left = LVIR_BOUNDS;
  remote.Write(0, &bounds, sizeof bounds);
  if (!SendOrFail(list, LVM_GETITEMRECT, index, LPARAM(remote.Address()))) {
    Fail(__FILE__, __LINE__, "list view item " + std::to_string(index) + " has no place");
  }
  remote.Read(0, &bounds, sizeof bounds);
  // Find the item's check box as a person's eye would: the point over its state image.
  int y = (bounds.top + bounds.bottom) / 2;
  for (int x = bounds.left; x < bounds.left + 40; x++) {
    LVHITTESTINFO hit = {};
    hit.pt = {x, y};
    remote.Write(0, &hit, sizeof hit);
    int item = int(SendOrFail(list, LVM_HITTEST, 0, LPARAM(remote.Address())));
    remote.Read(0, &hit, sizeof hit);
    if (item == index && (hit.flags & LVHT_ONITEMSTATEICON)) {
      SendOrFail(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
      SendOrFail(list, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
      return;
    }
  }
  Fail(__FILE__, __LINE__, "no check box found on list view item " + std::to_string(index));
}

HWND SetupSession::FindMessageBox() const {
  return FindTopLevel(process_.dwProcessId, frame_, IsMessageBox);
}

HWND SetupSession::WaitForMessageBox() {
  HWND box = nullptr;
  if (!WaitUntil([&] { return (box = FindMessageBox()) != nullptr; })) {
    Fail(__FILE__, __LINE__, "no message box appeared");
  }
  Sync(box);
  return box;
}

std::wstring SetupSession::MessageText(HWND box) const {
  return Text(box, MessageBoxTextId);
}

HWND SetupSession::WaitForBrowser() {
  HWND browser = nullptr;
  if (!WaitUntil([&] {
        return (browser = FindTopLevel(process_.dwProcessId, frame_, IsBrowser)) != nullptr;
      })) {
    Fail(__FILE__, __LINE__, "the folder browser did not appear");
  }
  Sync(browser);
  return browser;
}

void SetupSession::SelectParentFolder(HWND browser) {
  HWND tree = Control(browser, BrowserTreeId);
  LRESULT current = SendOrFail(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
  LRESULT parent = SendOrFail(tree, TVM_GETNEXTITEM, TVGN_PARENT, current);
  if (parent == 0) Fail(__FILE__, __LINE__, "the selected folder has no parent in the tree");
  SendOrFail(tree, TVM_SELECTITEM, TVGN_CARET, parent);
  Sync(browser);
}

std::wstring SetupSession::SelectedFolderText(HWND browser) const {
  HWND tree = Control(browser, BrowserTreeId);
  LRESULT current = SendOrFail(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
  constexpr int TextChars = 256;
  RemoteMemory remote(Process(), sizeof(TVITEMW) + TextChars * sizeof(wchar_t));
  TVITEMW item = {};
  item.mask = TVIF_TEXT;
  item.hItem = reinterpret_cast<HTREEITEM>(current);
  item.cchTextMax = TextChars;
  item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote.Address()) + sizeof item);
  remote.Write(0, &item, sizeof item);
  SendOrFail(tree, TVM_GETITEMW, 0, LPARAM(remote.Address()));
  wchar_t text[TextChars] = L"";
  remote.Read(sizeof item, text, sizeof text);
  text[TextChars - 1] = L'\0';
  return text;
}

DWORD SetupSession::WaitForExit() {
  if (WaitForSingleObject(process_.hProcess, 15000) != WAIT_OBJECT_0) {
    Fail(__FILE__, __LINE__, "Setup did not end");
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

bool SetupSession::HasEnded() const {
  return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
}

void SetupSession::WaitForRepaint(HWND window) {
  if (!WaitUntil([&] { return IsPainted(window); })) {
    Fail(__FILE__, __LINE__, "the window was not repainted");
  }
  // Wine hands a painted window to the X server when the program next waits
  // for messages; give that a moment.
  Sleep(250);
}

void SetupSession::Picture(HWND window, const std::string& name) {
  WaitForRepaint(window);
  if (window == frame_) {
    bool held = heldEvent_ != nullptr && WaitForSingleObject(heldEvent_, 0) == WAIT_OBJECT_0 &&
                WaitForSingleObject(releaseEvent_, 0) != WAIT_OBJECT_0;
    textFit_->Check(frame_, process_.dwThreadId, held, name);
  }
  std::wstring file = settings_.pictureDir + L"\\" + std::wstring(name.begin(), name.end()) + L"-" +
                      std::wstring(settings_.language.begin(), settings_.language.end()) + L".bmp";
  SaveWindowPicture(window, file);
}

void SetupSession::ArmExtractionHold() {
  std::wstring suffix = std::to_wstring(process_.dwProcessId);
  heldEvent_ = CreateEventW(nullptr, TRUE, FALSE, (L"OrbivueE2E.Held." + suffix).c_str());
  releaseEvent_ = CreateEventW(nullptr, TRUE, FALSE, (L"OrbivueE2E.Release." + suffix).c_str());
  hookModule_ = LoadLibraryW((settings_.programDir + L"\\e2e_hold.dll").c_str());
  if (heldEvent_ == nullptr || releaseEvent_ == nullptr || hookModule_ == nullptr) {
    Fail(__FILE__, __LINE__, "cannot prepare the extraction hold");
  }
  auto proc = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void*>(GetProcAddress(hookModule_, "HoldHookProc")));
  hook_ = proc != nullptr
              ? SetWindowsHookExW(WH_CALLWNDPROCRET, proc, hookModule_, process_.dwThreadId)
              : nullptr;
  if (hook_ == nullptr) Fail(__FILE__, __LINE__, "cannot hook Setup's thread");
}

HWND SetupSession::WaitForHeldExtraction() {
  if (WaitForSingleObject(heldEvent_, 20000) != WAIT_OBJECT_0) {
    Fail(__FILE__, __LINE__, "the extraction page did not show its progress");
  }
  return Page();
}

void SetupSession::ReleaseExtraction() {
  SetEvent(releaseEvent_);
}
