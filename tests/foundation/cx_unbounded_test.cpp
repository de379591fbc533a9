#include "foundation/cx_unbounded.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

// Reads the list's links and cache, which the public interface hides.
template <typename Item>
struct CX_TUnboundedInspector {
  using List = CX_TUnbounded<Item>;

  static bool HasCache(const List& list) { return list.cache_node_ != nullptr; }
  static uint32_t CachedIndex(const List& list) { return list.cache_index_; }

  // Checks head, tail, length, both link directions and the cache; returns the first fault.
  static std::string Fault(const List& list) {
    if ((list.head_ == nullptr) != (list.length_ == 0)) return "head and length disagree";
    if ((list.tail_ == nullptr) != (list.length_ == 0)) return "tail and length disagree";
    if (list.head_ != nullptr && list.head_->previous != nullptr) return "head has a previous";
    if (list.tail_ != nullptr && list.tail_->next != nullptr) return "tail has a next";
    uint32_t count = 0;
    bool cache_seen = false;
    for (auto* node = list.head_; node != nullptr; node = node->next, ++count) {
      if (node->next != nullptr && node->next->previous != node) return "broken back link";
      if (node->next == nullptr && node != list.tail_) return "last node is not the tail";
      if (node == list.cache_node_) {
        if (list.cache_index_ != count) return "cache index does not match its node";
        cache_seen = true;
      }
    }
    if (count != list.length_) return "length does not match the nodes";
    if (list.cache_node_ != nullptr && !cache_seen) return "cache points outside the list";
    return "";
  }
};

