// Larkspur.exe's command line from any bytes: no crash, and an accepted line names a non-empty
// archive without quotes, found inside the line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const auto command = larkspur::app::parseArguments(larkspur::app::argumentsOf(line));
  if (command && (command->archive.empty() || command->archive.find('"') != std::string::npos ||
                  line.find(command->archive) == std::string_view::npos)) {
    std::abort();
  }
  return 0;
}
