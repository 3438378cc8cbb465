// The language page: the stored language shown on each visit, the frame's
// captions switched as soon as a language is clicked, the choice stored on Next.
#include "wizard_fixture.h"

namespace {

using LanguagePage = WizardTest;

struct Captions {
  std::string next, back, cancel;
  bool operator==(const Captions& o) const {
    return next == o.next && back == o.back && cancel == o.cancel;
  }
};

const Captions English = {"Next", "Back", "Cancel"};
const Captions Russian = {Ansi(u8"Далее"), Ansi(u8"Вернуться"), Ansi(u8"Отмена")};

Captions FrameCaptionsNow() {
  return {ControlOf(frameWindow, ID_NEXT).text, ControlOf(frameWindow, ID_BACK).text,
          ControlOf(frameWindow, ID_CANCEL).text};
}

TEST_F(LanguagePage, StartsOnEnglishWithEnglishCaptions) {
  bool english = false, russian = true;
  Captions captions;
  UserDoes([&] {
    english = PageControl(ID_ENGLISH).checked;
    russian = PageControl(ID_RUSSIAN).checked;
    captions = FrameCaptionsNow();
  });
  Cancel();
  RunWizard();
  EXPECT_TRUE(english);
  EXPECT_FALSE(russian);
  EXPECT_TRUE(captions == English);
}

TEST_F(LanguagePage, ClickingSwitchesTheCaptionsAtOnce) {
  std::vector<Captions> seen;
  auto look = [&] { UserDoes([&] { seen.push_back(FrameCaptionsNow()); }); };
  ChooseRussian();
  look();
  UserClicks(Target::Page, ID_ENGLISH);
  look();
  ChooseRussian();
  look();
  Cancel();
  RunWizard();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(seen[0] == Russian);
  EXPECT_TRUE(seen[1] == English);
  EXPECT_TRUE(seen[2] == Russian);
  EXPECT_EQ(installChoices.language, 0) << "nothing is stored before Next";
}

TEST_F(LanguagePage, OnlyTheClickNotificationSwitches) {
  Captions captions;
  UserDoes([&] {
    PageControl(ID_RUSSIAN).checked = true;
    PageControl(ID_ENGLISH).checked = false;
    EXPECT_TRUE(OnPageCommand(pageWindow, ID_RUSSIAN, 5));  // handled, but not a click
    captions = FrameCaptionsNow();
  });
  Cancel();
  RunWizard();
  EXPECT_TRUE(captions == English);
}

TEST_F(LanguagePage, NextStoresTheChoiceAndBackShowsIt) {
  bool russianChecked = false;
  Captions captions;
  ChooseRussian();
  Next();
  Back();
  UserDoes([&] {
    russianChecked = PageControl(ID_RUSSIAN).checked;
    captions = FrameCaptionsNow();
  });
  Cancel();
  RunWizard();
  EXPECT_EQ(installChoices.language, 1);
  EXPECT_TRUE(russianChecked);
  EXPECT_TRUE(captions == Russian);
}

}  // namespace
