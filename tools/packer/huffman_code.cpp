#include "huffman_code.h"

#include <algorithm>
#include <vector>

namespace packer {

namespace {

struct Item {
  uint64_t weight;
  // Leaves are symbols; packages point at the two items they merged.
  int symbol;
  int left, right;
};

}  // namespace

void BuildCodeLengths(const uint32_t* frequencies, int n, int maxLength, uint8_t* lengths) {
  std::vector<int> used;
  for (int s = 0; s < n; s++) {
    lengths[s] = 0;
    if (frequencies[s] > 0) used.push_back(s);
  }
  if (used.empty()) return;
  if (used.size() == 1) {
    lengths[used[0]] = 1;
    return;
  }
  std::sort(used.begin(), used.end(), [&](int a, int b) {
    return frequencies[a] != frequencies[b] ? frequencies[a] < frequencies[b] : a < b;
  });
  // Package-merge: each level merges pairs of the level below with the leaves;
  // the 2(m-1) cheapest items of the top level give every symbol's depth.
  const int m = int(used.size());
  std::vector<Item> pool;
  pool.reserve(size_t(m) * 2 * size_t(maxLength));
  std::vector<int> leaves(m);
  for (int i = 0; i < m; i++) {
    leaves[i] = int(pool.size());
    pool.push_back({frequencies[used[i]], i, -1, -1});
  }
  std::vector<int> level = leaves;
  for (int depth = 1; depth < maxLength; depth++) {
    std::vector<int> packages;
    for (size_t i = 0; i + 1 < level.size(); i += 2) {
      packages.push_back(int(pool.size()));
      pool.push_back(
          {pool[level[i]].weight + pool[level[i + 1]].weight, -1, level[i], level[i + 1]});
    }
    std::vector<int> merged;
    merged.reserve(leaves.size() + packages.size());
    std::merge(leaves.begin(), leaves.end(), packages.begin(), packages.end(),
               std::back_inserter(merged),
               [&](int a, int b) { return pool[a].weight < pool[b].weight; });
    level.swap(merged);
  }
  std::vector<int> depthOf(m, 0);
  std::vector<int> stack;
  const size_t take = size_t(2 * (m - 1));
  for (size_t i = 0; i < take && i < level.size(); i++) {
    stack.push_back(level[i]);
    while (!stack.empty()) {
      const Item& it = pool[stack.back()];
      stack.pop_back();
      if (it.symbol >= 0) {
        depthOf[it.symbol]++;
      } else {
        stack.push_back(it.left);
        stack.push_back(it.right);
      }
    }
  }
  for (int i = 0; i < m; i++) lengths[used[i]] = uint8_t(depthOf[i]);
}

void AssignCodes(const uint8_t* lengths, int n, uint16_t* codes) {
  int count[16] = {};
  for (int s = 0; s < n; s++) count[lengths[s]]++;
  count[0] = 0;
  uint32_t next[16] = {};
  uint32_t code = 0;
  for (int len = 1; len <= 15; len++) {
    code = (code + uint32_t(count[len - 1])) << 1;
    next[len] = code;
  }
  for (int s = 0; s < n; s++) {
    codes[s] = 0;
    if (lengths[s] > 0) codes[s] = uint16_t(next[lengths[s]]++);
  }
}

}  // namespace packer
