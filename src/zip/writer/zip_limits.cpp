// Refusals of what the format's 32-bit and 16-bit fields cannot describe.
#include "zip/writer/zip_limits.h"

#include "zip/writer/writer_errors.h"

namespace larkspur::zip {

void CheckFileSize(const ZipLimits& limits, std::uint64_t size, const std::string& name) {
  if (size >= limits.maxFileSize)
    throw EZipLimit(writer_text::kFileTooLarge + name);
}

void CheckEntryCount(const ZipLimits& limits, std::uint64_t entries) {
  if (entries >= limits.maxEntries)
    throw EZipLimit(writer_text::kTooManyEntries);
}

void CheckArchiveEnd(const ZipLimits& limits, std::uint64_t end) {
  if (end > limits.maxArchiveSize)
    throw EZipLimit(writer_text::kArchiveTooLarge);
}

} // namespace larkspur::zip
