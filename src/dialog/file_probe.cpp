// The file probe backed by the platform layer.
#include "dialog/file_probe.h"

#include "platform/platform.h"

namespace larkspur::dialog {
namespace {

class SystemFileProbe final : public FileProbe {
public:
  std::uint32_t attributes(const std::string& path) const override {
    return static_cast<std::uint32_t>(platform::fileAttributes(path));
  }
  bool fileExists(const std::string& path) const override { return platform::fileExists(path); }
};

} // namespace

const FileProbe& systemFileProbe() {
  static const SystemFileProbe probe;
  return probe;
}

} // namespace larkspur::dialog
