// Failing a scenario: a check that does not hold throws, with the place and
// what was seen, and the scenario's runner reports it.
#pragma once

#include <stdexcept>
#include <string>

struct ScenarioFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string Narrow(const std::wstring& text);  // UTF-8, for the report

[[noreturn]] void Fail(const char* file, int line, const std::string& what);

#define CHECK(condition)                                               \
  do {                                                                 \
    if (!(condition)) Fail(__FILE__, __LINE__, "failed: " #condition); \
  } while (0)

#define CHECK_TEXT(actual, expected)                                               \
  do {                                                                             \
    std::wstring actual_ = (actual);                                               \
    std::wstring expected_ = (expected);                                           \
    if (actual_ != expected_)                                                      \
      Fail(__FILE__, __LINE__,                                                     \
           std::string(#actual) + " is \"" + Narrow(actual_) + "\", expected \"" + \
               Narrow(expected_) + "\"");                                          \
  } while (0)

#define CHECK_EQ_INT(actual, expected)                                               \
  do {                                                                               \
    long long actual_ = (actual);                                                    \
    long long expected_ = (expected);                                                \
    if (actual_ != expected_)                                                        \
      Fail(__FILE__, __LINE__,                                                       \
           std::string(#actual) + " is " + std::to_string(actual_) + ", expected " + \
               std::to_string(expected_));                                           \
  } while (0)
