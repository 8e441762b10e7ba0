// Holds an existing archive against every other run that wants to change it, from before its
// directory is read until the rebuilt archive has taken its place, so two updates never both
// start from the same old archive and one of them lose the other's entries.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace larkspur::zip {

class ArchiveLock {
public:
  // Takes the lock on the archive `zipName` names now. Where a waiting run would not stop the
  // other from replacing the archive (POSIX), it waits, telling `waiting` once, and follows the
  // name to the archive that run left; elsewhere it raises EArchiveBusy at once. A wait ended
  // by a cancel returns with the lock not held (see Held). Raises EArchiveBusy also when the
  // archive disappears meanwhile.
  ArchiveLock(const std::string& zipName, const std::function<void(const std::string&)>& waiting);

  bool Held() const { return file_.has_value(); }
  void Release() { file_.reset(); }

private:
  std::optional<platform::File> file_;
};

} // namespace larkspur::zip
