// The exceptions of the archive engine that readers and the writer share: a cancel by the user,
// an archive that cannot be read or repaired, an incomplete multi-disk set, a file that is no
// archive. Each carries only its message (the fixed texts are in reader_texts.h).
#pragma once

#include "platform/error.h"

namespace larkspur::zip {

class EUserCanceled : public Error {
public:
  using Error::Error;
};

class EBadZipFile : public Error {
public:
  using Error::Error;
};

class EIncompleteZip : public Error {
public:
  using Error::Error;
};

class ENotAZipFile : public Error {
public:
  using Error::Error;
};

} // namespace larkspur::zip
