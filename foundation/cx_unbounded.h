// CX_TUnbounded<Item>: an index-based doubly linked list with a one-entry position cache.
//
// Items are stored by value. Positional access remembers the node it reached, so that stepping
// through the list by index (0, 1, 2, ... or backwards) costs one link per step. Every operation
// with a precondition checks it and, when it fails, reports the operation's descriptor and throws
// CX_Exception without touching the list. Not thread-safe: even const reads move the cache.
#pragma once

#include <cstdint>
#include <utility>

#include "foundation/cx_error_descriptor.h"

template <typename Item>
class CX_TUnbounded {
 public:
  // An empty list.
  CX_TUnbounded() = default;

  // Copies every item of `other`, in order; the cache starts empty.
  CX_TUnbounded(const CX_TUnbounded& other) {
    try {
      for (const Node* node = other.head_; node != nullptr; node = node->next) Append(node->item);
    } catch (...) {
      Clear();
      throw;
    }
  }

  // Takes the nodes of `other`, which is left empty.
  CX_TUnbounded(CX_TUnbounded&& other) noexcept { Swap(other); }

  // Replaces the contents with copies of the items of `other`; on failure the list is unchanged.
  CX_TUnbounded& operator=(const CX_TUnbounded& other) {
    if (this != &other) {
      CX_TUnbounded copy(other);
      Swap(copy);
    }
    return *this;
  }

  // Replaces the contents with the nodes of `other`, which is left empty.
  CX_TUnbounded& operator=(CX_TUnbounded&& other) noexcept {
    if (this != &other) {
      Clear();
      Swap(other);
    }
    return *this;
  }

  // Deletes every node, one after the other (never recursively).
  ~CX_TUnbounded() { Clear(); }

  // Number of items.
  uint32_t Length() const { return length_; }

  // Deletes every item; head, tail, length and cache are reset.
  void Clear() {
    Node* node = head_;
    while (node != nullptr) {
      Node* next = node->next;
      delete node;
      node = next;
    }
    head_ = tail_ = nullptr;
    length_ = 0;
    ForgetCache();
  }

  // Adds the item at the end.
  void Append(Item item) { LinkAfter(tail_, length_, std::move(item)); }

  // Adds the item after index `after`. When the list is empty, or `after` equals Length(), the
  // item goes at the end. Range_Error when `after` is greater than Length().
  void Append(Item item, uint32_t after) {
    if (length_ == 0 || after >= length_ - 1) {
      CX_Require(length_ == 0 || after <= length_, CX_Errors::UnboundedAppendRange);
      Append(std::move(item));
      return;
    }
    LinkAfter(NodeAt(after), after + 1, std::move(item));
  }

  // Adds the item at the front.
  void Insert(Item item) { LinkAfter(nullptr, 0, std::move(item)); }

  // Adds the item before index `before`, so that it gets that index; `before` equal to Length()
  // adds at the end. Range_Error when `before` is greater than Length().
  void Insert(Item item, uint32_t before) {
    CX_Require(before <= length_, CX_Errors::UnboundedInsertRange);
    if (before == 0) {
      Insert(std::move(item));
    } else {
      LinkAfter(NodeAt(before - 1), before, std::move(item));
    }
  }

  // Deletes the item at index. A list of one item is emptied whatever the index.
  // Underflow on an empty list; Range_Error when index >= Length() (two items or more).
  void Remove(uint32_t index) {
    CX_Require(length_ != 0, CX_Errors::UnboundedRemoveEmpty);
    if (length_ == 1) {
      Clear();
      return;
    }
    CX_Require(index < length_, CX_Errors::UnboundedRemoveRange);
    Unlink(NodeAt(index), index);
  }

  // Assigns the item at index. Range_Error when index >= Length().
  void Replace(uint32_t index, Item item) { At(index) = std::move(item); }

  // The item at index; the reference lives until that item is removed or the list is cleared.
  // Range_Error when index >= Length().
  Item& operator[](uint32_t index) { return At(index); }
  const Item& operator[](uint32_t index) const { return At(index); }
  Item& ItemAt(uint32_t index) { return At(index); }
  const Item& ItemAt(uint32_t index) const { return At(index); }

