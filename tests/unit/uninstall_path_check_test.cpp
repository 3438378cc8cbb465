// Which records of the log the uninstaller may act on: plain full paths
// inside the product's folder, its program group, or the desktop's link.
#include <gtest/gtest.h>

#include <string>

#include "uninstall/product_places.h"

namespace {

class PathCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProductPlaces(&places_, "C:\\Program Files\\Orbivue\\Uninstall.exe",
                     "C:\\users\\test\\Start Menu\\Programs", "C:\\users\\test\\Desktop");
  }
  PathVerdict Check(const std::string& path, RecordKind kind = RecordKind::File) const {
    return CheckRecordPath(path.c_str(), kind, places_);
  }
  ProductPlaces places_;
};

TEST_F(PathCheck, PlacesComeFromTheProgramsFolderAndTheShell) {
  EXPECT_STREQ(places_.destination, "C:\\Program Files\\Orbivue\\");
  EXPECT_STREQ(places_.programGroup, "C:\\users\\test\\Start Menu\\Programs\\Orbivue\\");
  EXPECT_STREQ(places_.desktopLink, "C:\\users\\test\\Desktop\\Orbivue.lnk");
}

TEST_F(PathCheck, PathsInsideTheProductsPlacesAreAcceptedWithoutRegardToCase) {
  for (const char* path :
       {"C:\\Program Files\\Orbivue\\Orbivue.exe", "c:\\PROGRAM FILES\\orbivue\\Modules\\a.Module",
        "C:\\users\\test\\Start Menu\\Programs\\Orbivue\\Uninstall.lnk",
        "c:\\Users\\Test\\Desktop\\orbivue.LNK"})
    EXPECT_EQ(Check(path), PathVerdict::Accepted) << path;
  for (const char* folder : {"C:\\Program Files\\Orbivue\\", "C:\\Program Files\\Orbivue",
                             "C:\\Program Files\\Orbivue\\Modules\\boot\\24",
                             "C:\\users\\test\\Start Menu\\Programs\\Orbivue\\"})
    EXPECT_EQ(Check(folder, RecordKind::Folder), PathVerdict::Accepted) << folder;
  EXPECT_EQ(Check("C:\\Program Files\\Orbivue\\Filters\\mpgdec.ax", RecordKind::Filter),
            PathVerdict::Accepted);
}

TEST_F(PathCheck, WholeNamesAreComparedNotTheirBeginnings) {
  EXPECT_EQ(Check("C:\\Program Files\\OrbivueOld\\Orbivue.exe"), PathVerdict::OutsideProduct);
  EXPECT_EQ(Check("C:\\Program Files\\Orbivue2", RecordKind::Folder), PathVerdict::OutsideProduct);
  EXPECT_EQ(Check("C:\\users\\test\\Start Menu\\Programs\\OrbivueTools\\x.lnk"),
            PathVerdict::OutsideProduct);
  EXPECT_EQ(Check("C:\\users\\test\\Desktop\\Orbivue.lnk.bak"), PathVerdict::OutsideProduct);
}

TEST_F(PathCheck, PathsOutsideThePlacesAreRefused) {
  EXPECT_EQ(Check("c:\\windows\\win.ini"), PathVerdict::OutsideProduct);
  EXPECT_EQ(Check("C:\\Program Files\\Other\\x.exe"), PathVerdict::OutsideProduct);
  EXPECT_EQ(Check("D:\\Program Files\\Orbivue\\Orbivue.exe"), PathVerdict::OutsideProduct);
  EXPECT_EQ(Check("C:\\", RecordKind::Folder), PathVerdict::OutsideProduct);
  EXPECT_EQ(Check("C:\\Program Files", RecordKind::File), PathVerdict::OutsideProduct);
  // A folder above the destination is one Setup made when it was missing
  // (the uninstaller removes it only when empty, and only when the log
  // lists it before the destination); a drive's root never is.
  EXPECT_EQ(Check("C:\\Program Files", RecordKind::Folder), PathVerdict::Accepted);
  EXPECT_EQ(Check("C:\\Program Files\\", RecordKind::Folder), PathVerdict::Accepted);
  EXPECT_EQ(Check("D:\\Program Files", RecordKind::Folder), PathVerdict::OutsideProduct);
  // The desktop itself and its other links are not the product's.
  EXPECT_EQ(Check("C:\\users\\test\\Desktop\\Other.lnk"), PathVerdict::OutsideProduct);
  EXPECT_EQ(Check("C:\\users\\test\\Desktop", RecordKind::Folder), PathVerdict::OutsideProduct);
  // The Programs folder holds the group, but is not the product's.
  EXPECT_EQ(Check("C:\\users\\test\\Start Menu\\Programs\\", RecordKind::Folder),
            PathVerdict::OutsideProduct);
}

TEST_F(PathCheck, AFileIsNeverAPlaceItselfAndAFilterLivesInTheProductsFolder) {
  EXPECT_EQ(Check("C:\\Program Files\\Orbivue"), PathVerdict::OutsideProduct);
  EXPECT_EQ(Check("C:\\Program Files\\Orbivue\\"), PathVerdict::NotFullPath);
  EXPECT_EQ(Check("C:\\users\\test\\Start Menu\\Programs\\Orbivue\\x.ax", RecordKind::Filter),
            PathVerdict::OutsideProduct);
  EXPECT_EQ(Check("C:\\users\\test\\Desktop\\Orbivue.lnk", RecordKind::Filter),
            PathVerdict::OutsideProduct);
}

