// Steps that many scenarios share.
#include "check.h"
#include "scenarios.h"

void CheckList(const std::vector<std::wstring>& actual, const std::vector<std::wstring>& expected,
               const char* what) {
  std::string shown;
  for (const auto& row : actual) shown += " \"" + Narrow(row) + "\"";
  if (actual.size() != expected.size()) {
    Fail(__FILE__, __LINE__,
         std::string(what) + " has " + std::to_string(actual.size()) + " rows:" + shown);
  }
  for (size_t i = 0; i < actual.size(); i++) {
    if (actual[i] != expected[i]) {
      Fail(__FILE__, __LINE__,
           std::string(what) + " row " + std::to_string(i) + " is \"" + Narrow(actual[i]) +
               "\", expected \"" + Narrow(expected[i]) + "\"");
    }
  }
}

void CheckTicks(const std::vector<bool>& actual, const std::vector<bool>& expected) {
  auto show = [](const std::vector<bool>& ticks) {
    std::string text;
    for (bool tick : ticks) text += tick ? "X" : "-";
    return text;
  };
  if (actual != expected) {
    Fail(__FILE__, __LINE__, "module boxes are " + show(actual) + ", expected " + show(expected));
  }
}

void CheckEndsSilently(SetupSession& session) {
  HWND box = nullptr;
  bool ended = WaitUntil([&] {
    box = session.FindMessageBox();
    return box != nullptr || session.HasEnded();
  });
  if (box != nullptr) {
    Fail(__FILE__, __LINE__,
         "a message box appeared: \"" + Narrow(session.MessageText(box)) + "\"");
  }
  CHECK(ended);
  CHECK_EQ_INT(session.WaitForExit(), 0);
}

void CloseStartedViewer() {
  WaitUntil([] { return FindWindowW(L"OrbivueViewer", nullptr) != nullptr; }, 2000);
  for (HWND viewer; (viewer = FindWindowW(L"OrbivueViewer", nullptr)) != nullptr;) {
    PostMessageW(viewer, WM_CLOSE, 0, 0);
    if (!WaitUntil([&] { return !IsWindow(viewer); }, 5000)) break;
  }
}

HWND NextToOptions(SetupSession& session, bool russian) {
  HWND page = session.WaitForPage(ids::Russian);
  session.Click(page, russian ? ids::Russian : ids::English);
  session.Click(session.Frame(), ids::Next);
  return session.WaitForPage(ids::Devices);
}

HWND NextToFinish(SetupSession& session, HWND optionsPage, const std::wstring& destination) {
  session.Type(optionsPage, ids::Destination, destination + L"\\");
  session.PickRow(optionsPage, ids::Devices, 2);
  session.Click(session.Frame(), ids::Next);
  session.WaitForPage(ids::BufferSize);
  session.Click(session.Frame(), ids::Next);
  session.WaitForPage(ids::Modules);
  session.Click(session.Frame(), ids::Next);
  return session.WaitForPage(ids::RunBox, InstallationTimeoutMs);
}
