// Finding and opening the configuration file of a multi-disk archive.
#include "zip/format/zfc_config.h"

#include "platform/paths.h"
#include "platform/platform.h"

namespace larkspur::zip {

std::string ConfigFileName(const std::string& zipName) {
  return paths::RemoveFileExt(zipName) + kConfigFileExtension;
}

std::unique_ptr<TLFNFileStream> OpenConfigFile(const std::string& zipName, TEndCentral& endRecord,
                                               int bufferSize) {
  const std::string name = ConfigFileName(zipName);
  if (!platform::fileExists(name))
    return nullptr;
  auto config = std::make_unique<TLFNFileStream>(name, bufferSize, false, fmOpenRead);
  // An empty file would pass for an archive without entries; a writer never leaves one.
  if (config->Size() == 0 || !endRecord.LocateEndRecord(*config))
    return nullptr;
  return config;
}

} // namespace larkspur::zip
