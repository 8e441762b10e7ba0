// The buffered file stream the engine reads and writes every file through: it opens the file in
// one of the runtime's open modes and puts a TS_BufferStream in front of it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "zip/format/buffer_stream.h"
#include "zip/format/handle_stream.h"

namespace larkspur::zip {

// Open modes: an access part (low two bits) combined with a sharing part, or fmCreate.
inline constexpr std::uint16_t fmCreate = 0xFFFF;
inline constexpr std::uint16_t fmOpenRead = 0x0000;
inline constexpr std::uint16_t fmOpenWrite = 0x0001;
inline constexpr std::uint16_t fmOpenReadWrite = 0x0002;
inline constexpr std::uint16_t fmShareCompat = 0x0000;
inline constexpr std::uint16_t fmShareExclusive = 0x0010;
inline constexpr std::uint16_t fmShareDenyWrite = 0x0020;
inline constexpr std::uint16_t fmShareDenyRead = 0x0030;
inline constexpr std::uint16_t fmShareDenyNone = 0x0040;

// The buffer every engine stream gets: large enough that headers cost no extra system calls.
inline constexpr std::int64_t StreamBufferSize = 8192;

class TLFNFileStream : public TS_BufferStream {
public:
  // Opens or creates `fileName`; platform::FileOpenError / FileCreateError when it cannot.
  TLFNFileStream(const std::string& fileName, std::int64_t bufferSize, bool flushOnClose,
                 std::uint16_t mode);
  // The same over a file opened elsewhere (tests watch the flush to disk through it).
  TLFNFileStream(std::unique_ptr<THandleStream> file, std::int64_t bufferSize, bool flushOnClose,
                 std::uint16_t mode);
  ~TLFNFileStream() override;

  // Truncates or extends the file at `size` after handing over pending bytes.
  bool SetSize(std::int64_t size);

private:
  std::unique_ptr<THandleStream> OwnedFile;
};

// Whether `mode` lets the stream write (write or read/write access, or creation).
bool ModeGrantsWrite(std::uint16_t mode);

} // namespace larkspur::zip
