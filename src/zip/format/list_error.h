// The error of the directory lists and its fixed texts (placeholders stay as written unless a
// text says it is formatted).
#pragma once

#include "platform/error.h"

namespace larkspur::zip {

class EListError : public Error {
public:
  using Error::Error;
};

namespace list_text {
// Raised as it stands: no index is put in.
inline constexpr const char* kIndexOutOfBounds = "List index out of bounds (%d)";
inline constexpr const char* kDuplicateObject = "Duplicate Object index";
inline constexpr const char* kPutInSortedList = "Cannot <Put> an Object in a sorted list!";
// "%s" is replaced by the class name of the object looked for.
inline constexpr const char* kObjectNotInList = "tObject %s not in item list";
} // namespace list_text

} // namespace larkspur::zip
