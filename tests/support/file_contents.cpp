// Whole-file helpers over the platform file.
#include "support/file_contents.h"

#include <random>
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

std::string incompressibleBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes)
    c = static_cast<char>(random());
  return bytes;
}

} // namespace larkspur::test
