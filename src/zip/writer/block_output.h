// Multi-disk output into numbered block files beside the archive: name.001 of FirstBlockSize
// bytes, then name.002, name.003 ... of BlockSize bytes. A set of one block takes the archive's
// own name; a longer set leaves ZipName naming its last block, which holds the directory's end.
#pragma once

#include <string>

#include "zip/writer/multi_disk_output.h"

namespace larkspur::zip {

class BlockOutput final : public MultiDiskOutput {
public:
  using MultiDiskOutput::MultiDiskOutput;

private:
  // Every block file of this run goes: a part of a set is of no use, and would fill the disk.
  void discardSet() override;
  void checkSettings() override;
  std::int64_t firstRoom() override;
  std::string firstName() override;
  std::string nextDisk() override;
  void finish() override;

  // The file of disk `disk` (from 0): ZipName with the extension ".001" for disk 0.
  std::string blockName(int disk) const;

  std::string zipName_;   // the name asked for; ZipName changes at the end
  int blocksCreated_ = 0; // block files this run created, from name.001 on
};

// `name` with its extension replaced by "." and `number` in three digits or more ("%3.3d").
std::string NumberedName(const std::string& name, int number);

} // namespace larkspur::zip
