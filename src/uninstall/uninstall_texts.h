// The uninstaller's own texts, in English and in Russian (code page 1251).
#pragma once

struct UninstallText {
  const char* english;
  const char* russian;
};

enum class TextId {
  Caption,
  Confirm,
  Working,
  NoLog,
  BadLog,
  NothingRemoved,
  AllRemoved,
  PartlyRemoved,
  RemovedCounts,
  EntryRemoved,
  EntryKept,
  EntryForeign,
  FilesLeft,
  FiltersLeft,
  FoldersKept,
  Refused,
  AtRestart,
  More,
  Links,
  NoRecordOurs,
  OthersKept
};

extern const UninstallText UninstallTexts[];

inline const char* Text(TextId id, bool russian) {
  const UninstallText& t = UninstallTexts[int(id)];
  return russian ? t.russian : t.english;
}
