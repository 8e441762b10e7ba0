// The shared helpers that are thin layers over the platform: code pages, times, temporary
// names, volume labels, existence, percentages and text slices.
#include "zip/format/zip_helpers.h"

#include "platform/platform.h"

namespace larkspur::zip {

namespace {

// Engine temporary files are recognisable by this prefix.
constexpr char kTempPrefix[] = "ZAV";
constexpr std::int64_t kHundred = 100;

} // namespace

void OemRoundTrip(std::string& text) {
  text = platform::oemToAnsi(platform::ansiToOem(text));
}

DateTime ValidFileTime(const std::string& fileName) {
  const std::uint32_t dos = SanitizeDosDateTime(platform::fileDosTime(fileName));
  if (const auto time = DosDateTimeToDateTime(dos))
    return *time;
  return NowDateTime();
}

std::string MakeTempFileName(const std::string& directory) {
  return platform::makeTempFile(directory, kTempPrefix);
}

std::string ReadVolumeLabel(const std::string& root) {
  return platform::volumeLabel(root);
}

bool WriteVolumeLabel(const std::string& root, const std::string& label) {
  platform::setVolumeLabel(root, std::string());
  return platform::setVolumeLabel(root, label);
}

int Percent64(std::int64_t part, std::int64_t total) {
  if (total <= 0 || part <= 0)
    return 0;
  if (part >= total)
    return 100;
  // part < total here, so part * 100 needs at most 71 bits.
  const __int128 scaled = static_cast<__int128>(part) * kHundred;
  auto quotient = static_cast<std::int64_t>(scaled / total);
  const auto twiceRemainder = static_cast<__int128>(scaled % total) * 2;
  if (twiceRemainder > total || (twiceRemainder == total && quotient % 2 != 0))
    ++quotient;
  return static_cast<int>(quotient);
}

int Percent(std::int32_t total, std::int32_t part) {
  return Percent64(part, total);
}

bool SameFileName(const std::string& a, const std::string& b) {
  if constexpr (platform::kNamesIgnoreCase)
    return paths::SameTextAscii(a, b);
  else
    return a == b;
}

bool FileExists(const std::string& name) {
  return platform::fileExists(name);
}
bool DirectoryExists(const std::string& name) {
  return platform::directoryExists(name);
}

std::string LeftText(const std::string& text, int n) {
  if (n <= 0)
    return std::string();
  return text.substr(0, static_cast<std::size_t>(n));
}

std::string RightText(const std::string& text, int n) {
  if (n <= 0)
    return std::string();
  const auto count = static_cast<std::size_t>(n);
  return count >= text.size() ? text : text.substr(text.size() - count);
}

} // namespace larkspur::zip
