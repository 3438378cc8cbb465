// A damaged installer is caught before the installation changes anything:
// the embedded archive is checked whole against the CRC-32 recorded by the
// build, and a mismatch says so in the chosen language with nothing made.
#include "archive/crc32.h"
#include "install_fixture.h"

namespace {

using InstallArchiveCheck = InstallTest;

const char DamagedEnglish[] =
    "The installer is damaged: its contents do not match the check value recorded when it "
    "was built. Nothing has been installed. Please obtain the installer again.";

// Nothing of the product anywhere: no folder, no log, no link, no entry.
void ExpectNothingMade() {
  bool exists = true;
  ReadHostFile("c:\\Orbivue\\Uninstall.ini", &exists);
  EXPECT_FALSE(exists);
  ReadHostFile("c:\\Orbivue\\Orbivue.exe", &exists);
  EXPECT_FALSE(exists);
  EXPECT_TRUE(hostSystem.shortcuts.empty());
  EXPECT_TRUE(hostSystem.processes.empty());
  EXPECT_EQ(
      hostSystem.registry.count("SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\ORBIVUE"),
      0u);
  EXPECT_TRUE(installChoices.aborted);
  EXPECT_TRUE(installChoices.errorReported);
}

TEST_F(InstallArchiveCheck, AFlippedByteStopsTheRunBeforeTheFirstFolder) {
  ArchiveBuilder b = ProductArchive();
  std::vector<uint8_t> bytes = b.Bytes();
  hostWizard.archiveCheck = ~UpdateCrc32(0xFFFFFFFFu, bytes.data(), uint32_t(bytes.size()));
  hostWizard.archiveCheckGiven = true;
  bytes[bytes.size() - 5] ^= 0x01;  // after the check value was recorded
  hostWizard.archive = bytes;
  hostWizard.hasArchive = true;
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
  EXPECT_EQ(hostWizard.messageBoxes[0].text, DamagedEnglish);
  ExpectNothingMade();
  bool exists = true;
  ReadHostFile("c:\\Orbivue", &exists);
  EXPECT_FALSE(exists);
}

TEST_F(InstallArchiveCheck, TheMessageIsRussianInARussianRun) {
  GiveArchive(ProductArchive());
  hostWizard.archiveCheck = 0x12345678;
  hostWizard.archiveCheckGiven = true;
  ChooseRussian();
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
  EXPECT_EQ(hostWizard.messageBoxes[0].text,
            Ansi("Инсталлятор повреждён: его содержимое не совпадает с контрольной суммой, "
                 "записанной при сборке. Ничего не установлено. Получите инсталлятор заново."));
  ExpectNothingMade();
}

TEST_F(InstallArchiveCheck, AnArchiveWithoutItsCheckValueIsTakenAsDamaged) {
  GiveArchive(ProductArchive());
  hostWizard.hasArchiveCheck = false;
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  ASSERT_EQ(hostWizard.messageBoxes.size(), 1u);
  EXPECT_EQ(hostWizard.messageBoxes[0].text, DamagedEnglish);
  ExpectNothingMade();
}

// A Setup.exe whose archive resource cannot be found (its type name
// damaged) or holds nothing would leave a product without its uninstaller.
TEST_F(InstallArchiveCheck, AMissingOrEmptyArchiveIsTakenAsDamaged) {
  for (bool found : {false, true}) {
    TearDown();  // the sandbox of the case before goes first
    SetUp();
    hostWizard.archive.clear();
    hostWizard.hasArchive = found;
    InstallTo("c:\\Orbivue\\");
    RunToTheEnd();
    ASSERT_EQ(hostWizard.messageBoxes.size(), 1u) << found;
    EXPECT_EQ(hostWizard.messageBoxes[0].text, DamagedEnglish) << found;
    ExpectNothingMade();
    bool exists = true;
    ReadHostFile("c:\\Orbivue", &exists);
    EXPECT_FALSE(exists) << found;
  }
}

TEST_F(InstallArchiveCheck, ASoundArchiveWithItsRecordedValueInstalls) {
  ArchiveBuilder b = ProductArchive();
  const std::vector<uint8_t> bytes = b.Bytes();
  hostWizard.archiveCheck = ~UpdateCrc32(0xFFFFFFFFu, bytes.data(), uint32_t(bytes.size()));
  hostWizard.archiveCheckGiven = true;
  GiveArchive(b);
  InstallTo("c:\\Orbivue\\");
  RunToTheEnd();
  EXPECT_TRUE(hostWizard.messageBoxes.empty());
  EXPECT_EQ(ReadHostFile("c:\\Orbivue\\Orbivue.exe"), "viewer program");
  EXPECT_EQ(installChoices.step, StepEnd);
}

}  // namespace