  // The item at the front. Underflow on an empty list.
  Item& First() {
    CX_Require(head_ != nullptr, CX_Errors::UnboundedFirstEmpty);
    return head_->item;
  }
  const Item& First() const {
    CX_Require(head_ != nullptr, CX_Errors::UnboundedFirstEmpty);
    return head_->item;
  }

  // Index of an item equal to `item` (compared with Item's operator==), or -1 when there is none.
  // The cached item is compared first and wins on a match, even if an equal item comes earlier;
  // otherwise the first equal item from the front is found and cached. A miss leaves the cache.
  int Location(const Item& item) const {
    if (cache_node_ != nullptr && cache_node_->item == item) return static_cast<int>(cache_index_);
    uint32_t index = 0;
    for (Node* node = head_; node != nullptr; node = node->next, ++index) {
      if (node->item == item) {
        Remember(node, index);
        return static_cast<int>(index);
      }
    }
    return -1;
  }

 private:
  struct Node {
    Node(Item value, Node* before, Node* after)
        : item(std::move(value)), previous(before), next(after) {}
    Item item;
    Node* previous;
    Node* next;
  };

  // Lets tests check head, tail and cache directly.
  template <typename>
  friend struct CX_TUnboundedInspector;

  void Swap(CX_TUnbounded& other) noexcept {
    std::swap(head_, other.head_);
    std::swap(tail_, other.tail_);
    std::swap(length_, other.length_);
    std::swap(cache_node_, other.cache_node_);
    std::swap(cache_index_, other.cache_index_);
  }

  void ForgetCache() const {
    cache_node_ = nullptr;
    cache_index_ = 0;
  }

  void Remember(Node* node, uint32_t index) const {
    cache_node_ = node;
    cache_index_ = index;
  }

  Item& At(uint32_t index) const {
    CX_Require(index < length_, CX_Errors::UnboundedSubscriptRange);
    return NodeAt(index)->item;
  }

  // The node at index (index < length_), found from the cache when it is at or next to the
  // cached index, otherwise by walking from the nearer end; the node found is cached.
  Node* NodeAt(uint32_t index) const {
    Node* node = nullptr;
    if (cache_node_ != nullptr && index == cache_index_) {
      node = cache_node_;
    } else if (cache_node_ != nullptr && index == cache_index_ + 1) {
      node = cache_node_->next;
    } else if (cache_node_ != nullptr && index + 1 == cache_index_) {
      node = cache_node_->previous;
    } else if (index < length_ / 2) {
      node = head_;
      for (uint32_t i = 0; i < index; ++i) node = node->next;
    } else {
      node = tail_;
      for (uint32_t i = length_ - 1; i > index; --i) node = node->previous;
    }
    Remember(node, index);
    return node;
  }

  // Links a new node after `before` (null: at the front); the new node gets index `index`.
  // The cache keeps its node: its index moves up when the new node lands at or before it.
  void LinkAfter(Node* before, uint32_t index, Item item) {
    Node* after = before != nullptr ? before->next : head_;
    Node* node = new Node(std::move(item), before, after);
    (before != nullptr ? before->next : head_) = node;
    (after != nullptr ? after->previous : tail_) = node;
    ++length_;
    if (cache_node_ != nullptr && cache_index_ >= index) ++cache_index_;
  }

  // Unlinks and deletes `node`, which sits at `index` and holds the cache (NodeAt just put it
  // there). The cache moves to the node that takes its index, or to the new tail.
  void Unlink(Node* node, uint32_t index) {
    if (node->next != nullptr) {
      Remember(node->next, index);
    } else if (node->previous != nullptr) {
      Remember(node->previous, index - 1);
    } else {
      ForgetCache();
    }
    (node->previous != nullptr ? node->previous->next : head_) = node->next;
    (node->next != nullptr ? node->next->previous : tail_) = node->previous;
    --length_;
    delete node;
  }

  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  uint32_t length_ = 0;
  mutable Node* cache_node_ = nullptr;
  mutable uint32_t cache_index_ = 0;
};
