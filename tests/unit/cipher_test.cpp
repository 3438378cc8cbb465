// The archive cipher: key set-up, the permutation property, round trips, and
// encrypted stored entries fetched with and without their password.
#include "archive/cipher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "archive/archive_reader.h"
#include "archive/crc32.h"
#include "archive_builder.h"

namespace {

bool IsPermutation(const uint8_t* s) {
  bool seen[256] = {};
  for (int i = 0; i < 256; i++) {
    if (seen[s[i]]) return false;
    seen[s[i]] = true;
  }
  return true;
}

// Pads to whole blocks and encrypts with a fresh state, as an archiver does.
std::vector<uint8_t> Encrypt(const std::string& plain, const char* password) {
  CipherState c;
  SetCipherPassword(&c, password);
  std::vector<uint8_t> bytes(plain.begin(), plain.end());
  bytes.resize((bytes.size() + 15) / 16 * 16, 0);
  for (size_t i = 0; i < bytes.size(); i += 16) CipherEncrypt(&c, bytes.data() + i);
  return bytes;
}

TEST(Cipher, InitialSubstitutionIsAPermutation) {
  EXPECT_TRUE(IsPermutation(InitialSubstitution));
}

TEST(Cipher, SubstitutionStaysAPermutationAfterAnySetUp) {
  const std::string passwords[] = {
      "a", "password", "odd", std::string(255, 'z'), "\xFF\x80\x01", std::string(40, '\xC0')};
  for (const std::string& p : passwords) {
    CipherState c;
    SetCipherPassword(&c, p.c_str());
    EXPECT_TRUE(IsPermutation(c.substitution)) << p;
  }
}

TEST(Cipher, KeySetUpStartsFromTheFixedKeysAndDependsOnThePassword) {
  CipherState first, again;
  SetCipherPassword(&first, "password");
  SetCipherPassword(&again, "password");
  EXPECT_EQ(std::memcmp(&first, &again, sizeof first), 0);
  SetCipherPassword(&again, "passwore");
  EXPECT_NE(std::memcmp(first.keys, again.keys, sizeof first.keys), 0);
  EXPECT_NE(first.keys[0], 0xD3A3B879u);  // the set-up encrypts the password
}

TEST(Cipher, DecryptionWithASecondStateUndoesEncryptionBlockByBlock) {
  std::string plain;
  for (int i = 0; i < 200; i++) plain += char(i * 31);
  std::vector<uint8_t> enc = Encrypt(plain, "secret key");
  EXPECT_NE(std::memcmp(enc.data(), plain.data(), 16), 0);
  CipherState c;
  SetCipherPassword(&c, "secret key");
  for (size_t i = 0; i < enc.size(); i += 16) CipherDecrypt(&c, enc.data() + i);
  EXPECT_EQ(std::memcmp(enc.data(), plain.data(), plain.size()), 0);
}

TEST(Cipher, KeysChangeAfterEveryBlock) {
  // Equal plain blocks give different cipher blocks.
  std::vector<uint8_t> enc = Encrypt(std::string(32, 'A'), "k");
  EXPECT_NE(std::memcmp(enc.data(), enc.data() + 16, 16), 0);
}

TEST(Cipher, MixKeysXorsTheCrcTableEntriesOfEachByte) {
  CipherState c{};
  uint8_t bytes[16] = {};
  bytes[0] = 1;
  bytes[4] = 1;  // cancels the first in keys[0]
  bytes[5] = 2;
  CipherMixKeys(&c, bytes);
  EXPECT_EQ(c.keys[0], Crc32Table[1] ^ Crc32Table[1] ^ Crc32Table[0] ^ Crc32Table[0]);
  EXPECT_EQ(c.keys[1], Crc32Table[2]);  // three zero bytes add nothing
}

TestEntry EncryptedStored(const std::string& name, const std::string& plain, const char* pw) {
  TestEntry e;
  e.name = name;
  e.data = Encrypt(plain, pw);
  e.unpackedSize = uint32_t(plain.size());
  e.dataCrc = Crc32Of(plain);
  e.flags = 0x8004;
  return e;
}

int GetText(const std::vector<uint8_t>& bytes, const char* name, const char* pw, std::string* out) {
  ArchiveImage image{bytes.data(), uint32_t(bytes.size()), 0};
  uint8_t* data = nullptr;
  uint32_t size = 0;
  const int ok = ArchiveGetEntry(&data, &size, name, &image, pw);
  out->assign(reinterpret_cast<char*>(data), data ? size : 0);
  std::free(data);
  return ok;
}

TEST(Cipher, EncryptedStoredEntriesComeOutWithTheirPassword) {
  // Sizes that are and are not whole blocks; data padded to 16 bytes.
  const std::string texts[] = {"exactly sixteen!", "seventeen bytes!!", "x",
                               std::string(20000, 'r') + "tail"};
  for (const std::string& text : texts) {
    auto bytes = ArchiveBuilder().Entry(EncryptedStored("s.txt", text, "pw")).Bytes();
    std::string out;
    EXPECT_EQ(GetText(bytes, "s.txt", "pw", &out), 1) << text.size();
    EXPECT_EQ(out, text);
    EXPECT_EQ(GetText(bytes, "s.txt", "wrong", &out), 0);
    EXPECT_EQ(GetText(bytes, "s.txt", nullptr, &out), 0);
    EXPECT_EQ(GetText(bytes, "s.txt", "", &out), 0);
  }
}

TEST(Cipher, TheKeyCacheGivesWhatAFreshSetUpGivesForEachPasswordInTurn) {
  // Repeats, a prefix of the password before, the empty one, and a 400-byte
  // one that the set-up cuts to the 255-byte one before it.
  const std::string cut(255, 'k'), longer(400, 'k');
  const char* sequence[] = {"pw", "pw", "pw2", "pw", "", "pw", cut.c_str(), longer.c_str(), "p"};
  CipherKeyCache cache{};
  for (const char* password : sequence) {
    CipherState fresh, cached;
    SetCipherPassword(&fresh, password);
    std::memset(&cached, 0xA5, sizeof cached);
    StartCipher(&cached, &cache, password);
    EXPECT_EQ(std::memcmp(&fresh, &cached, sizeof fresh), 0) << std::strlen(password);
    // An entry's decryption changes its own state, never the cached one.
    uint8_t block[16] = {1, 2, 3};
    CipherDecrypt(&cached, block);
  }
  ForgetCipherKeys(&cache);
  const uint8_t* raw = reinterpret_cast<const uint8_t*>(&cache);
  EXPECT_EQ(std::count(raw, raw + sizeof cache, 0), long(sizeof cache));  // password and keys wiped
}

TEST(Cipher, EntriesOfOnePasswordAndAnotherComeOutAskedInAnyOrder) {
  auto bytes = ArchiveBuilder()
                   .Entry(EncryptedStored("a", "text under the first password", "first"))
                   .Entry(EncryptedStored("b", "text under the second password", "second"))
                   .Bytes();
  std::string out;
  for (int round = 0; round < 2; round++) {
    EXPECT_EQ(GetText(bytes, "a", "first", &out), 1);
    EXPECT_EQ(out, "text under the first password");
    EXPECT_EQ(GetText(bytes, "b", "first", &out), 0);
    EXPECT_EQ(GetText(bytes, "b", "second", &out), 1);
    EXPECT_EQ(out, "text under the second password");
    EXPECT_EQ(GetText(bytes, "a", "second", &out), 0);
  }
}

TEST(Cipher, KeysAreDerivedAfreshForEveryEncryptedEntry) {
  auto bytes = ArchiveBuilder(0x0008)
                   .Entry(EncryptedStored("one", "first entry text", "pw"))
                   .Entry(EncryptedStored("two", "second entry text", "pw"))
                   .Bytes();
  std::string out;
  EXPECT_EQ(GetText(bytes, "two", "pw", &out), 1);
  EXPECT_EQ(out, "second entry text");
}

TEST(Cipher, PasswordDoesNotOutliveItsRequest) {
  auto bytes = ArchiveBuilder().Entry(EncryptedStored("e", "hidden", "pw")).Bytes();
  std::string out;
  EXPECT_EQ(GetText(bytes, "e", "pw", &out), 1);
  EXPECT_EQ(GetText(bytes, "e", nullptr, &out), 0);
}

TEST(Cipher, UnencryptedEntriesIgnoreAPassword) {
  auto bytes = ArchiveBuilder().Stored("plain", "visible").Bytes();
  std::string out;
  EXPECT_EQ(GetText(bytes, "plain", "pw", &out), 1);
  EXPECT_EQ(out, "visible");
}

TEST(Cipher, PasswordsOver255BytesAreCut) {
  const std::string longPw(400, 'p');
  const std::string cut(255, 'p');
  auto bytes = ArchiveBuilder().Entry(EncryptedStored("e", "long key", cut.c_str())).Bytes();
  std::string out;
  EXPECT_EQ(GetText(bytes, "e", longPw.c_str(), &out), 1);
  EXPECT_EQ(out, "long key");
}

}  // namespace
