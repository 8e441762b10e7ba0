// The reason one entry is left out, raised inside the engine and turned into an EntryProblem by
// the loop over the entries, which then goes on with the next entry.
#pragma once

#include <string>

#include "extract/extract_options.h"

namespace larkspur::extract {

class EEntryFailure : public Error {
public:
  EEntryFailure(SkipReason reason, const std::string& message) : Error(message), reason(reason) {}
  SkipReason reason;
};

} // namespace larkspur::extract
