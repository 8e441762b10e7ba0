// The data of one archive entry, from its local header to checked bytes: the local header is
// found and stepped over, traditional encryption is undone with the password, stored or deflated
// data is decoded block by block, and the CRC-32 and size are compared with the directory's.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "extract/archive_input.h"
#include "extract/entry_failure.h"
#include "zip/format/zip_header_info.h"

namespace larkspur::extract {

class DeflateDecoder;

// Where an entry's data starts and the name its local header stores (bytes as stored).
struct LocalEntry {
  std::string storedName;
  std::uint16_t flags = 0;
};

class EntryData {
public:
  // Called with every block of decoded bytes, in order.
  using Sink = std::function<void(const std::uint8_t* bytes, std::size_t count)>;
  // Called between blocks; may raise to stop.
  using Tick = std::function<void()>;

  explicit EntryData(ArchiveInput& input);
  ~EntryData();

  // Reads the entry's local header and leaves the input at its data. EEntryFailure (BadData)
  // when there is none where the directory points.
  LocalEntry openLocal(const zip::TZipHeaderInfo& entry);
  // EEntryFailure (Unsupported) when the method or encryption is one the engine cannot decode.
  static void checkSupported(const zip::TZipHeaderInfo& entry);
  // For an encrypted entry at its data: whether `password` passes the header's check byte. The
  // input then stands after the encryption header.
  bool passwordMatches(const zip::TZipHeaderInfo& entry, const std::string& password);
  // Decodes the data (after the encryption header when `password` is given) into `sink`;
  // EEntryFailure (BadData) on a CRC, size or data error.
  void decode(const zip::TZipHeaderInfo& entry, const std::optional<std::string>& password,
              const Sink& sink, const Tick& tick);

private:
  ArchiveInput& input_;
  std::vector<std::uint8_t> in_;
  std::vector<std::uint8_t> out_;
  std::unique_ptr<DeflateDecoder> deflate_;
  std::vector<std::uint8_t> cryptoHeader_;
};

// The name of an entry as the system names files, with "/" between its parts (see
// zip::SystemEntryName); the central header's extra fields may hold a Unicode path for it.
// Nothing when the system cannot spell it.
std::optional<std::string> nativeEntryName(const std::string& stored, std::uint16_t flags,
                                           std::uint16_t versionMadeBy,
                                           std::string_view centralExtra);

} // namespace larkspur::extract
