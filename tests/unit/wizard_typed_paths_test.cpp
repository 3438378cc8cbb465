// A destination typed with characters that the ANSI code page has no exact
// form for (the fullwidth reverse solidus, say) is refused with the
// destination's message: its best fit would be another folder than the one
// shown ("c:\Orbivue＼..＼..＼windows\" would become c:\windows\).
#include "wizard_fixture.h"

namespace {

using TypedPaths = WizardTest;

TEST_F(TypedPaths, TextWithoutAnExactFormInTheCodePageIsRefused) {
  int stepAfterRefusal = 0, stepAfterSoundPath = 0;
  Next();
  UserDoes([] {
    HostControl& edit = PageControl(ID_DESTINATION);
    edit.text = "c:\\Orbivue\\..\\..\\windows\\";  // what a best fit makes of it
    edit.beyondCodePage = true;
  });
  Next();
  UserDoes([&] { stepAfterRefusal = installChoices.step; });
  UserTypes(ID_DESTINATION, "c:\\Orbivue\\");
  Next();
  UserDoes([&] { stepAfterSoundPath = installChoices.step; });
  Cancel();
  RunWizard();
  EXPECT_EQ(stepAfterRefusal, StepOptions);
  EXPECT_NE(stepAfterSoundPath, StepOptions);
  ASSERT_GE(hostWizard.messageBoxes.size(), 1u);
  EXPECT_EQ(hostWizard.messageBoxes[0].text,
            "This folder cannot hold the installation. Please choose a full path on a drive, "
            "below its root folder, with no name that ends in a dot or a blank and no device name "
            "such as CON or NUL.");
  EXPECT_STREQ(installChoices.destinationDir, "c:\\Orbivue\\");
}

}  // namespace
