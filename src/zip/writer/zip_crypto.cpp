// Traditional zip encryption: key schedule, keystream and the encryption header.
#include "zip/writer/zip_crypto.h"

#include <random>

#include "deflate/crc32.h"

namespace larkspur::zip {

namespace {

// The key schedule's starting values and multiplier, fixed by the format.
constexpr std::uint32_t kKey0 = 0x12345678;
constexpr std::uint32_t kKey1 = 0x23456789;
constexpr std::uint32_t kKey2 = 0x34567890;
constexpr std::uint32_t kKeyMultiplier = 134775813;

std::uint32_t crcByte(std::uint32_t crc, std::uint8_t byte) {
  return deflate::crc_byte(crc, byte);
}

} // namespace

ZipCrypto::ZipCrypto(std::string_view password) : key0_(kKey0), key1_(kKey1), key2_(kKey2) {
  for (const char c : password)
    updateKeys(static_cast<std::uint8_t>(c));
}

std::uint8_t ZipCrypto::keystreamByte() const {
  const std::uint32_t t = (key2_ | 2) & 0xFFFF;
  return static_cast<std::uint8_t>((t * (t ^ 1)) >> 8);
}

void ZipCrypto::updateKeys(std::uint8_t plain) {
  key0_ = crcByte(key0_, plain);
  key1_ = (key1_ + (key0_ & 0xFF)) * kKeyMultiplier + 1;
  key2_ = crcByte(key2_, static_cast<std::uint8_t>(key1_ >> 24));
}

void ZipCrypto::Encrypt(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t plain = in[i];
    out[i] = plain ^ keystreamByte();
    updateKeys(plain);
  }
}

void ZipCrypto::Decrypt(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t plain = in[i] ^ keystreamByte();
    out[i] = plain;
    updateKeys(plain);
  }
}

ZipCrypto::Header ZipCrypto::MakeHeader(std::uint32_t crc) {
  // The random bytes only have to be unpredictable; the system's entropy source serves better
  // than a clock-seeded generator, whose output an attacker could guess.
  std::random_device entropy;
  Header header{};
  for (std::size_t i = 0; i + 2 < kHeaderSize; ++i)
    header[i] = static_cast<std::uint8_t>(entropy());
  header[kHeaderSize - 2] = static_cast<std::uint8_t>(crc >> 16);
  header[kHeaderSize - 1] = static_cast<std::uint8_t>(crc >> 24);
  Encrypt(header.data(), header.data(), header.size());
  return header;
}

} // namespace larkspur::zip
