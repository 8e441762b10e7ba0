// A hostile archive builder for the tests: entries with any name bytes, method, flags and
// attributes, stored data written as given, and a central directory that says what it is told.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "deflate/crc32.h"

namespace larkspur::extract::test {

struct RawEntry {
  std::string name;
  std::string data; // written as the entry's data, whatever the method says
  std::uint16_t method = 0;
  std::uint16_t flags = 0;
  std::uint16_t versionMadeBy = 20;
  std::uint32_t externalAttributes = 0x20;
  std::uint32_t dosTime = 0x5A8C6000; // 2025-04-12 12:00:00
  // The CRC-32 and uncompressed size the headers announce; by default those of `data`.
  std::int64_t crc = -1;
  std::int64_t size = -1;
};

inline std::uint32_t crcOf(const std::string& data) {
  return deflate::update_crc(deflate::kCrcPreset,
                             reinterpret_cast<const std::uint8_t*>(data.data()), data.size()) ^
         deflate::kCrcPreset;
}

inline std::string rawZip(const std::vector<RawEntry>& entries) {
  std::string out, central;
  const auto u16 = [](std::string& s, std::uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
  };
  const auto u32 = [&](std::string& s, std::uint32_t v) {
    u16(s, v & 0xFFFF);
    u16(s, v >> 16);
  };
  for (const RawEntry& e : entries) {
    const auto offset = static_cast<std::uint32_t>(out.size());
    const std::uint32_t crc = e.crc >= 0 ? static_cast<std::uint32_t>(e.crc) : crcOf(e.data);
    const auto size = static_cast<std::uint32_t>(e.size >= 0 ? e.size : e.data.size());
    const auto shared = [&](std::string& s) {
      u16(s, 20);
      u16(s, e.flags);
      u16(s, e.method);
      u32(s, e.dosTime);
      u32(s, crc);
      u32(s, static_cast<std::uint32_t>(e.data.size()));
      u32(s, size);
      u16(s, static_cast<std::uint32_t>(e.name.size()));
      u16(s, 0);
    };
    u32(out, 0x04034B50);
    shared(out);
    out += e.name;
    out += e.data;
    u32(central, 0x02014B50);
    u16(central, e.versionMadeBy);
    shared(central);
    u16(central, 0); // comment
    u16(central, 0); // disk
    u16(central, 0); // internal attributes
    u32(central, e.externalAttributes);
    u32(central, offset);
    central += e.name;
  }
  const auto centralOffset = static_cast<std::uint32_t>(out.size());
  out += central;
  u32(out, 0x06054B50);
  u16(out, 0);
  u16(out, 0);
  u16(out, static_cast<std::uint32_t>(entries.size()));
  u16(out, static_cast<std::uint32_t>(entries.size()));
  u32(out, static_cast<std::uint32_t>(central.size()));
  u32(out, centralOffset);
  u16(out, 0);
  return out;
}

} // namespace larkspur::extract::test
