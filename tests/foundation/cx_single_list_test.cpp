#include "foundation/cx_single_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "test_support.h"

namespace {

// Counts live instances, so that tests see when nodes are destroyed.
struct Counted {
  static inline int live = 0;
  explicit Counted(int v) : value(v) { ++live; }
  Counted(const Counted& other) : value(other.value) { ++live; }
  Counted(Counted&& other) noexcept : value(other.value) { ++live; }
  Counted& operator=(const Counted&) = default;
  ~Counted() { --live; }
  int value;
};

using IntList = CX_TSingleList<int>;
using CountedList = CX_TSingleList<Counted>;

TEST(CxSingleList, ASharedTailOutlivesTheListThatMadeIt) {
  Counted::live = 0;
  {
    auto first = std::make_unique<CountedList>(Counted(1), CountedList(Counted(2), CountedList()));
    CountedList other(Counted(0), first->Tail());
    EXPECT_EQ(Counted::live, 3);
    first.reset();
    EXPECT_EQ(Counted::live, 2);  // only the node of 1 went
    EXPECT_EQ(other.ItemAt(1).value, 2);
  }
  EXPECT_EQ(Counted::live, 0);
}

TEST(CxSingleList, AssignmentReleasesTheFormerNodesAndSurvivesSelfAssignment) {
  Counted::live = 0;
  {
    CountedList a(Counted(1), CountedList());
    CountedList b(Counted(2), CountedList(Counted(3), {}));
    b = a;
    EXPECT_EQ(Counted::live, 1);
    a = a.Tail();  // drops a's hold on its only node; b still holds it
    EXPECT_TRUE(a.IsEmpty());
    b = *&b;  // as the only holder
    EXPECT_EQ(Counted::live, 1);
    EXPECT_EQ(b.Head().value, 1);
  }
  EXPECT_EQ(Counted::live, 0);
}

TEST(CxSingleList, AMillionNodeListIsDroppedWithoutRecursion) {
  IntList list;
  for (int i = 0; i < 1000000; ++i) list = IntList(i, list);
  IntList shared_tail = list.Tail().Tail();
  list = IntList();
  EXPECT_EQ(shared_tail.Head(), 999997);
}

TEST(CxSingleList, EmptyListAccessAndIndexPastTheEndAreReported) {
  const IntList empty;
  EXPECT_EQ(ReportOf([&] { empty.Head(); }),
            "Is_Null (who: CX_TSingleList::Head, what: object is null)\n");
  ExpectRejected([&] { empty.Tail(); }, CX_Errors::SingleListTailNull);
  const IntList list(1, IntList(2, IntList()));
  ExpectRejected([&] { list.ItemAt(2); }, CX_Errors::SingleListItemAtRange);
}

}  // namespace
