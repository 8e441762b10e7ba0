// TObjectList: slots, growth, insertion, lookup by identity and release of owned objects.
#include "zip/format/object_list.h"

#include <algorithm>
#include <string>

#include "zip/format/list_error.h"

namespace larkspur::zip {

TObject* TObjectList::Get(int index) const {
  if (index < 0 || index >= itemCount_)
    IndexError();
  return items_[static_cast<std::size_t>(index)];
}

void TObjectList::IndexError() const {
  throw EListError(list_text::kIndexOutOfBounds);
}

void TObjectList::Grow() {
  // Small lists grow in small steps; past 8 slots, 16 at a time.
  constexpr int kLargeStep = 16, kMediumStep = 8, kSmallStep = 4;
  constexpr int kMediumFrom = 5, kLargeAbove = 8;
  const int allocated = Allocated();
  const int step = allocated > kLargeAbove    ? kLargeStep
                   : allocated >= kMediumFrom ? kMediumStep
                                              : kSmallStep;
  SetAllocated(std::min(allocated + step, kMaxListSize));
}

void TObjectList::Put(int index, TObject* object) {
  if (index < 0 || index >= itemCount_)
    IndexError();
  items_[static_cast<std::size_t>(index)] = object;
}

void TObjectList::ReleaseObject(TObject* object) {
  if (OwnsItems)
    delete object;
}

int TObjectList::Add(TObject* object) {
  ensureRoomForOne();
  items_[static_cast<std::size_t>(itemCount_)] = object;
  return itemCount_++;
}

void TObjectList::Clear() {
  itemCount_ = 0;
  items_.clear();
  items_.shrink_to_fit();
}

int TObjectList::IndexOf(const TObject* object) const {
  for (int i = 0; i < itemCount_; ++i) {
    if (items_[static_cast<std::size_t>(i)] == object)
      return i;
  }
  return -1;
}

void TObjectList::Insert(int index, TObject* object) {
  if (index < 0 || index > itemCount_)
    IndexError();
  ensureRoomForOne();
  const auto at = items_.begin() + index;
  std::move_backward(at, items_.begin() + itemCount_, items_.begin() + itemCount_ + 1);
  *at = object;
  ++itemCount_;
}

TObject* TObjectList::First() const {
  return Get(0);
}

TObject* TObjectList::Last() const {
  return Get(itemCount_ - 1);
}

TObject* TObjectList::Neighbour(const TObject* object, bool forward) const {
  if (object == nullptr)
    return forward ? First() : Last();
  const int index = IndexOf(object);
  if (index < 0) {
    std::string text = list_text::kObjectNotInList;
    text.replace(text.find("%s"), 2, object->ClassName());
    throw EListError(text);
  }
  const int next = forward ? index + 1 : index - 1;
  return next >= 0 && next < itemCount_ ? items_[static_cast<std::size_t>(next)] : nullptr;
}

void TObjectList::ReleaseAll() {
  for (int i = 0; i < itemCount_; ++i)
    ReleaseObject(items_[static_cast<std::size_t>(i)]);
  Clear();
}

void TObjectList::SetAllocated(int count) {
  if (count < itemCount_ || count > kMaxListSize)
    IndexError();
  // resize() reallocates geometrically, so growing slot by slot stays linear overall.
  items_.resize(static_cast<std::size_t>(count), nullptr);
}

void TObjectList::SetItemCount(int count) {
  if (count < 0 || count > kMaxListSize)
    IndexError();
  if (count > Allocated())
    SetAllocated(count);
  // Slots beyond the old count may hold stale references: new items start empty.
  std::fill(items_.begin() + std::min(itemCount_, count), items_.begin() + count, nullptr);
  itemCount_ = count;
}

void TObjectList::ensureRoomForOne() {
  if (itemCount_ == Allocated())
    Grow();
  if (itemCount_ == Allocated())
    IndexError(); // at the largest size a list may have
}

} // namespace larkspur::zip
