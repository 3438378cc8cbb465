// The long form of the paths the log names, each folder's listing read
// once: an 8.3 name in a record becomes the name on disk, answered from the
// listing of the folder that holds it, so that a removal of many files in
// few folders costs one listing per folder instead of a walk per path.
#pragma once

#include <string>
#include <unordered_map>

class LongNames {
 public:
  // path with every name spelled as on disk, when each of them is there and
  // the result is a sound path (a folder's form when folder); path itself
  // otherwise. The listings are read at the first question about a folder:
  // the answers are those of the disk before anything is removed.
  std::string Of(const std::string& path, bool folder);

 private:
  // The folded names of one folder (own and 8.3), each with its own name.
  using Listing = std::unordered_map<std::string, std::string>;
  const Listing& ListingOf(const std::string& folder);

  std::unordered_map<std::string, Listing> listings_;  // by the folder's folded long path
};
