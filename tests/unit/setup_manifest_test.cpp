// The package manager's manifest in docs/winget/ says what Setup does: its
// switches are Setup's own and do what the manifest's keys mean, its return
// codes are Setup's exit codes, its version is the release's.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "answers/command_line.h"
#include "wizard/unattended_run.h"

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// "key: value" of the manifest's lines, the value of a key's last line
// wins; return codes as code -> response.
struct Manifest {
  std::map<std::string, std::string> values;
  std::map<int, std::string> returnCodes;
};

Manifest ReadManifest(const std::string& path) {
  Manifest m;
  std::istringstream lines(ReadText(path));
  std::string line;
  int code = -1;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string key = line.substr(0, colon), value = line.substr(colon + 1);
    key.erase(0, key.find_first_not_of(" -"));
    value.erase(0, value.find_first_not_of(' '));
    if (key == "InstallerReturnCode") code = std::stoi(value);
    if (key == "ReturnResponse" && code >= 0) m.returnCodes[code] = value;
    m.values[key] = value;
  }
  return m;
}

TEST(PackageManifest, SaysWhatSetupDoes) {
  const Manifest m = ReadManifest(ORBIVUE_SOURCE_DIR "/docs/winget/Orbivue.Orbivue.yaml");
  std::string version = ReadText(ORBIVUE_SOURCE_DIR "/VERSION");
  version.erase(version.find_last_not_of(" \r\n") + 1);
  EXPECT_EQ(m.values.at("PackageVersion"), version);
  EXPECT_EQ(m.values.at("InstallerType"), "exe");
  EXPECT_EQ(m.values.at("Scope"), "machine");
  EXPECT_EQ(m.values.at("ElevationRequirement"), "elevationRequired");

  // Each switch is in the usage and means what the manifest's key says.
  const std::string usage = UsageText();
  const struct {
    const char* key;
    RunMode mode;
  } modes[] = {{"Silent", RunMode::Silent}, {"SilentWithProgress", RunMode::Passive}};
  for (const auto& mode : modes) {
    const std::string value = m.values.at(mode.key);
    EXPECT_NE(usage.find(value), std::string::npos) << value;
    CommandLine line;
    char reason[ReasonSize];
    ASSERT_TRUE(ParseCommandLine(value.c_str(), &line, reason)) << reason;
    EXPECT_EQ(line.mode, mode.mode) << value;
  }
  std::string location = m.values.at("InstallLocation"), log = m.values.at("Log");
  ASSERT_EQ(location, "/D=<INSTALLPATH>");
  ASSERT_EQ(log, "/LOG=\"<LOGPATH>\"");
  EXPECT_NE(usage.find("[/LOG=FILE]"), std::string::npos);
  EXPECT_NE(usage.find("[/D=FOLDER]"), std::string::npos);
  // As the package manager fills them in (the log's path quoted, blanks and
  // all): the log before the destination, which takes the rest of the line.
  std::string filled = m.values.at("Silent") + " " + log + " " + location;
  filled.replace(filled.find("<LOGPATH>"), 9, "C:\\Logs\\Orbivue install.log");
  filled.replace(filled.find("<INSTALLPATH>"), 13, "C:\\Program Files\\Orbivue");
  CommandLine line;
  char reason[ReasonSize];
  ASSERT_TRUE(ParseCommandLine(filled.c_str(), &line, reason)) << reason;
  EXPECT_STREQ(line.destination, "C:\\Program Files\\Orbivue");
  EXPECT_STREQ(line.logFile, "C:\\Logs\\Orbivue install.log");

  // The return codes are Setup's, each with its cause in the usage.
  const std::map<int, std::string> expected = {{SetupCancelled, "cancelledByUser"},
                                               {SetupRefused, "invalidParameter"},
                                               {SetupAlreadyRunning, "installInProgress"},
                                               {SetupDamaged, "contactSupport"},
                                               {SetupStepFailed, "contactSupport"}};
  EXPECT_EQ(m.returnCodes, expected);
  for (const char* cause :
       {"1 cancelled", "2 a bad command line or a refused answer", "3 another Setup is running",
        "4 the installer is damaged", "5 an installation step failed"})
    EXPECT_NE(usage.find(cause), std::string::npos) << cause;
}

}  // namespace
