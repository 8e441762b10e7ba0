// TSortedObjectList: a list kept in the order of a comparison, with a binary-search Find and a
// policy for items equal to one already present.
#pragma once

#include <cstdint>

#include "zip/format/object_list.h"

namespace larkspur::zip {

// What Insert does with an item that compares equal to one in the list.
enum class TDuplicates : std::uint8_t {
  dupIgnore = 0, // not inserted; the object stays with the caller
  dupAccept = 1, // inserted before the equal items
  dupError = 2,  // EListError "Duplicate Object index"
};

class TSortedObjectList : public TObjectList {
public:
  explicit TSortedObjectList(TDuplicates duplicatePolicy) : DuplicatePolicy(duplicatePolicy) {}

  const char* ClassName() const override { return "TSortedObjectList"; }

  virtual const TObject* KeyOf(const TObject* object) const { return object; }
  // Negative when the item belongs before the search key, 0 when they are equal.
  virtual int Compare(const TObject* itemKey, const TObject* searchKey) const = 0;
  // Binary search. True when an equal item was met; `index` is where the key belongs (with
  // dupAccept the leftmost such place, before every equal item).
  virtual bool Find(const TObject* key, int& index) const;

  // EListError "Cannot <Put> an Object in a sorted list!".
  void Put(int index, TObject* object) override;
  // Inserts at the sorted place; returns 0 wherever that is.
  int Add(TObject* object) override;
  // Find's index when an equal item is there, else -1.
  int IndexOf(const TObject* object) const override;
  // `index` is not used: the item goes to its sorted place, subject to DuplicatePolicy.
  void Insert(int index, TObject* object) override;

  TDuplicates DuplicatePolicy;
};

} // namespace larkspur::zip
