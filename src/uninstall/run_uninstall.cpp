// The uninstaller's course: find the log beside the program, ask, remove
// with a progress window, and tell. A silent run shows nothing at all and
// answers with its exit code alone.
#include "uninstall/run_uninstall.h"

#include <cstring>

#include "platform/install_platform.h"
#include "platform/uninstall_platform.h"
#include "shared/log_records.h"
#include "shared/product_files.h"
#include "shared/text_buffers.h"
#include "uninstall/outcome_message.h"
#include "uninstall/product_places.h"
#include "uninstall/remove_product.h"
#include "uninstall/uninstall_texts.h"

namespace {

void Tell(bool russian, TextId text, const char* path, bool warning) {
  const MessagePart parts[] = {{Text(text, russian), false},
                               {"\n", false},
                               {path, true},
                               {"\n\n", false},
                               {Text(TextId::NothingRemoved, russian), false}};
  ShowUninstallMessage(Text(TextId::Caption, russian), parts, 5, warning);
}

}  // namespace

bool IsSilentCommandLine(const char* commandLine) {
  for (const char* p = commandLine; *p != '\0';) {
    while (*p == ' ' || *p == '\t') p++;
    const char* end = p;
    while (*end != '\0' && *end != ' ' && *end != '\t') end++;
    if (end - p == 2 && p[0] == '/' && (p[1] == 'S' || p[1] == 's')) return true;
    p = end;
  }
  return false;
}

bool ProductLanguageIsRussian(const char* folder) {
  char ini[PathCapacity], language[40];
  if (!CopyText(ini, folder, sizeof ini) || !AppendText(ini, ProductConfigName, sizeof ini))
    return false;
  if (QueryPath(ini) != PathKind::File) return false;
  ReadProfileValue(LanguageSection, LanguageKey, EnglishLanguage, language, sizeof language, ini);
  // Whatever the case of the letters A to Z.
  char russian[sizeof RussianLanguage];
  std::memcpy(russian, RussianLanguage, sizeof russian);
  for (char* text : {language, russian})
    for (char* c = text; *c != '\0'; c++)
      if (*c >= 'A' && *c <= 'Z') *c = char(*c + 32);
  return std::strcmp(language, russian) == 0;
}

int RunUninstall(bool silent) {
  char program[PathCapacity] = "", programs[PathCapacity] = "", desktop[PathCapacity] = "";
  GetProgramPath(program, sizeof program);
  GetShellFolder(false, programs);
  GetShellFolder(true, desktop);
  ProductPlaces places;
  SetProductPlaces(&places, program, programs, desktop);

  const bool russian =
      places.destination[0] != '\0' && ProductLanguageIsRussian(places.destination);
  char logPath[PathCapacity] = "";
  if (places.destination[0] == '\0' || !CopyText(logPath, places.destination, sizeof logPath) ||
      !AppendText(logPath, UninstallLogName, sizeof logPath)) {
    if (!silent) Tell(russian, TextId::NoLog, program, true);
    return ExitNotRemoved;
  }
  LogRecords records;
  const LogState state = ReadLogRecords(logPath, &records);
  if (state != LogState::Read) {
    if (!silent)
      Tell(russian, state == LogState::Missing ? TextId::NoLog : TextId::BadLog, logPath, true);
    return ExitNotRemoved;
  }
  AnchorLoggedDestination(&places, records);
  if (!silent && !AskYesNo(Text(TextId::Caption, russian), Text(TextId::Confirm, russian)))
    return ExitNotRemoved;

  if (!silent) OpenProgressWindow(Text(TextId::Caption, russian), Text(TextId::Working, russian));
  UninstallOutcome outcome;
  RemoveProduct(records, places, program, !silent, &outcome);
  if (!silent) {
    CloseProgressWindow();
    std::vector<bool> isPath;
    const std::vector<std::string> texts = OutcomeMessage(outcome, russian, &isPath);
    std::vector<MessagePart> parts;
    for (size_t i = 0; i < texts.size(); i++) parts.push_back({texts[i].c_str(), isPath[i]});
    ShowUninstallMessage(Text(TextId::Caption, russian), parts.data(), int(parts.size()),
                         outcome.ExitCode() != ExitRemoved);
  }
  return outcome.ExitCode();
}
