// TObjectList and TSortedObjectList: growth, index errors, ownership, Neighbour, Find and the
// duplicates policies.
#include "zip/format/object_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "zip/format/list_error.h"
#include "zip/format/sorted_object_list.h"

namespace larkspur::zip {
namespace {

// An item that counts its own destruction and carries a sort key.
class Tracked : public TObject {
public:
  Tracked(int key, int* released = nullptr) : key(key), released_(released) {}
  ~Tracked() override {
    if (released_ != nullptr)
      ++*released_;
  }
  const char* ClassName() const override { return "Tracked"; }
  int key;

private:
  int* released_;
};

class KeyList : public TSortedObjectList {
public:
  using TSortedObjectList::TSortedObjectList;
  int Compare(const TObject* item, const TObject* key) const override {
    return static_cast<const Tracked*>(item)->key - static_cast<const Tracked*>(key)->key;
  }
};

void expectListError(const std::function<void()>& action, const std::string& text) {
  try {
    action();
    ADD_FAILURE() << "no EListError, expected: " << text;
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), text.c_str());
  }
}

TEST(ObjectList, GrowsInTheFixedSteps) {
  TObjectList list;
  list.OwnsItems = false;
  Tracked item(0);
  std::vector<int> sizes;
  for (int i = 0; i < 50; ++i) {
    if (list.ItemCount() == list.Allocated()) {
      list.Add(&item);
      sizes.push_back(list.Allocated());
    } else {
      list.Add(&item);
    }
  }
  EXPECT_EQ(sizes, (std::vector<int>{4, 8, 16, 32, 48, 64}));
  TObjectList five;
  five.SetAllocated(5);
  five.Grow();
  EXPECT_EQ(five.Allocated(), 13);
}

TEST(ObjectList, IndexErrorsKeepThePlaceholderInTheText) {
  TObjectList list;
  list.OwnsItems = false;
  Tracked item(0);
  list.Add(&item);
  const std::string text = "List index out of bounds (%d)";
  expectListError([&] { list.Get(1); }, text);
  expectListError([&] { list.Get(-1); }, text);
  expectListError([&] { list.Put(1, &item); }, text);
  expectListError([&] { list.Insert(2, &item); }, text);
  expectListError([&] { list.SetAllocated(0); }, text);
  expectListError([&] { list.SetItemCount(TObjectList::kMaxListSize + 1); }, text);
  expectListError([] { TObjectList().First(); }, text);
  EXPECT_EQ(list.ItemCount(), 1);
}

TEST(ObjectList, InsertMovesTheTailUp) {
  TObjectList list;
  list.OwnsItems = false;
  Tracked a(1), b(2), c(3);
  list.Add(&a);
  list.Add(&c);
  list.Insert(1, &b);
  list.Insert(3, &a);
  EXPECT_EQ(list.Get(1), &b);
  EXPECT_EQ(list.Get(2), &c);
  EXPECT_EQ(list.Last(), &a);
  EXPECT_EQ(list.IndexOf(&a), 0);
  EXPECT_EQ(list.IndexOf(nullptr), -1);
}

TEST(ObjectList, NeighbourWalksBothWaysAndNamesAStranger) {
  TObjectList list;
  list.OwnsItems = false;
  Tracked a(1), b(2), stranger(3);
  list.Add(&a);
  list.Add(&b);
  EXPECT_EQ(list.Neighbour(nullptr, true), &a);
  EXPECT_EQ(list.Neighbour(nullptr, false), &b);
  EXPECT_EQ(list.Neighbour(&a, true), &b);
  EXPECT_EQ(list.Neighbour(&b, true), nullptr);
  EXPECT_EQ(list.Neighbour(&a, false), nullptr);
  expectListError([&] { list.Neighbour(&stranger, true); }, "tObject Tracked not in item list");
}

