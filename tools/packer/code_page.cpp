#include "code_page.h"

#include <iconv.h>

#include <cerrno>

namespace packer {

namespace {

enum class Outcome { Done, Invalid, Unmappable };

// Runs one iconv conversion over the whole text. On failure *at is the
// offset of the input byte that stopped it.
Outcome Convert(const char* to, const char* from, const std::string& in, std::string* out,
                size_t* at) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return Outcome::Invalid;
  out->clear();
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  Outcome outcome = Outcome::Done;
  char buffer[256];
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out->append(buffer, size_t(dst - buffer));
    if (r != size_t(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ is both a malformed sequence and a character with no form in
    // the target; the caller tells them apart.
    outcome = errno == EILSEQ ? Outcome::Unmappable : Outcome::Invalid;
    break;
  }
  *at = size_t(src - in.data());
  iconv_close(cd);
  return outcome;
}

}  // namespace

bool IsUtf8(const std::string& text) {
  std::string ignored;
  size_t at = 0;
  return Convert("UTF-32LE", "UTF-8", text, &ignored, &at) == Outcome::Done;
}

bool Utf8ToCp1251(const std::string& utf8, std::string* cp1251) {
  if (!IsUtf8(utf8)) return false;
  size_t at = 0;
  std::string out;
  if (Convert("CP1251", "UTF-8", utf8, &out, &at) != Outcome::Done) return false;
  *cp1251 = out;
  return true;
}

std::string Cp1251ToUtf8(const std::string& cp1251) {
  std::string result, part;
  std::string rest = cp1251;
  for (;;) {
    size_t at = 0;
    const Outcome outcome = Convert("UTF-8", "CP1251", rest, &part, &at);
    result += part;
    if (outcome == Outcome::Done) return result;
    result += '?';  // a byte the code page leaves unassigned
    rest.erase(0, at + 1);
  }
}

}  // namespace packer
