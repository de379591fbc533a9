#include "foundation/cx_unbounded.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"

// Reads the list's links and cache, which the public interface hides.
template <typename Item>
struct CX_TUnboundedInspector {
  using List = CX_TUnbounded<Item>;

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

template <typename Item>
CX_TUnbounded<Item> ListOf(std::initializer_list<Item> items) {
  CX_TUnbounded<Item> list;
  for (const Item& item : items) list.Append(item);
  return list;
}

TEST(CxUnboundedShape, RandomEditsMatchAVectorModelAtEveryStep) {
  std::mt19937 random(20240611);
  CX_TUnbounded<int> list;
  std::vector<int> model;
  auto pick = [&](uint32_t bound) {
    return std::uniform_int_distribution<uint32_t>(0, bound)(random);
  };
  for (int step = 0; step < 2000; ++step) {
    const auto length = static_cast<uint32_t>(model.size());
    const uint32_t at = pick(length);                           // a position in 0..Length()
    const uint32_t index = length == 0 ? 0 : pick(length - 1);  // an existing item
    switch (length == 0 ? pick(1) : pick(4)) {
      case 0:  // Append(item) when `at` reaches the last index or beyond
        list.Append(step, at);
        model.insert(length == 0 || at >= length - 1 ? model.end() : model.begin() + at + 1, step);
        break;
      case 1:  // Insert(item) when `at` is 0
        list.Insert(step, at);
        model.insert(model.begin() + at, step);
        break;
      case 2:
        list.Remove(index);
        model.erase(model.begin() + index);
        break;
      case 3:
        list.Replace(index, -step);
        model[index] = -step;
        break;
      default:
        ASSERT_EQ(model[static_cast<size_t>(list.Location(model[index]))], model[index])
            << "step " << step;
        break;
    }
    ASSERT_EQ(IntInspector::Fault(list), "") << "step " << step;
    ASSERT_EQ(ByIndex(list), model) << "step " << step;
  }
}

// Every Remove in the random test removes the node just cached; this is the one-item case.
TEST(CxUnboundedShape, RemoveEmptiesAOneItemListWhateverTheIndexAndForgetsTheCache) {
  CX_TUnbounded<int> single = ListOf({7});
  EXPECT_EQ(single[0], 7);
  single.Remove(41);
  EXPECT_EQ(single.Length(), 0u);
  EXPECT_EQ(IntInspector::Fault(single), "");
  single.Append(8, 5);  // an empty list takes the item whatever `after` says
  EXPECT_EQ(single.First(), 8);
}

TEST(CxUnboundedChecks, BadIndexOrEmptyListReportsAndLeavesTheListAlone) {
  CX_TUnbounded<int> list = ListOf({1, 2});
  CX_TUnbounded<int> empty;
  EXPECT_EQ(ReportOf([&] { list[2]; }),
            "Range_Error (who: CX_TUnbounded<>::operator[], what: index is out of range)\n");
  EXPECT_EQ(ReportOf([&] { empty.Remove(0); }),
            "Underflow (who: CX_TUnbounded::Remove, what: object is empty)\n");
  ExpectRejected([&] { list.Insert(9, 3); }, CX_Errors::UnboundedInsertRange);
  ExpectRejected([&] { list.Append(9, 3); }, CX_Errors::UnboundedAppendRange);
  ExpectRejected([&] { list.Remove(2); }, CX_Errors::UnboundedRemoveRange);
  ExpectRejected([&] { empty.First(); }, CX_Errors::UnboundedFirstEmpty);
  EXPECT_EQ(ByIndex(list), (std::vector<int>{1, 2}));
  EXPECT_EQ(empty.Length(), 0u);
}

TEST(CxUnboundedCopies, CopiesAreIndependentAndMovesEmptyTheSource) {
  CX_TUnbounded<std::string> list = ListOf<std::string>({"a", "b"});
  CX_TUnbounded<std::string> copy(list);
  copy.Replace(0, "z");
  EXPECT_EQ(list[0], "a");
  CX_TUnbounded<std::string> assigned = ListOf<std::string>({"old"});
  assigned = copy;
  assigned = *&assigned;
  EXPECT_EQ(assigned.Length(), 2u);
  EXPECT_EQ(assigned[0], "z");

  CX_TUnbounded<std::string> moved(std::move(list));
  EXPECT_EQ(list.Length(), 0u);  // NOLINT(bugprone-use-after-move): moved-from state is defined
  EXPECT_EQ(moved[1], "b");
  EXPECT_EQ(CX_TUnboundedInspector<std::string>::Fault(list), "");
}

TEST(CxUnboundedCopies, AMillionItemListIsDestroyedWithoutRecursion) {
  auto list = std::make_unique<CX_TUnbounded<int>>();
  for (int i = 0; i < 1000000; ++i) list->Append(i);
  list.reset();
}

}  // namespace