TEST(ObjectList, OwningListReleasesOnlyThroughReleaseAll) {
  int released = 0;
  {
    TObjectList list;
    list.Add(new Tracked(1, &released));
    list.Add(new Tracked(2, &released));
    list.ReleaseAll();
    EXPECT_EQ(released, 2);
    EXPECT_EQ(list.ItemCount(), 0);
    Tracked kept(3, &released);
    list.Add(&kept);
    list.Clear(); // forgets without releasing
  }
  EXPECT_EQ(released, 3); // only `kept`, by going out of scope
  {
    TObjectList list;
    list.Add(new Tracked(4, &released));
  }
  EXPECT_EQ(released, 4);
}

TEST(ObjectList, SetItemCountOpensEmptySlots) {
  TObjectList list;
  list.OwnsItems = false;
  Tracked a(1);
  list.Add(&a);
  list.SetItemCount(0);
  list.SetItemCount(3);
  EXPECT_EQ(list.Get(0), nullptr);
  EXPECT_EQ(list.Get(2), nullptr);
  EXPECT_GE(list.Allocated(), 3);
}

// ---- Sorted lists ------------------------------------------------------------------------------

TEST(SortedObjectList, FindOnAnEmptyListAnswersFalseAtZero) {
  KeyList list(TDuplicates::dupAccept);
  Tracked key(1);
  int index = -1;
  EXPECT_FALSE(list.Find(&key, index));
  EXPECT_EQ(index, 0);
}

TEST(SortedObjectList, AddSortsAndReturnsZero) {
  KeyList list(TDuplicates::dupError);
  for (int k : {5, 1, 3, 9, 7})
    EXPECT_EQ(list.Add(new Tracked(k)), 0);
  for (int i = 0; i < list.ItemCount(); ++i) {
    EXPECT_EQ(static_cast<Tracked*>(list.Get(i))->key, 2 * i + 1);
  }
  Tracked seven(7), eight(8);
  EXPECT_EQ(list.IndexOf(&seven), 3);
  EXPECT_EQ(list.IndexOf(&eight), -1);
  int index = 0;
  EXPECT_FALSE(list.Find(&eight, index));
  EXPECT_EQ(index, 4);
}

TEST(SortedObjectList, ErrorPolicyRefusesAnEqualItemAndLeavesTheList) {
  KeyList list(TDuplicates::dupError);
  list.Add(new Tracked(1));
  list.Add(new Tracked(2));
  auto duplicate = std::make_unique<Tracked>(2);
  expectListError([&] { list.AddOwned(duplicate); }, "Duplicate Object index");
  EXPECT_NE(duplicate, nullptr);
  EXPECT_EQ(list.ItemCount(), 2);
}

TEST(SortedObjectList, IgnorePolicyLeavesTheItemWithTheCaller) {
  int released = 0;
  KeyList list(TDuplicates::dupIgnore);
  auto first = std::make_unique<Tracked>(2, &released);
  auto second = std::make_unique<Tracked>(2, &released);
  list.AddOwned(first);
  list.AddOwned(second);
  EXPECT_EQ(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(list.ItemCount(), 1);
  second.reset();
  EXPECT_EQ(released, 1);
}

TEST(SortedObjectList, AcceptPolicyPutsTheNewItemBeforeEveryEqualOne) {
  KeyList list(TDuplicates::dupAccept);
  list.OwnsItems = false;
  std::vector<Tracked> items{{1}, {2}, {2}, {2}, {2}, {2}, {3}};
  for (auto& item : items)
    list.Add(&item);
  Tracked two(2);
  int index = -1;
  EXPECT_TRUE(list.Find(&two, index));
  EXPECT_EQ(index, 1);
  list.Add(&two);
  EXPECT_EQ(list.Get(1), &two);
  // Equal items end up in the reverse of the order they came in.
  EXPECT_EQ(list.Get(2), &items[5]);
  EXPECT_EQ(list.Get(6), &items[1]);
}

TEST(SortedObjectList, PutIsRefused) {
  KeyList list(TDuplicates::dupAccept);
  list.Add(new Tracked(1));
  Tracked other(0);
  expectListError([&] { list.Put(0, &other); }, "Cannot <Put> an Object in a sorted list!");
}

} // namespace
} // namespace larkspur::zip
