// The entries of the archive that Setup carries, in archive order, as
// run-install lists them for the driver (one "dir NAME" or "file NAME" a
// line, from rar2tool list): the counts and positions the installation
// scenarios check come from here, whatever the product.
#pragma once

#include <string>
#include <vector>

struct ProductEntry {
  bool folder;
  std::string name;  // as the archive names it, backslashes between levels
};

// False, with *error set, when the file cannot be read or a line is neither form.
bool ReadProductEntries(const std::wstring& path, std::vector<ProductEntry>* entries,
                        std::string* error);

// The entry's place from 0 in archive order, or -1 when the archive lacks it.
long IndexOfEntry(const std::vector<ProductEntry>& entries, const std::string& name);
