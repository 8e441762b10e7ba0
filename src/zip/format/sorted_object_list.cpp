// TSortedObjectList: binary search and insertion under the duplicates policy.
#include "zip/format/sorted_object_list.h"

#include "zip/format/list_error.h"

namespace larkspur::zip {

bool TSortedObjectList::Find(const TObject* key, int& index) const {
  int lo = 0;
  int hi = ItemCount() - 1;
  bool found = false;
  while (lo <= hi) {
    const int mid = static_cast<int>((static_cast<unsigned>(lo) + static_cast<unsigned>(hi)) / 2);
    const int c = Compare(KeyOf(Get(mid)), key);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        // Only accept needs the leftmost equal item; otherwise the first one met will do.
        if (DuplicatePolicy != TDuplicates::dupAccept)
          lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

void TSortedObjectList::Put(int, TObject*) {
  throw EListError(list_text::kPutInSortedList);
}

int TSortedObjectList::Add(TObject* object) {
  Insert(0, object);
  return 0;
}

int TSortedObjectList::IndexOf(const TObject* object) const {
  int index = 0;
  return Find(KeyOf(object), index) ? index : -1;
}

void TSortedObjectList::Insert(int, TObject* object) {
  int index = 0;
  if (Find(KeyOf(object), index)) {
    switch (DuplicatePolicy) {
    case TDuplicates::dupIgnore:
      return;
    case TDuplicates::dupError:
      throw EListError(list_text::kDuplicateObject);
    case TDuplicates::dupAccept:
      break;
    }
  }
  TObjectList::Insert(index, object);
}

} // namespace larkspur::zip
