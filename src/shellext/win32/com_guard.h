// The one place where a C++ failure becomes an HRESULT: every COM method and export runs its body
// through ComGuard so no exception ever reaches the shell.
#pragma once

#include <windows.h>

#include <new>

namespace larkspur::shell {

template <typename Body> HRESULT ComGuard(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

} // namespace larkspur::shell
