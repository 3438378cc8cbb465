// The frame buttons' captions in both languages: the program's own constants,
// the Russian ones as code page 1251 bytes.
#pragma once

#include <cstdint>

struct FrameCaptions {
  const char* next;
  const char* back;
  const char* cancel;
};

extern const FrameCaptions EnglishCaptions;
extern const FrameCaptions RussianCaptions;
extern const char FinishCaption[];  // the Cancel button at the finish page, both languages

// Sets the three frame buttons to the captions of the language.
void SetFrameCaptions(uint8_t language);
