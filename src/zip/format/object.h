// The common root of everything a directory list can hold: a virtual destructor, so an owning
// list frees any kind of item, and the class name that list errors report.
#pragma once

namespace larkspur::zip {

class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() = default;

  virtual const char* ClassName() const { return "TObject"; }
};

} // namespace larkspur::zip
