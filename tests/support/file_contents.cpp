// Whole-file helpers over the platform file.
#include "support/file_contents.h"

#include <stdexcept>

#include "platform/platform.h"

namespace larkspur::test {

void writeFile(const std::string& name, const std::string& bytes) {
  platform::File file = platform::File::create(name);
  if (file.write(bytes.data(), bytes.size()) != bytes.size())
    throw std::runtime_error("short write to " + name);
}

std::string readFile(const std::string& name) {
  platform::File file =
      platform::File::open(name, platform::Access::Read, platform::Share::DenyNone);
  std::string bytes(static_cast<std::size_t>(file.size()), '\0');
  bytes.resize(file.read(bytes.data(), bytes.size()));
  return bytes;
}

} // namespace larkspur::test
