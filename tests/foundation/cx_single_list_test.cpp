#include "foundation/cx_single_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

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

TEST(CxSingleList, ConsBuildsFrontToBackAndSharesNodesInsteadOfCopying) {
  IntList base = IntList(2, IntList(3, IntList()));
  IntList list = IntList(1, base);
  EXPECT_EQ(list.Length(), 3u);
  EXPECT_EQ(list.Head(), 1);
  EXPECT_EQ(list.ItemAt(2), 3);
  EXPECT_EQ(list.Tail().Head(), 2);
  EXPECT_TRUE(list.Tail().Tail().Tail().IsEmpty());
  EXPECT_EQ(list.Tail().Tail().Tail().Length(), 0u);
  EXPECT_EQ(&list.ItemAt(1), &base.Head());
  EXPECT_EQ(&list.Tail().Head(), &base.Head());
  IntList copy = list;
  EXPECT_EQ(&copy.Head(), &list.Head());
}

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
    EXPECT_EQ(Counted::live, 3);
    b = a;
    EXPECT_EQ(Counted::live, 1);
    b = *&b;
    EXPECT_EQ(b.Head().value, 1);
    a = a.Tail();  // drops a's hold on its only node; b still holds it
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(Counted::live, 1);
    CountedList c(std::move(b));
    EXPECT_TRUE(b.IsEmpty());  // NOLINT(bugprone-use-after-move): moved-from state is defined
    b = std::move(c);
    CountedList copy(b);
    b = CountedList();
    copy = *&copy;  // as the only holder
    EXPECT_EQ(Counted::live, 1);
    EXPECT_EQ(copy.Head().value, 1);
  }
  EXPECT_EQ(Counted::live, 0);
}

TEST(CxSingleList, AMillionNodeListIsDroppedWithoutRecursion) {
  IntList list;
  for (int i = 0; i < 1000000; ++i) list = IntList(i, list);
  IntList shared_tail = list.Tail().Tail();
  list = IntList();
  EXPECT_EQ(shared_tail.Head(), 999997);
  EXPECT_EQ(shared_tail.Length(), 999998u);
  shared_tail = IntList();
}

TEST(CxSingleList, EmptyListAccessAndIndexPastTheEndAreReported) {
  auto is_null = [](const std::string& who) {
    return "Is_Null (who: CX_TSingleList::" + who + ", what: object is null)\n";
  };
  IntList empty;
  EXPECT_EQ(ReportOf([&] { empty.Head(); }), is_null("Head"));
  EXPECT_EQ(ReportOf([&] { empty.Tail(); }), is_null("Tail"));
  EXPECT_EQ(ReportOf([&] { empty.ItemAt(0); }), is_null("ItemAt"));
  IntList list(1, IntList(2, IntList()));
  EXPECT_EQ(ReportOf([&] { list.ItemAt(2); }),
            "Range_Error (who: CX_TSingleList::ItemAt, what: index is out of range)\n");
}

}  // namespace
