// Arbitrary bytes as a gzip file, as a tar archive, and as a tar inside gzip: every reader
// ends with its data or a larkspur::Error, never a crash or a hang.
#include <cstdint>
#include <vector>

#include "extract/gzip_reader.h"
#include "extract/tar_reader.h"

namespace {

using namespace larkspur::extract;

void drain(ByteSource& source) {
  std::vector<std::uint8_t> buffer(700);
  while (source.read(buffer) != 0) {
  }
}

void walkTar(ByteSource& source) {
  TarReader reader(source);
  TarEntry entry;
  std::vector<std::uint8_t> buffer(300);
  for (int i = 0; reader.next(entry); ++i)
    if (i % 2 == 0) // read some entries, leave the others for next() to skip
      while (reader.read(buffer) != 0) {
      }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  try {
    MemoryByteSource source(bytes);
    GzipReader gzip(source);
    drain(gzip);
  } catch (const larkspur::Error&) {
  }
  try {
    MemoryByteSource source(bytes);
    walkTar(source);
  } catch (const larkspur::Error&) {
  }
  try {
    MemoryByteSource source(bytes);
    GzipReader gzip(source);
    walkTar(gzip);
  } catch (const larkspur::Error&) {
  }
  return 0;
}
