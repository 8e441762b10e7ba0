// The error the inflater raises for a stream it cannot decode: a clear English message naming
// what is wrong with the data.
#pragma once

#include "platform/error.h"

namespace larkspur::inflate {

class EInflateError : public larkspur::Error {
public:
  using larkspur::Error::Error;
};

} // namespace larkspur::inflate
