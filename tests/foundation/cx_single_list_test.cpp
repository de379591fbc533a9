#include "foundation/cx_single_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

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

IntList Cons(int item, const IntList& rest) { return IntList(item, rest); }

template <typename Action>
std::string ReportOf(Action action) {
  testing::internal::CaptureStderr();
  bool thrown = false;
  try {
    action();
  } catch (const CX_Exception&) {
    thrown = true;
  }
  std::string report = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(thrown) << "no CX_Exception";
  return report;
}

TEST(CxSingleListAccess, ConsBuildsTheListFrontToBack) {
  IntList list = Cons(1, Cons(2, Cons(3, IntList())));
  EXPECT_EQ(list.Length(), 3u);
  EXPECT_FALSE(list.IsEmpty());
  EXPECT_EQ(list.Head(), 1);
  EXPECT_EQ(list.ItemAt(0), 1);
  EXPECT_EQ(list.ItemAt(2), 3);
  IntList tail = list.Tail();
  EXPECT_EQ(tail.Length(), 2u);
  EXPECT_EQ(tail.Head(), 2);
  EXPECT_TRUE(tail.Tail().Tail().IsEmpty());
  EXPECT_EQ(tail.Tail().Tail().Length(), 0u);
}

TEST(CxSingleListSharing, ConsAndTailShareNodesInsteadOfCopying) {
  IntList base = Cons(2, Cons(3, IntList()));
  IntList longer = Cons(1, base);
  EXPECT_EQ(&longer.ItemAt(1), &base.Head());
  EXPECT_EQ(&longer.Tail().Head(), &base.Head());
  IntList copy = longer;
  EXPECT_EQ(&copy.Head(), &longer.Head());
}

TEST(CxSingleListSharing, ASharedTailOutlivesTheListThatMadeIt) {
  Counted::live = 0;
  {
    auto first = std::make_unique<CX_TSingleList<Counted>>(
        Counted(1), CX_TSingleList<Counted>(Counted(2), CX_TSingleList<Counted>()));
    CX_TSingleList<Counted> other(Counted(0), first->Tail());
    EXPECT_EQ(Counted::live, 3);
    first.reset();
    EXPECT_EQ(Counted::live, 2);  // only the node of 1 went
    EXPECT_EQ(other.ItemAt(1).value, 2);
  }
  EXPECT_EQ(Counted::live, 0);
}

TEST(CxSingleListSharing, AssignmentReleasesTheFormerNodesAndSurvivesSelfAssignment) {
  Counted::live = 0;
  {
    CX_TSingleList<Counted> a(Counted(1), CX_TSingleList<Counted>());
    CX_TSingleList<Counted> b(Counted(2), CX_TSingleList<Counted>(Counted(3), {}));
    EXPECT_EQ(Counted::live, 3);
    b = a;
    EXPECT_EQ(Counted::live, 1);
    b = *&b;
    EXPECT_EQ(b.Head().value, 1);
    a = a.Tail();  // drops a's hold on its only node; b still holds it
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(Counted::live, 1);
    CX_TSingleList<Counted> c(std::move(b));
    EXPECT_TRUE(b.IsEmpty());  // NOLINT(bugprone-use-after-move): moved-from state is defined
    b = std::move(c);
    EXPECT_EQ(b.Head().value, 1);
    EXPECT_EQ(Counted::live, 1);
    CX_TSingleList<Counted> copy(b);
    b = CX_TSingleList<Counted>();
    EXPECT_EQ(Counted::live, 1);  // the copy still holds the node
    copy = *&copy;                // as the only holder
    EXPECT_EQ(Counted::live, 1);
    EXPECT_EQ(copy.Head().value, 1);
  }
  EXPECT_EQ(Counted::live, 0);
}

TEST(CxSingleListSharing, AMillionNodeListIsDroppedWithoutRecursion) {
  IntList list;
  for (int i = 0; i < 1000000; ++i) list = IntList(i, list);
  IntList shared_tail = list.Tail().Tail();
  EXPECT_EQ(list.Length(), 1000000u);
  list = IntList();
  EXPECT_EQ(shared_tail.Head(), 999997);
  EXPECT_EQ(shared_tail.Length(), 999998u);
  shared_tail = IntList();
  EXPECT_TRUE(shared_tail.IsEmpty());
}

TEST(CxSingleListChecks, EmptyListAccessReportsIsNull) {
  IntList empty;
  EXPECT_EQ(ReportOf([&] { empty.Head(); }),
            "Is_Null (who: CX_TSingleList::Head, what: object is null)\n");
  EXPECT_EQ(ReportOf([&] { empty.Tail(); }),
            "Is_Null (who: CX_TSingleList::Tail, what: object is null)\n");
  EXPECT_EQ(ReportOf([&] { empty.ItemAt(0); }),
            "Is_Null (who: CX_TSingleList::ItemAt, what: object is null)\n");
}

TEST(CxSingleListChecks, ItemAtPastTheEndReportsRangeError) {
  IntList list = Cons(1, Cons(2, IntList()));
  EXPECT_EQ(ReportOf([&] { list.ItemAt(2); }),
            "Range_Error (who: CX_TSingleList::ItemAt, what: index is out of range)\n");
}

}  // namespace
