// One run of Setup.exe under the driver's hands: started, found by its
// frame, worked through its controls as a person would, and read back.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "product_entries.h"
#include "text_fit_watch.h"

// How long an installation may take before the finish page shows.
constexpr DWORD InstallationTimeoutMs = 180000;

struct DriverSettings {
  std::wstring programDir;  // where the driver's helpers are
  std::wstring setupDir;    // where Setup.exe is: programDir, or a product's own folder
  std::wstring pictureDir;  // where pictures go (BMP; the test script converts them)
  std::string language;     // "en" or "ru": the picture names' suffix
  // Where Setup keeps its count of decoded bytes, from the start of its
  // image (0: unknown), and the payload's unpacked bytes to hold it to.
  DWORD decodedCountOffset = 0;
  unsigned long long payloadBytes = 0;
  // Where Setup keeps its counts of the uninstall log's writes and of their
  // bytes (0: unknown); reported beside the decoded bytes.
  DWORD logWriteCountOffset = 0, logByteCountOffset = 0;
  // The entries of the archive Setup carries, in order (empty: not given).
  std::vector<ProductEntry> entries;
  LONG EntryCount() const { return LONG(entries.size()); }
  // How long an installation may take before its finish page shows; a
  // benchmark of a large product gives more.
  DWORD installationTimeoutMs = InstallationTimeoutMs;
};

class SetupSession {
 public:
  // Starts Setup.exe with arguments (none: the wizard); without a frame
  // expected (a silent run), it is not waited for.
  explicit SetupSession(const DriverSettings& settings, const std::wstring& arguments = L"",
                        bool expectFrame = true);
  ~SetupSession();  // ends Setup if a failed scenario left it running
  SetupSession(const SetupSession&) = delete;
  SetupSession& operator=(const SetupSession&) = delete;

  const DriverSettings& Settings() const { return settings_; }
  HANDLE Process() const { return process_.hProcess; }
  DWORD ThreadId() const { return process_.dwThreadId; }
  HWND Frame() const { return frame_; }

  // The page on screen once it holds the control that marks it (for
  // instance 1023 for the options page); fails after timeoutMs without it.
  // The finish page comes after the installation: wait for it with
  // InstallationTimeoutMs.
  HWND WaitForPage(int markControl, DWORD timeoutMs = 10000);
  HWND Page() const;

  // Buttons. Click waits for Setup to handle the click; Press only posts
  // it, for clicks after which Setup opens a modal window or ends.
  void Click(HWND dialog, int id);
  void Press(HWND dialog, int id);
  void PressCloseBox();

  // Reading controls.
  std::wstring Text(HWND dialog, int id) const;
  bool IsChecked(HWND dialog, int id) const;
  bool IsEnabled(HWND dialog, int id) const;
  bool IsVisible(HWND dialog, int id) const;

  // Typing into an edit: the old text is selected and typed over.
  void Type(HWND dialog, int id, const std::wstring& text);

  // The drop-down list.
  std::vector<std::wstring> ListRows(HWND dialog, int id) const;
  int SelectedRow(HWND dialog, int id) const;
  void PickRow(HWND dialog, int id, int row);

  // The list view with check boxes.
  std::vector<std::wstring> ListViewTexts(HWND dialog, int id) const;
  std::vector<bool> ListViewTicks(HWND dialog, int id) const;
  void ClickListViewBox(HWND dialog, int id, int index);

  // Top-level windows of Setup other than the frame: message boxes and the
  // folder browser. Null when none is there (the Find forms do not wait).
  HWND FindMessageBox() const;
  HWND WaitForMessageBox();
  std::wstring MessageText(HWND box) const;
  HWND WaitForBrowser();

  // The tree of the folder browser.
  void SelectParentFolder(HWND browser);
  std::wstring SelectedFolderText(HWND browser) const;

  // Waits for Setup to end; returns its exit code. Fails if it does not end.
  DWORD WaitForExit();
  bool HasEnded() const;

  // A picture of a window of Setup, named NAME-LANGUAGE.bmp in the picture
  // folder. A picture of the frame also checks that every text on it fits
  // its control (fails naming the cut ones).
  void Picture(HWND window, const std::string& name);

  // Holds Setup at the first moment its progress bar has been painted (a
  // hook inside Setup waits there) so that the extraction page can be seen
  // and acted on; Release lets it go on.
  void ArmExtractionHold();
  HWND WaitForHeldExtraction();
  void ReleaseExtraction();

 private:
  HWND WaitForFrame();
  void WaitForRepaint(HWND window);

  DriverSettings settings_;
  PROCESS_INFORMATION process_ = {};
  HWND frame_ = nullptr;
  HHOOK hook_ = nullptr;
  HMODULE hookModule_ = nullptr;
  HANDLE heldEvent_ = nullptr;
  HANDLE releaseEvent_ = nullptr;
  std::unique_ptr<TextFitWatch> textFit_;
};

// Polls condition every 10 ms until it holds or about timeoutMs pass.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = 10000) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
}

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