TEST_F(PathCheck, ForeignFormsAreRefusedBeforeAnyComparison) {
  const std::string in = "C:\\Program Files\\Orbivue\\";
  struct {
    std::string path;
    PathVerdict verdict;
  } cases[] = {
      {in + "..\\..\\windows\\win.ini", PathVerdict::DotName},
      {in + "Modules\\..\\..\\Other\\x.exe", PathVerdict::DotName},
      {in + ".\\Orbivue.exe", PathVerdict::DotName},
      {in + "Orbivue.exe.", PathVerdict::DotName},
      {in + "Orbivue.exe ", PathVerdict::DotName},
      {in + "...\\x", PathVerdict::DotName},
      {"C:/Program Files/Orbivue/Orbivue.exe", PathVerdict::NotFullPath},
      {in + "Modules/a.Module", PathVerdict::NotFullPath},
      {"\\\\?\\" + in + "Orbivue.exe", PathVerdict::NotFullPath},
      {"\\\\.\\" + in + "Orbivue.exe", PathVerdict::NotFullPath},
      {"\\\\server\\share\\Orbivue\\Orbivue.exe", PathVerdict::NotFullPath},
      {"\\??\\" + in + "Orbivue.exe", PathVerdict::NotFullPath},
      {"C:Program Files\\Orbivue\\Orbivue.exe", PathVerdict::NotFullPath},
      {"\\Program Files\\Orbivue\\Orbivue.exe", PathVerdict::NotFullPath},
      {"Orbivue.exe", PathVerdict::NotFullPath},
      {"1:\\Program Files\\Orbivue\\x", PathVerdict::NotFullPath},
      {in + "Modules\\\\a.Module", PathVerdict::NotFullPath},
      {in + "Orbivue.exe:stream", PathVerdict::BadCharacter},
      {in + "*.exe", PathVerdict::BadCharacter},
      {in + "a?b", PathVerdict::BadCharacter},
      {in + "a\"b", PathVerdict::BadCharacter},
      {in + "a\tb", PathVerdict::BadCharacter},
      {in + "CON", PathVerdict::DeviceName},
      {in + "nul.txt", PathVerdict::DeviceName},
      {in + "Modules\\com1", PathVerdict::DeviceName},
      {in + "LPT9.log", PathVerdict::DeviceName},
      {"", PathVerdict::Empty},
      {in + std::string(260, 'a'), PathVerdict::TooLong},
      {in + std::string(260 - in.size(), 'a'), PathVerdict::TooLong},
      {"C:\\" + std::string(256, 'a'), PathVerdict::TooLong},  // one name too long
  };
  for (const auto& c : cases) EXPECT_EQ(Check(c.path), c.verdict) << c.path;
  // Names that only resemble devices or dots are ordinary names.
  for (const char* name : {"CONSOLE.txt", "com10", "a..b", ".profile", "COM0"})
    EXPECT_EQ(Check(in + name), PathVerdict::Accepted) << name;
  EXPECT_EQ(Check(in + std::string(259 - in.size(), 'a')), PathVerdict::Accepted);
}

TEST_F(PathCheck, AProgramInADrivesRootHasNoProductFolder) {
  ProductPlaces places;
  SetProductPlaces(&places, "C:\\Uninstall.exe", "C:\\users\\test\\Start Menu\\Programs",
                   "C:\\users\\test\\Desktop");
  EXPECT_STREQ(places.destination, "");
  SetProductPlaces(&places, "C:\\\\Uninstall.exe", "", "");  // the root behind a doubled "\\"
  EXPECT_STREQ(places.destination, "");
  SetProductPlaces(&places, "C:\\Uninstall.exe", "C:\\users\\test\\Start Menu\\Programs",
                   "C:\\users\\test\\Desktop");
  EXPECT_EQ(CheckRecordPath("C:\\windows\\win.ini", RecordKind::File, places),
            PathVerdict::OutsideProduct);
  EXPECT_EQ(CheckRecordPath("C:\\", RecordKind::Folder, places), PathVerdict::OutsideProduct);
  EXPECT_EQ(CheckRecordPath("C:\\users\\test\\Desktop\\Orbivue.lnk", RecordKind::File, places),
            PathVerdict::Accepted);
}

TEST_F(PathCheck, UnknownShellFoldersAcceptNothing) {
  ProductPlaces places;
  SetProductPlaces(&places, "relative\\Uninstall.exe", "", "Desktop");
  EXPECT_STREQ(places.destination, "");
  EXPECT_STREQ(places.programGroup, "");
  EXPECT_STREQ(places.desktopLink, "");
  for (const char* path : {"relative\\x", "\\Orbivue\\x", "Desktop\\Orbivue.lnk", "Orbivue.lnk"})
    EXPECT_NE(CheckRecordPath(path, RecordKind::File, places), PathVerdict::Accepted) << path;
}

}  // namespace
