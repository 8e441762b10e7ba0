// The message of the exception a call raises, for tests that check exact error texts.
#pragma once

#include <string>

namespace larkspur::test {

// what() of the E that `call` raises; "<nothing raised>" when it returns normally. Exceptions
// of other types pass through and fail the test.
template <typename E, typename Call> std::string thrownMessage(Call&& call) {
  try {
    call();
  } catch (const E& e) {
    return e.what();
  }
  return "<nothing raised>";
}

} // namespace larkspur::test
