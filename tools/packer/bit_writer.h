// Packed bits, most significant bit of each byte first, the order in which
// the decoder peeks them.
#pragma once

#include <cstdint>
#include <vector>

namespace packer {

class BitWriter {
 public:
  // Appends the low `count` bits of value (count 0..25), highest first.
  void Put(uint32_t value, int count) {
    accumulator_ = (accumulator_ << count) | (value & ((1u << count) - 1));
    pending_ += count;
    while (pending_ >= 8) {
      pending_ -= 8;
      bytes_.push_back(uint8_t(accumulator_ >> pending_));
    }
  }
  // Pads the last byte with zero bits.
  void Flush() {
    if (pending_ > 0) Put(0, 8 - pending_);
  }
  uint64_t BitCount() const { return uint64_t(bytes_.size()) * 8 + uint64_t(pending_); }
  std::vector<uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  uint64_t accumulator_ = 0;
  int pending_ = 0;
};

}  // namespace packer
