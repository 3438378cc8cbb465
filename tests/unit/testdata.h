// Access to the archives made by real archivers, beside the repository.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::string TestDataPath(const std::string& name) {
  return std::string(ORBIVUE_TESTDATA_DIR) + "/" + name;
}

// Reads a test data file; the calling test skips when it is absent.
#define LOAD_TESTDATA_OR_SKIP(var, name)                                               \
  std::vector<uint8_t> var;                                                            \
  {                                                                                    \
    std::ifstream in_(TestDataPath(name), std::ios::binary);                           \
    if (!in_) GTEST_SKIP() << "external test data not found: " << TestDataPath(name);  \
    var.assign(std::istreambuf_iterator<char>(in_), std::istreambuf_iterator<char>()); \
  }
