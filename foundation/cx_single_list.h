// CX_TSingleList<Item>: an immutable singly linked list whose nodes are shared between lists.
//
// Prepending an item makes a new list that shares every node of the old one; Tail() shares the
// nodes after the first. Each node counts the lists and nodes that refer to it and is destroyed
// when the count drops to zero; a chain is released node by node, never recursively, so lists of
// any length can be dropped. The counts are not atomic: lists sharing nodes belong to one thread.
#pragma once

#include <cstdint>
#include <utility>

#include "foundation/cx_error_descriptor.h"

template <typename Item>
class CX_TSingleList;

// A shared node: an item, the next node (counted as one reference on it) and the reference count.
// Created and destroyed only by CX_TSingleList.
template <typename Item>
class CX_TSingleNode {
 public:
  CX_TSingleNode(const CX_TSingleNode&) = delete;
  CX_TSingleNode& operator=(const CX_TSingleNode&) = delete;

  // The item; lives as long as the node.
  const Item& Value() const { return item_; }

 private:
  friend class CX_TSingleList<Item>;

  CX_TSingleNode(Item item, CX_TSingleNode* next) : item_(std::move(item)), next_(next) {
    if (next_ != nullptr) ++next_->references_;
  }

  // Only called once the count is zero and next_ has been released by the owner; a node that is
  // still referenced is a fault of this file's own logic and ends the process.
  ~CX_TSingleNode() {
    if (references_ != 0) CX_ReportFatalError(CX_Errors::SingleNodeReferenced);
  }

  Item item_;
  CX_TSingleNode* next_;
  uint32_t references_ = 0;
};

template <typename Item>
class CX_TSingleList {
  using Node = CX_TSingleNode<Item>;

 public:
  // The empty list.
  CX_TSingleList() = default;

  // The list of `item` followed by the items of `rest`, whose nodes are shared, not copied.
  CX_TSingleList(Item item, const CX_TSingleList& rest)
      : head_(new Node(std::move(item), rest.head_)), length_(rest.length_ + 1) {
    head_->references_ = 1;
  }

  // Shares the nodes of `other`.
  CX_TSingleList(const CX_TSingleList& other) : head_(other.head_), length_(other.length_) {
    if (head_ != nullptr) ++head_->references_;
  }

  // Takes the nodes of `other`, which is left empty.
  CX_TSingleList(CX_TSingleList&& other) noexcept
      : head_(std::exchange(other.head_, nullptr)), length_(std::exchange(other.length_, 0)) {}

  // Shares the nodes of `other` and releases the former ones.
  CX_TSingleList& operator=(const CX_TSingleList& other) {
    if (other.head_ != nullptr) ++other.head_->references_;
    Release(head_);
    head_ = other.head_;
    length_ = other.length_;
    return *this;
  }

  // Takes the nodes of `other`, which is left empty, and releases the former ones.
  CX_TSingleList& operator=(CX_TSingleList&& other) noexcept {
    if (this != &other) {
      Release(head_);
      head_ = std::exchange(other.head_, nullptr);
      length_ = std::exchange(other.length_, 0);
    }
    return *this;
  }

  // Releases the nodes; those that no other list refers to are destroyed, iteratively.
  ~CX_TSingleList() { Release(head_); }

  // Number of items.
  uint32_t Length() const { return length_; }

  bool IsEmpty() const { return head_ == nullptr; }

  // The first item; lives as long as some list refers to its node. Is_Null on the empty list.
  const Item& Head() const {
    CX_Require(head_ != nullptr, CX_Errors::SingleListHeadNull);
    return head_->item_;
  }

  // The list without its first item, sharing the remaining nodes. Is_Null on the empty list.
  CX_TSingleList Tail() const {
    CX_Require(head_ != nullptr, CX_Errors::SingleListTailNull);
    CX_TSingleList tail;
    tail.head_ = head_->next_;
    tail.length_ = length_ - 1;
    if (tail.head_ != nullptr) ++tail.head_->references_;
    return tail;
  }

  // The item at index (0 is the head). Is_Null on the empty list; Range_Error when
  // index >= Length().
  const Item& ItemAt(uint32_t index) const {
    CX_Require(head_ != nullptr, CX_Errors::SingleListItemAtNull);
    CX_Require(index < length_, CX_Errors::SingleListItemAtRange);
    const Node* node = head_;
    for (uint32_t i = 0; i < index; ++i) node = node->next_;
    return node->item_;
  }

 private:
  // Drops one reference on `node`; each node whose count reaches zero is destroyed and its
  // reference on the next node is dropped in turn.
  static void Release(Node* node) {
    while (node != nullptr && --node->references_ == 0) {
      Node* next = std::exchange(node->next_, nullptr);
      delete node;
      node = next;
    }
  }

  Node* head_ = nullptr;
  uint32_t length_ = 0;
};
