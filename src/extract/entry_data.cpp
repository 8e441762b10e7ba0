// Local header, decryption, decoding and the CRC-32 and size check of one entry.
#include "extract/entry_data.h"

#include <algorithm>

#include "deflate/crc32.h"
#include "extract/deflate_decoder.h"
#include "zip/format/entry_name.h"
#include "zip/format/zip_signatures.h"
#include "zip/writer/zip_crypto.h"

namespace larkspur::extract {

namespace {

// Blocks of this size keep memory constant and give progress and cancel a fine grain.
constexpr std::size_t kBlockSize = 64 * 1024;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;
// Methods that only say "AES" or strong encryption; their data cannot be read with a password.
constexpr std::uint16_t kMethodAes = 99;
constexpr std::uint16_t kFlagStrongEncryption = 0x0040;

std::uint16_t le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

[[noreturn]] void badData(const std::string& message) {
  throw EEntryFailure(SkipReason::BadData, message);
}

std::uint64_t compressedSizeOf(const zip::TZipHeaderInfo& entry) {
  return entry.PackedSize();
}
std::uint64_t sizeOf(const zip::TZipHeaderInfo& entry) {
  return entry.Size();
}

} // namespace

EntryData::EntryData(ArchiveInput& input)
    : input_(input), in_(kBlockSize), out_(kBlockSize),
      deflate_(std::make_unique<DeflateDecoder>()) {}

EntryData::~EntryData() = default;

LocalEntry EntryData::openLocal(const zip::TZipHeaderInfo& entry) {
  if (!input_.seek(entry.DiskNumberStart, entry.HeaderOffset()))
    badData("its local header lies outside the archive");
  std::uint8_t fixed[zip::kLocalHeaderSize];
  if (input_.read(fixed, sizeof fixed) != sizeof fixed || le32(fixed) != zip::kLocalHeaderSignature)
    badData("no local header where the directory points");
  LocalEntry local;
  local.flags = le16(fixed + 6);
  const std::uint16_t nameLength = le16(fixed + 26);
  std::uint16_t extraLength = le16(fixed + 28);
  local.storedName.resize(nameLength);
  if (input_.read(local.storedName.data(), nameLength) != nameLength)
    badData("its local header is cut short");
  while (extraLength > 0) {
    const std::size_t step = std::min<std::size_t>(extraLength, in_.size());
    if (input_.read(in_.data(), step) != step)
      badData("its local header is cut short");
    extraLength = static_cast<std::uint16_t>(extraLength - step);
  }
  return local;
}

void EntryData::checkSupported(const zip::TZipHeaderInfo& entry) {
  if (entry.CompressionMethod == kMethodAes || (entry.Flags & kFlagStrongEncryption) != 0)
    throw EEntryFailure(SkipReason::Unsupported, "AES or strong encryption is not supported");
  if (entry.CompressionMethod != kMethodStored && entry.CompressionMethod != kMethodDeflated) {
    throw EEntryFailure(SkipReason::Unsupported, "compression method " +
                                                     std::to_string(entry.CompressionMethod) +
                                                     " is not supported");
  }
  if ((entry.Flags & zip::kFlagEncrypted) && compressedSizeOf(entry) < zip::ZipCrypto::kHeaderSize)
    badData("its encryption header is missing");
}

bool EntryData::passwordMatches(const zip::TZipHeaderInfo& entry, const std::string& password) {
  zip::ZipCrypto::Header header{};
  if (input_.read(header.data(), header.size()) != header.size())
    badData("its data is cut short");
  cryptoHeader_.assign(header.begin(), header.end()); // decode() stirs its keys with it again
  zip::ZipCrypto crypto(password);
  crypto.Decrypt(header.data(), header.data(), header.size());
  // Writers that stream (flag bit 3) check against the time, because the CRC comes later.
  const std::uint8_t expected = entry.HasDataDescriptor()
                                    ? static_cast<std::uint8_t>(entry.FileDateTime >> 8)
                                    : static_cast<std::uint8_t>(entry.Crc32 >> 24);
  return header.back() == expected;
}

void EntryData::decode(const zip::TZipHeaderInfo& entry, const std::optional<std::string>& password,
                       const Sink& sink, const Tick& tick) {
  std::uint64_t remaining = compressedSizeOf(entry);
  std::optional<zip::ZipCrypto> crypto;
  if (password) {
    // The keys have to be stirred by the header before the data, exactly as the writer did.
    crypto.emplace(*password);
    std::uint8_t header[zip::ZipCrypto::kHeaderSize];
    crypto->Decrypt(cryptoHeader_.data(), header, sizeof header);
    remaining -= zip::ZipCrypto::kHeaderSize;
  }
  const bool deflated = entry.CompressionMethod == kMethodDeflated;
  if (deflated)
    deflate_->reset();
  else if (remaining != sizeOf(entry))
    badData("a stored entry whose sizes differ");

  std::uint32_t crc = deflate::kCrcPreset;
  std::uint64_t produced = 0;
  const auto emit = [&](const std::uint8_t* bytes, std::size_t count) {
    produced += count;
    if (produced > sizeOf(entry))
      badData("its data is longer than its size says");
    crc = deflate::update_crc(crc, bytes, count);
    sink(bytes, count);
  };

  bool finished = !deflated;
  std::size_t pending = 0; // input bytes read but not yet consumed by the inflater
  while (remaining > 0 || pending > 0) {
    tick();
    if (remaining > 0 && pending < in_.size()) {
      const std::size_t want =
          static_cast<std::size_t>(std::min<std::uint64_t>(in_.size() - pending, remaining));
      const std::size_t got = input_.read(in_.data() + pending, want);
      if (got != want)
        badData("its data is cut short");
      if (crypto)
        crypto->Decrypt(in_.data() + pending, in_.data() + pending, got);
      remaining -= got;
      pending += got;
    }
    if (!deflated) {
      emit(in_.data(), pending);
      pending = 0;
      continue;
    }
    const DeflateDecoder::Step step =
        deflate_->decode({in_.data(), pending}, {out_.data(), out_.size()}, remaining == 0);
    emit(out_.data(), step.produced);
    std::copy(in_.begin() + static_cast<std::ptrdiff_t>(step.consumed),
              in_.begin() + static_cast<std::ptrdiff_t>(pending), in_.begin());
    pending -= step.consumed;
    if (step.finished) {
      finished = true;
      break;
    }
    if (step.consumed == 0 && step.produced == 0 && (remaining == 0 || pending == in_.size()))
      badData("corrupt compressed data: the stream does not end");
  }
  // Output may still be waiting in the inflater after the input is all consumed.
  while (deflated && !finished) {
    tick();
    const DeflateDecoder::Step step = deflate_->decode({}, {out_.data(), out_.size()}, true);
    emit(out_.data(), step.produced);
    finished = step.finished;
    if (!finished && step.produced == 0)
      badData("corrupt compressed data: the stream does not end");
  }
  if (produced != sizeOf(entry))
    badData("its data is shorter than its size says");
  if ((crc ^ deflate::kCrcPreset) != entry.Crc32)
    badData("CRC error: the data does not match its checksum");
}

std::optional<std::string> nativeEntryName(const std::string& stored, std::uint16_t flags,
                                           std::uint16_t versionMadeBy,
                                           std::string_view centralExtra) {
  zip::SystemName name = zip::SystemEntryName(stored, flags, versionMadeBy, centralExtra);
  if (!name.spelled)
    return std::nullopt;
  return std::move(name.text);
}

} // namespace larkspur::extract
