// Parsing of the -p PASSWORD option shared by test and extract.
#pragma once

#include <string>
#include <vector>

struct PasswordOption {
  bool given = false;
  std::string password;
};

// Takes -p PASSWORD (or -pPASSWORD) out of args. Returns false with a reason
// when the option is malformed or the password is too long.
bool TakePasswordOption(std::vector<std::string>* args, PasswordOption* option, std::string* error);
