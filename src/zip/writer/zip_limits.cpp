// The reservation rule for 64-bit local fields, and the refusals of what a split archive's
// 32-bit and 16-bit fields cannot describe.
#include "zip/writer/zip_limits.h"

#include "zip/writer/writer_errors.h"

namespace larkspur::zip {

namespace {

// A local header is written before its data, so its room for 64-bit sizes is decided on the
// size the file has when it is opened. Files from 1/256 below the limit on get it (16 MiB below
// 4 GiB): the compressor grows data it cannot shrink by at most a 5-byte stored-block header
// per 4096 bytes (0.12%), encryption adds 12 bytes, and what remains covers a file that grows a
// little while it is read. Smaller files keep today's local header byte for byte; one that
// still passes the limit is refused (CheckSizesFitLocalHeader) rather than described wrongly.
constexpr std::uint64_t kReserveMarginShare = 256;

} // namespace

bool ReservesLocalZip64(const ZipLimits& limits, std::uint64_t sizeAtOpen) {
  return sizeAtOpen >= limits.sizeLimit - limits.sizeLimit / kReserveMarginShare;
}

void UseZip64Beyond(const ZipLimits& limits, TZipHeaderInfo& header) {
  header.Zip64Threshold = limits.sizeLimit;
}

void CheckSizesFitLocalHeader(const ZipLimits& limits, const TZipHeaderInfo& header,
                              const std::string& name) {
  if (!header.LocalZip64Sizes() &&
      (header.PackedSize() >= limits.sizeLimit || header.Size() >= limits.sizeLimit)) {
    throw EZipLimit(writer_text::kFileGrewPastLimit + name);
  }
}

void CheckFileSize(const ZipLimits& limits, std::uint64_t size, const std::string& name) {
  if (size >= limits.sizeLimit)
    throw EZipLimit(writer_text::kFileTooLarge + name);
}

void CheckEntryCount(const ZipLimits& limits, std::uint64_t entries) {
  if (entries >= limits.entryLimit)
    throw EZipLimit(writer_text::kTooManyEntries);
}

void CheckArchiveEnd(const ZipLimits& limits, std::uint64_t end) {
  if (end > limits.sizeLimit)
    throw EZipLimit(writer_text::kArchiveTooLarge);
}

} // namespace larkspur::zip
