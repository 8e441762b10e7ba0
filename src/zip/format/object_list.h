// TObjectList: a growable array of object references that frees its objects when it owns them.
// The base of the sorted lists that hold an archive's directory.
#pragma once

#include <memory>
#include <vector>

#include "zip/format/object.h"

namespace larkspur::zip {

class TObjectList : public TObject {
public:
  // The most slots a list may have: a 32-bit address space of 4-byte references, less two.
  static constexpr int kMaxListSize = 536870910;

  TObjectList() = default;
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;
  ~TObjectList() override { ReleaseAll(); }

  const char* ClassName() const override { return "TObjectList"; }

  int ItemCount() const { return itemCount_; }
  int Allocated() const { return static_cast<int>(items_.size()); }

  // The item at `index`; IndexError outside 0 .. ItemCount - 1.
  TObject* Get(int index) const;

  // Raises EListError "List index out of bounds (%d)".
  [[noreturn]] virtual void IndexError() const;
  // Adds 16 slots above 8, 8 from 5 to 8, 4 below 5.
  virtual void Grow();
  // Replaces the reference at `index` without releasing the old object.
  virtual void Put(int index, TObject* object);
  // Frees `object` when the list owns its items.
  virtual void ReleaseObject(TObject* object);
  // Appends; returns the index it went to.
  virtual int Add(TObject* object);
  // Forgets every item and slot without releasing the objects.
  virtual void Clear();
  // The index of this very object, or -1.
  virtual int IndexOf(const TObject* object) const;
  virtual void Insert(int index, TObject* object);
  virtual TObject* First() const;
  virtual TObject* Last() const;
  // The item after (forward) or before `object`, none at either end; with no object, the first
  // or the last item. EListError when `object` is not in the list.
  virtual TObject* Neighbour(const TObject* object, bool forward) const;

  void ReleaseAll();
  void SetAllocated(int count);
  void SetItemCount(int count);

  // Adds an object the caller owns: an owning list takes it over when it stores it; when the
  // object is refused or ignored as a duplicate (sorted lists), `object` keeps it.
  template <class T> int AddOwned(std::unique_ptr<T>& object) {
    const int before = itemCount_;
    const int index = Add(object.get());
    if (itemCount_ != before && OwnsItems)
      object.release();
    return index;
  }

  bool OwnsItems = true;

protected:
  // Makes room for one more item, growing when every slot is in use.
  void ensureRoomForOne();

private:
  std::vector<TObject*> items_; // one element per allocated slot
  int itemCount_ = 0;
};

} // namespace larkspur::zip
