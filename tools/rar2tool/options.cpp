#include "options.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "commands.h"
#include "release/release_identity.h"

namespace {

// The tool's own version, and the product release it was built with.
const char Version[] = "rar2tool 2.0 (" RELEASE_PRODUCT_NAME " " RELEASE_VERSION_TEXT ")";

bool AskPassword(PasswordOption* option, bool confirm, std::string* error);

// rar's own spelling of the password option: "-pSECRET" carries it, a bare
// "-p" asks for it. CLI11 takes neither form, so they are renamed first.
std::vector<std::string> RenamePasswordForms(int argc, char** argv) {
  std::vector<std::string> args;
  bool operandsOnly = false;
  for (int i = 1; i < argc; i++) {
    const std::string a = argv[i];
    if (operandsOnly) {
      args.push_back(a);
    } else if (a == "--") {
      operandsOnly = true;
      args.push_back(a);
    } else if (a == "-p") {
      args.push_back("--ask-password");
    } else if (a.size() > 2 && a.compare(0, 2, "-p") == 0) {
      args.push_back("--password=" + a.substr(2));
    } else if (a.size() > 3 && a.compare(0, 2, "--") == 0 && a.back() == '=' &&
               a.find('=') == a.size() - 1) {
      // "--name=" with nothing after it: the parser would take the next
      // argument as the value; the empty value is passed as such instead.
      args.push_back(a.substr(0, a.size() - 1));
      args.push_back("");
    } else {
      args.push_back(a);
    }
  }
  return args;
}

void AddPasswordOptions(CLI::App* command, PasswordOption* option, const char* what) {
  command
      ->add_option("--password", option->password,
                   std::string("password ") + what + " (also -pPASSWORD)")
      ->type_name("PASSWORD")
      ->each([option](const std::string&) { option->given = true; });
  command->add_flag("--ask-password", option->ask,
                    std::string("ask for the password on the terminal (also a bare -p)"));
}

void AddNonAsciiOption(CLI::App* command, bool* allow) {
  command->add_flag("--allow-non-ascii-names", *allow,
                    "with the setup layout's checks, warn of names outside ASCII (Setup "
                    "creates them as named only under code page 1251) instead of failing");
}

// The level and audio choices share rar's -m: -m0..-m5, -mm, -mm-.
bool ApplyMethods(const std::vector<std::string>& methods, packer::ArchiveSettings* settings,
                  bool* levelGiven, std::string* error) {
  for (const std::string& m : methods) {
    if (m.size() == 1 && m[0] >= '0' && m[0] <= '5') {
      settings->level = m[0] - '0';
      *levelGiven = true;
    } else if (m == "m") {
      settings->audio = packer::AudioChoice::Always;
    } else if (m == "m-") {
      settings->audio = packer::AudioChoice::Never;
    } else {
      *error = "-m" + m + ": expected -m0 to -m5, -mm or -mm-";
      return false;
    }
  }
  return true;
}

// --entry-time takes seconds since 1970 that an entry's MS-DOS time can
// hold, judged in local time as the files' own times are converted.
bool ParseEntryTime(const std::string& text, int64_t* seconds, std::string* error) {
  const std::string option = "--entry-time=" + text;
  // Twelve digits reach past 2107 already; more would only overflow.
  if (text.empty() || text.size() > 12 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    *error = option + ": expected a Unix time in seconds (a non-negative integer)";
    return false;
  }
  const std::time_t when = std::time_t(std::stoll(text));
  struct tm local;
  if (localtime_r(&when, &local) == nullptr || local.tm_year < 80 || local.tm_year > 207) {
    *error = option + ": outside the years 1980 to 2107 that an entry's DOS time holds";
    return false;
  }
  *seconds = int64_t(when);
  return true;
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n') c = ' ';
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

bool ParseCommandLine(int argc, char** argv, ToolOptions* o, int* exitCode) {
  CLI::App app{
      "rar2tool: lists, tests, extracts and makes RAR 2.x archives, and reads the "
      "archive inside a built Setup.exe"};
  app.name("rar2tool");
  app.set_version_flag("--version", Version);
  app.require_subcommand(1);

  CLI::App* list = app.add_subcommand("list", "list the entries of ARCHIVE");
  list->add_option("ARCHIVE", o->archive, "archive or Setup.exe (- for standard input)")
      ->required();

  CLI::App* test = app.add_subcommand("test", "check every header and every entry of ARCHIVE");
  test->add_option("ARCHIVE", o->archive, "archive or Setup.exe (- for standard input)")
      ->required();
  AddPasswordOptions(test, &o->password, "of encrypted entries");
  test->add_flag("-q,--quiet", o->quiet,
                 "no progress line, and only the failed entries and the count printed");
  test->add_flag("--setup-layout", o->setupLayout,
                 "also check what Setup would fail on or the product would miss (always done "
                 "for a Setup.exe, and for an archive of the layout's shape: solid, no end "
                 "block, method 0x35 for every entry, folders too)");
  AddNonAsciiOption(test, &o->allowNonAsciiNames);

  CLI::App* extract = app.add_subcommand("extract", "extract ARCHIVE into DIR");
  extract->add_option("ARCHIVE", o->archive, "archive or Setup.exe (- for standard input)")
      ->required();
  extract->add_option("DIR", o->dir, "destination folder, made with its parents")->required();
  AddPasswordOptions(extract, &o->password, "of encrypted entries");
  CLI::Option* overwrite =
      extract->add_flag("-o,--overwrite", o->overwrite, "replace files that exist");
  extract->add_flag("-k,--keep", o->keep, "keep files that exist, skip their entries")
      ->excludes(overwrite);
  extract->add_flag("-q,--quiet", o->quiet, "no progress line");

  CLI::App* pack = app.add_subcommand("pack", "make ARCHIVE from files and folders");
  std::vector<std::string> methods;
  pack->add_option("-m", methods,
                   "-m0 stores, -m1..-m5 compress (default -m3); -mm forces "
                   "audio compression, -mm- forbids it")
      ->type_name("{0..5,m,m-}")
      ->allow_extra_args(false);
  pack->add_flag("-s,--solid", o->pack.solid, "solid archive");
  pack->add_flag("--setup-layout", o->pack.setupLayout,
                 "the shape of Setup.exe's embedded archive (solid, -m5 unless given); "
                 "refuses a product Setup would fail on or that misses files it relies on");
  AddNonAsciiOption(pack, &o->allowNonAsciiNames);
  std::string entryTime;
  CLI::Option* entryTimeOption =
      pack->add_option("--entry-time", entryTime,
                       "give every entry this time (seconds since 1970) instead of its "
                       "file's, so that copies of a tree with other times pack alike")
          ->type_name("SECONDS");
  AddPasswordOptions(pack, &o->password, "to encrypt with");
  pack->add_flag("-q,--quiet", o->quiet, "no progress line");
  pack->add_option("ARCHIVE", o->archive,
                   "archive to write (an existing archive is replaced; - for standard output)")
      ->required();
  pack->add_option("PATH", o->paths, "files and folders to pack")->required();

  for (CLI::App* command : {list, test, extract, pack}) command->fallthrough(false);

  std::vector<std::string> args = RenamePasswordForms(argc, argv);
  std::reverse(args.begin(), args.end());  // CLI11 takes them last first
  try {
    app.parse(args);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);  // the subcommand's, when one was named
    *exitCode = ExitOk;
    return false;
  } catch (const CLI::CallForVersion&) {
    std::printf("%s\n", Version);
    *exitCode = ExitOk;
    return false;
  } catch (const CLI::ParseError& e) {
    Fail(OneLine(e.what()) + " (try rar2tool --help)");
    *exitCode = ExitUsage;
    return false;
  }
  o->command = app.get_subcommands().front()->get_name();
  std::string error;
  if (o->command == "pack") {
    bool levelGiven = false;
    if (!ApplyMethods(methods, &o->pack, &levelGiven, &error)) {
      Fail(error + " (try rar2tool pack --help)");
      *exitCode = ExitUsage;
      return false;
    }
    if (o->pack.setupLayout && !levelGiven) o->pack.level = 5;
    if (entryTimeOption->count() > 0 && !ParseEntryTime(entryTime, &o->entryTime, &error)) {
      Fail(error + " (try rar2tool pack --help)");
      *exitCode = ExitUsage;
      return false;
    }
  }
  if (o->password.given || !o->password.password.empty()) o->password.given = true;
  if (o->password.given && o->password.password.empty()) {
    Fail("an empty password was given (a bare -p asks for one)");
    *exitCode = ExitUsage;
    return false;
  }
  return true;
}

bool ResolvePassword(PasswordOption* option, bool confirm, std::string* error) {
  if (option->ask && !option->given && !AskPassword(option, confirm, error)) return false;
  if (option->password.size() > 255) {
    *error = "password longer than 255 bytes";
    return false;
  }
  return true;
}

namespace {

bool AskPassword(PasswordOption* option, bool confirm, std::string* error) {
  const int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
  if (tty < 0) {
    *error = "-p: no terminal to ask for the password on (give it as -pPASSWORD)";
    return false;
  }
  struct termios saved;
  const bool isTerminal = tcgetattr(tty, &saved) == 0;
  auto readOne = [&](const char* prompt, std::string* out) {
    if (write(tty, prompt, std::strlen(prompt)) < 0) return false;
    if (isTerminal) {
      struct termios quiet = saved;
      quiet.c_lflag &= ~tcflag_t(ECHO);
      tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    out->clear();
    char c;
    bool ok = false;
    while (read(tty, &c, 1) == 1) {
      if (c == '\n' || c == '\r') {
        ok = true;
        break;
      }
      *out += c;
    }
    if (isTerminal) tcsetattr(tty, TCSAFLUSH, &saved);
    if (write(tty, "\n", 1) < 0) return false;
    return ok;
  };
  std::string first, second;
  bool ok = readOne("Password: ", &first);
  if (ok && confirm) ok = readOne("Password again: ", &second);
  close(tty);
  if (!ok) {
    *error = "-p: no password was entered";
    return false;
  }
  if (first.empty()) {
    *error = "-p: the password is empty";
    return false;
  }
  if (confirm && first != second) {
    *error = "-p: the two passwords differ";
    return false;
  }
  option->password = first;
  option->given = true;
  return true;
}

}  // namespace
