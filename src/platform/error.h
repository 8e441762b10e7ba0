// The root of every exception the engine raises. Each subsystem derives its own classes from it
// and gives them the exact message texts; catching larkspur::Error catches them all.
#pragma once

#include <stdexcept>
#include <string>

namespace larkspur {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace larkspur
