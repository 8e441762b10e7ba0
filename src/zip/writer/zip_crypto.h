// The traditional password encryption of zip entries: three 32-bit keys stirred by every plain
// byte, a 12-byte encryption header in front of the data, and a keystream XORed onto each byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace larkspur::zip {

class ZipCrypto {
public:
  // Bytes of the encryption header that precede an encrypted entry's data.
  static constexpr std::size_t kHeaderSize = 12;
  using Header = std::array<std::uint8_t, kHeaderSize>;

  explicit ZipCrypto(std::string_view password);

  // The encrypted header for an entry whose CRC-32 is `crc`: ten random bytes, then the CRC's two
  // high bytes, which a reader checks the password against.
  Header MakeHeader(std::uint32_t crc);
  // Encrypts `count` bytes from `in` into `out` (they may be the same buffer).
  void Encrypt(const std::uint8_t* in, std::uint8_t* out, std::size_t count);
  // Decrypts `count` bytes from `in` into `out` (they may be the same buffer).
  void Decrypt(const std::uint8_t* in, std::uint8_t* out, std::size_t count);

private:
  std::uint8_t keystreamByte() const;
  void updateKeys(std::uint8_t plain);

  std::uint32_t key0_;
  std::uint32_t key1_;
  std::uint32_t key2_;
};

} // namespace larkspur::zip
