// Strings, the archive resource, message boxes, sounds, program starts,
// memory and the folder browser of the host stand-in.
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "archive/crc32.h"
#include "platform/host/host_resources.h"
#include "platform/host/host_system.h"
#include "platform/host/host_wizard.h"
#include "shared/text_buffers.h"

namespace {

struct HostBrowseItem {
  std::string path;
};

// Copies text into a buffer of capacity bytes, cutting as Windows' string
// loading does; returns the characters copied.
int CopyBounded(const std::string& text, char* out, int capacity) {
  if (capacity <= 0) return 0;
  size_t length = text.size() < size_t(capacity - 1) ? text.size() : size_t(capacity - 1);
  text.copy(out, length);
  out[length] = '\0';
  return int(length);
}

int ProgramStep() {
  return hostWizard.programStep ? hostWizard.programStep() : 0;
}

}  // namespace

int LoadResourceString(int id, char* text, int capacity) {
  std::string value;
  if (!FindResourceString(id, &value)) {
    if (capacity > 0) text[0] = '\0';
    return 0;
  }
  NoteShownText(value);
  return CopyBounded(value, text, capacity);
}

bool FindArchiveResource(int, const uint8_t** data, uint32_t* size) {
  *data = hostWizard.hasArchive ? hostWizard.archive.data() : nullptr;
  *size = hostWizard.hasArchive ? uint32_t(hostWizard.archive.size()) : 0;
  return hostWizard.hasArchive;
}

bool FindArchiveCheckValue(int, uint32_t* value) {
  if (!hostWizard.hasArchiveCheck) return false;
  if (hostWizard.archiveCheckGiven) {
    *value = hostWizard.archiveCheck;
    return true;
  }
  *value =
      ~UpdateCrc32(0xFFFFFFFFu, hostWizard.archive.data(), uint32_t(hostWizard.archive.size()));
  return true;
}

void ShowMessageBox(Window owner, const char* text, const char* caption) {
  bool onScreen = hostWizard.frame != nullptr && AsDialog(hostWizard.frame)->visible;
  // Without a caption Windows shows its default one, "Error".
  NoteShownText(text);
  hostWizard.messageBoxes.push_back({owner, text, caption != nullptr ? caption : "Error",
                                     ProgramStep(), onScreen, hostWizard.textsRussian});
}

void SoundSimpleBeep() {
  hostWizard.beepSteps.push_back(ProgramStep());
}

void StartProgram(const char* programPath) {
  hostWizard.startedPrograms.push_back(programPath);
}

bool GetSetupArguments(char* out, int capacity) {
  if (int(hostWizard.commandLine.size()) >= capacity) return false;
  std::memcpy(out, hostWizard.commandLine.c_str(), hostWizard.commandLine.size() + 1);
  return hostWizard.commandLineExact;
}

// The stand-in's log file: the real file in the sandbox, the text as it
// comes (the stand-in's paths are ASCII, the same in UTF-8).
RunLogFile CreateRunLogFile(const char* path) {
  FILE* file = std::fopen(HostPath(path).c_str(), "wb");
  return file;
}

void AppendRunLogLine(RunLogFile file, const char* text) {
  if (file == nullptr) return;
  std::fprintf(static_cast<FILE*>(file), "%s\r\n", text);
  std::fflush(static_cast<FILE*>(file));
}

void CloseRunLogFile(RunLogFile file) {
  if (file != nullptr) std::fclose(static_cast<FILE*>(file));
}

bool ClaimSingleInstance() {
  return !hostWizard.otherSetupRunning;
}

void BringRunningSetupToFront() {
  hostWizard.runningSetupBroughtToFront++;
}

uint32_t TotalPhysicalBytes() {
  return hostWizard.physicalBytes;
}

BrowseItem RunFolderBrowser(const char* title, char* displayName, BrowserCallback callback) {
  if (hostWizard.browserScripts.empty()) {
    throw std::runtime_error("host stand-in: the folder browser opened without a script");
  }
  HostBrowserScript script = hostWizard.browserScripts.front();
  hostWizard.browserScripts.pop_front();
  NoteShownText(title);
  hostWizard.browsers.push_back(HostBrowserRecord{title, "", "", {}});
  FolderBrowser browser = reinterpret_cast<FolderBrowser>(&hostWizard.browsers.back());
  callback(browser, BrowserEvent::Initialized, nullptr);
  for (const std::string& folder : script.selections) {
    HostBrowseItem item{folder};
    callback(browser, BrowserEvent::SelectionChanged, reinterpret_cast<BrowseItem>(&item));
  }
  if (script.cancel || script.selections.empty()) return nullptr;
  const std::string& chosen = script.selections.back();
  size_t slash = chosen.find_last_of('\\');
  CopyBounded(slash == std::string::npos ? chosen : chosen.substr(slash + 1), displayName,
              PathBufferSize);
  hostWizard.browseItemsOut++;
  return reinterpret_cast<BrowseItem>(new HostBrowseItem{chosen});
}

bool BrowseItemPath(BrowseItem item, char* path) {
  path[0] = '\0';
  if (item == nullptr) return false;
  const std::string& folder = reinterpret_cast<HostBrowseItem*>(item)->path;
  // Items such as "My Computer" have no folder path; paths beyond MAX_PATH do not come back.
  if (folder.empty() || folder.size() >= size_t(PathBufferSize)) return false;
  CopyBounded(folder, path, PathBufferSize);
  return true;
}

void ReleaseBrowseItem(BrowseItem item) {
  if (item == nullptr) return;
  hostWizard.browseItemsOut--;
  delete reinterpret_cast<HostBrowseItem*>(item);
}

void SetBrowserCaption(FolderBrowser browser, const char* caption) {
  NoteShownText(caption);
  reinterpret_cast<HostBrowserRecord*>(browser)->caption = caption;
}

void SelectBrowserFolder(FolderBrowser browser, const char* path) {
  reinterpret_cast<HostBrowserRecord*>(browser)->initialSelection = path;
}

void SetBrowserStatusText(FolderBrowser browser, const char* text) {
  reinterpret_cast<HostBrowserRecord*>(browser)->statusTexts.push_back(text);
}
