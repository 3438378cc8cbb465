#include "options.h"

#include "archive/reader_state.h"

bool TakePasswordOption(std::vector<std::string>* args, PasswordOption* option,
                        std::string* error) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args->size(); i++) {
    const std::string& a = (*args)[i];
    if (a == "-p") {
      if (i + 1 >= args->size()) {
        *error = "-p needs a password";
        return false;
      }
      option->given = true;
      option->password = (*args)[++i];
    } else if (a.size() > 2 && a.compare(0, 2, "-p") == 0) {
      option->given = true;
      option->password = a.substr(2);
    } else {
      rest.push_back(a);
    }
  }
  if (option->password.size() > MaxPasswordLength) {
    *error = "password longer than " + std::to_string(MaxPasswordLength) + " bytes";
    return false;
  }
  *args = rest;
  return true;
}
