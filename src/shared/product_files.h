// The names through which Setup and the product's uninstaller meet: the
// files Setup leaves in the destination, the sections of its uninstall log,
// the system's uninstall entry, and the places of the shortcuts and filters
// it makes. Setup writes them; the uninstaller finds and checks by them.
#pragma once

// Files in the destination folder.
constexpr char UninstallLogName[] = "Uninstall.ini";
// The next version of the log, written beside it before it takes its place:
// the log's name and NextVersionSuffix.
constexpr char NextVersionSuffix[] = ".new";
constexpr char UninstallLogNextName[] = "Uninstall.ini.new";
constexpr char ProductConfigName[] = "Orbivue.ini";  // the viewer's settings
constexpr char ViewerProgramName[] = "Orbivue.exe";
// As the shortcut and the uninstall entry name it; the archive stores
// "uninstall.exe", and the file system does not tell the two apart.
constexpr char UninstallerName[] = "Uninstall.exe";

// The sections of the uninstall log: one numbered record per folder made,
// per file written or shortcut made, and per filter registered.
constexpr char DirsSection[] = "Dirs";
constexpr char FilesSection[] = "Files";
constexpr char FiltersSection[] = "Filters";

// The system's uninstall entry: HKEY_LOCAL_MACHINE\UninstallKeyParent,
// key UninstallKeyName, whose "UninstallString" runs the uninstaller.
constexpr char UninstallKeyParent[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char UninstallKeyName[] = "Orbivue";
constexpr char UninstallCommandValue[] = "UninstallString";

// The program group below the user's Programs folder, and the one
// shortcut on the desktop.
constexpr char ProgramGroupFolder[] = "Orbivue\\";
constexpr char DesktopLinkName[] = "Orbivue.lnk";

// The filters Setup may register, in the destination's FiltersFolder.
constexpr char FiltersFolder[] = "Filters\\";
constexpr char ElecardDecoderFilter[] = "mpgdec.ax";
constexpr char ElecardLibraryFilter[] = "mlcom.ax";
constexpr char TwinHanSourceFilter[] = "thsource.ax";

// The viewer's language in its settings, which the uninstaller speaks too.
constexpr char LanguageSection[] = "Options";
constexpr char LanguageKey[] = "Language";
constexpr char EnglishLanguage[] = "English";
constexpr char RussianLanguage[] = "Russian";