namespace {

using IntInspector = CX_TUnboundedInspector<int>;

std::vector<int> ByIndex(const CX_TUnbounded<int>& list) {
  std::vector<int> items;
  for (uint32_t i = 0; i < list.Length(); ++i) items.push_back(list[i]);
  return items;
}

CX_TUnbounded<int> ListOf(const std::vector<int>& items) {
  CX_TUnbounded<int> list;
  for (int item : items) list.Append(item);
  return list;
}

// Runs `action`, which must throw CX_Exception, and returns what it wrote to stderr.
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

TEST(CxUnboundedShape, RandomEditsMatchAVectorModelAtEveryStep) {
  std::mt19937 random(20240611);
  CX_TUnbounded<int> list;
  std::vector<int> model;
  auto pick = [&](uint32_t bound) {
    return std::uniform_int_distribution<uint32_t>(0, bound)(random);
  };
  for (int step = 0; step < 4000; ++step) {
    const int value = step;
    const auto length = static_cast<uint32_t>(model.size());
    switch (pick(8)) {
      case 0:
        list.Append(value);
        model.push_back(value);
        break;
      case 1: {
        uint32_t after = pick(length);
        list.Append(value, after);
        model.insert(length == 0 || after >= length - 1 ? model.end() : model.begin() + after + 1,
                     value);
        break;
      }
      case 2:
        list.Insert(value);
        model.insert(model.begin(), value);
        break;
      case 3: {
        uint32_t before = pick(length);
        list.Insert(value, before);
        model.insert(model.begin() + before, value);
        break;
      }
      case 4:
      case 5:
        if (length > 0) {
          uint32_t index = pick(length - 1);
          list.Remove(index);
          model.erase(model.begin() + index);
        }
        break;
      case 6:
        if (length > 0) {
          uint32_t index = pick(length - 1);
          list.Replace(index, -value);
          model[index] = -value;
        }
        break;
      case 7:
        if (length > 0) {
          uint32_t index = pick(length - 1);
          ASSERT_EQ(list[index], model[index]) << "step " << step;
        }
        break;
      default:
        if (length > 0) {
          int wanted = model[pick(length - 1)];
          ASSERT_EQ(model[static_cast<size_t>(list.Location(wanted))], wanted) << "step " << step;
        }
        break;
    }
    ASSERT_EQ(IntInspector::Fault(list), "") << "step " << step;
    ASSERT_EQ(list.Length(), model.size()) << "step " << step;
    if (step % 7 == 0) {
      ASSERT_EQ(ByIndex(list), model) << "step " << step;
      // Walk backwards too, so the cache steps through previous links.
      for (uint32_t i = list.Length(); i > 0; --i) ASSERT_EQ(list[i - 1], model[i - 1]);
    }
  }
}

TEST(CxUnboundedShape, RemovingInTheMiddleThenIteratingVisitsEveryOtherItemOnce) {
  CX_TUnbounded<int> list = ListOf({0, 1, 2, 3, 4, 5});
  EXPECT_EQ(list[2], 2);  // cache on the node about to go
  list.Remove(2);
  EXPECT_EQ(ByIndex(list), (std::vector<int>{0, 1, 3, 4, 5}));
  EXPECT_EQ(IntInspector::Fault(list), "");
}

TEST(CxUnboundedShape, RemoveOfTheOnlyItemClearsHeadTailAndCache) {
  CX_TUnbounded<int> list = ListOf({7});
  EXPECT_EQ(list[0], 7);
  ASSERT_TRUE(IntInspector::HasCache(list));
  list.Remove(0);
  EXPECT_EQ(list.Length(), 0u);
  EXPECT_FALSE(IntInspector::HasCache(list));
  EXPECT_EQ(IntInspector::Fault(list), "");
  list.Append(8);
  EXPECT_EQ(ByIndex(list), std::vector<int>{8});
}

TEST(CxUnboundedShape, RemoveOnAOneItemListEmptiesItWhateverTheIndex) {
  CX_TUnbounded<int> list = ListOf({7});
  list.Remove(41);
  EXPECT_EQ(list.Length(), 0u);
  EXPECT_EQ(IntInspector::Fault(list), "");
}

TEST(CxUnboundedShape, RemovingTheCachedTailMovesTheCacheToTheNewTail) {
  CX_TUnbounded<int> list = ListOf({0, 1, 2});
  EXPECT_EQ(list[2], 2);
  list.Remove(2);
  EXPECT_EQ(IntInspector::Fault(list), "");
  EXPECT_EQ(list[1], 1);
  list.Append(9);
  EXPECT_EQ(ByIndex(list), (std::vector<int>{0, 1, 9}));
}

TEST(CxUnboundedShape, InsertingBeforeTheCachedNodeShiftsItsIndex) {
  CX_TUnbounded<int> list = ListOf({0, 1, 2, 3});
  EXPECT_EQ(list[2], 2);
  list.Insert(-1);
  EXPECT_EQ(IntInspector::CachedIndex(list), 3u);
  EXPECT_EQ(IntInspector::Fault(list), "");
  EXPECT_EQ(list[3], 2);
  list.Insert(10, 1);  // reaches index 0 through the cache, then links behind it
  EXPECT_EQ(IntInspector::Fault(list), "");
  EXPECT_EQ(ByIndex(list), (std::vector<int>{-1, 10, 0, 1, 2, 3}));
}

TEST(CxUnboundedPositions, AppendAfterAndInsertBeforeTheirBoundaries) {
  CX_TUnbounded<int> list;
  list.Append(1, 5);  // an empty list takes the item at the end whatever `after` says
  list.Append(3, 1);  // after == Length(): at the end
  list.Append(2, 0);
  list.Insert(4, 3);  // before == Length(): at the end
  list.Insert(0, 0);
  EXPECT_EQ(ByIndex(list), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(list.First(), 0);
  EXPECT_EQ(IntInspector::Fault(list), "");
}

TEST(CxUnboundedPositions, LocationFindsTheFirstEqualItemAndCachesIt) {
  CX_TUnbounded<std::string> list;
  for (const char* text : {"alpha", "Beta", "beta", "beta"}) list.Append(text);
  EXPECT_EQ(list.Location("beta"), 2);
  EXPECT_EQ(CX_TUnboundedInspector<std::string>::CachedIndex(list), 2u);
  EXPECT_EQ(list.Location("Beta"), 1);
  EXPECT_EQ(list.Location("BETA"), -1);
}

TEST(CxUnboundedPositions, LocationMissLeavesTheCacheAlone) {
  CX_TUnbounded<int> list = ListOf({5, 6, 7, 8});
  EXPECT_EQ(list[2], 7);
  EXPECT_EQ(list.Location(99), -1);
  ASSERT_TRUE(IntInspector::HasCache(list));
  EXPECT_EQ(IntInspector::CachedIndex(list), 2u);
  EXPECT_EQ(IntInspector::Fault(list), "");
}

TEST(CxUnboundedPositions, LocationPrefersTheCachedItemOverAnEarlierEqualOne) {
  CX_TUnbounded<int> list = ListOf({4, 4, 4});
  EXPECT_EQ(list[1], 4);
  EXPECT_EQ(list.Location(4), 1);
}

TEST(CxUnboundedPositions, SequentialAccessStepsTheCacheOneNodeAtATime) {
  CX_TUnbounded<int> list = ListOf({0, 1, 2, 3, 4, 5, 6, 7});
  for (uint32_t i = 0; i < list.Length(); ++i) {
    EXPECT_EQ(list.ItemAt(i), static_cast<int>(i));
    EXPECT_EQ(IntInspector::CachedIndex(list), i);
  }
  list.ItemAt(6) = 60;
  EXPECT_EQ(list[6], 60);
}

TEST(CxUnboundedChecks, OutOfRangeSubscriptReportsAndThrows) {
  CX_TUnbounded<int> list = ListOf({1, 2});
  EXPECT_EQ(ReportOf([&] { list[2]; }),
            "Range_Error (who: CX_TUnbounded<>::operator[], what: index is out of range)\n");
  EXPECT_EQ(ReportOf([&] { list.Replace(5, 0); }),
            "Range_Error (who: CX_TUnbounded<>::operator[], what: index is out of range)\n");
  EXPECT_EQ(ByIndex(list), (std::vector<int>{1, 2}));
}

TEST(CxUnboundedChecks, InsertAndAppendPastTheEndReportAndLeaveTheListAlone) {
  CX_TUnbounded<int> list = ListOf({1, 2});
  EXPECT_EQ(ReportOf([&] { list.Insert(9, 3); }),
            "Range_Error (who: CX_TUnbounded::Insert, what: index is out of range)\n");
  EXPECT_EQ(ReportOf([&] { list.Append(9, 3); }),
            "Range_Error (who: CX_TUnbounded::Append, what: index is out of range)\n");
  CX_TUnbounded<int> empty;
  EXPECT_EQ(ReportOf([&] { empty.Insert(9, 1); }),
            "Range_Error (who: CX_TUnbounded::Insert, what: index is out of range)\n");
  EXPECT_EQ(ByIndex(list), (std::vector<int>{1, 2}));
  EXPECT_EQ(empty.Length(), 0u);
}

TEST(CxUnboundedChecks, RemoveAndFirstOnAnEmptyListReportUnderflow) {
  CX_TUnbounded<int> list;
  EXPECT_EQ(ReportOf([&] { list.Remove(0); }),
            "Underflow (who: CX_TUnbounded::Remove, what: object is empty)\n");
  EXPECT_EQ(ReportOf([&] { list.First(); }),
            "Underflow (who: CX_TUnbounded<>::First(), what: object is empty)\n");
}

TEST(CxUnboundedChecks, RemovePastTheEndReportsRangeError) {
  CX_TUnbounded<int> list = ListOf({1, 2, 3});
  EXPECT_EQ(ReportOf([&] { list.Remove(3); }),
            "Range_Error (who: CX_TUnbounded::Remove, what: index is out of range)\n");
  EXPECT_EQ(ByIndex(list), (std::vector<int>{1, 2, 3}));
}

TEST(CxUnboundedCopies, CopiesAreIndependentAndMovesEmptyTheSource) {
  CX_TUnbounded<std::string> list;
  list.Append("a");
  list.Append("b");
  CX_TUnbounded<std::string> copy(list);
  copy.Replace(0, "z");
  EXPECT_EQ(list[0], "a");
  CX_TUnbounded<std::string> assigned;
  assigned.Append("old");
  assigned = copy;
  EXPECT_EQ(assigned.Length(), 2u);
  EXPECT_EQ(assigned[0], "z");
  assigned = *&assigned;
  EXPECT_EQ(assigned[1], "b");

  CX_TUnbounded<std::string> moved(std::move(list));
  EXPECT_EQ(list.Length(), 0u);  // NOLINT(bugprone-use-after-move): moved-from state is defined
  EXPECT_EQ(moved[1], "b");
  copy = std::move(moved);
  EXPECT_EQ(copy[0], "a");
  EXPECT_EQ(moved.Length(), 0u);  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(CX_TUnboundedInspector<std::string>::Fault(copy), "");
  EXPECT_EQ(CX_TUnboundedInspector<std::string>::Fault(moved), "");
}

TEST(CxUnboundedCopies, AMillionItemListIsDestroyedWithoutRecursion) {
  auto list = std::make_unique<CX_TUnbounded<int>>();
  for (int i = 0; i < 1000000; ++i) list->Append(i);
  EXPECT_EQ((*list)[999999], 999999);
  list.reset();
}

}  // namespace
