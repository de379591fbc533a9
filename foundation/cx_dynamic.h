// CX_TDynamic<Item>: a growable array whose storage grows in chunks of 32 items.
//
// Items are held by value and must be default-constructible and assignable. Indices run from 0
// to Length() - 1; every indexed access is checked and a bad index is reported with its
// descriptor and thrown as CX_Exception. Not thread-safe: one thread at a time.
#pragma once

#include <cstddef>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "foundation/cx_error_descriptor.h"

template <class Item>
class CX_TDynamic {
 public:
  static constexpr std::size_t kChunk = 32;

  CX_TDynamic() = default;

  // An array of `length` default-constructed items.
  explicit CX_TDynamic(std::size_t length) { Resize(length); }

  CX_TDynamic(const CX_TDynamic& other) { *this = other; }

  CX_TDynamic(CX_TDynamic&& other) noexcept
      : items_(std::move(other.items_)),
        length_(std::exchange(other.length_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}

  // Copies every item; the capacity becomes the copied length rounded up to a chunk.
  CX_TDynamic& operator=(const CX_TDynamic& other) {
    if (this == &other) return *this;
    CX_TDynamic copy;
    copy.Resize(other.length_);
    for (std::size_t i = 0; i < other.length_; ++i) copy.items_[i] = other.items_[i];
    *this = std::move(copy);
    return *this;
  }

  CX_TDynamic& operator=(CX_TDynamic&& other) noexcept {
    items_ = std::move(other.items_);
    length_ = std::exchange(other.length_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    return *this;
  }

  // Number of items in use.
  std::size_t Length() const { return length_; }

  // Number of items the current storage holds without growing (a multiple of kChunk).
  std::size_t Capacity() const { return capacity_; }

  // Sets the length. Growing keeps the items and adds default items, reallocating to the new
  // length rounded up to a chunk; shrinking resets the dropped items but keeps the storage.
  // Allocation failure reports DynamicResizeStorage and throws CX_Exception.
  void Resize(std::size_t length) {
    if (length > capacity_) Reserve(length);
    // Dropped items are reset so that they release what they hold now, not at destruction.
    for (std::size_t i = length; i < length_; ++i) items_[i] = Item();
    length_ = length;
  }

  // Adds the item at the end, growing by a chunk when the storage is full.
  void Append(const Item& item) {
    if (length_ == capacity_) Reserve(length_ + 1);
    items_[length_++] = item;
  }

  // Empties the array and frees its storage.
  void Clear() {
    items_.reset();
    length_ = 0;
    capacity_ = 0;
  }

  // Assigns the item at index (checked: DynamicReplaceRange).
  void Replace(std::size_t index, const Item& item) {
    CX_Require(index < length_, CX_Errors::DynamicReplaceRange);
    items_[index] = item;
  }

  // The item at index (checked: DynamicSubscriptRange); valid until the next Resize/Append.
  Item& operator[](std::size_t index) {
    CX_Require(index < length_, CX_Errors::DynamicSubscriptRange);
    return items_[index];
  }

  const Item& operator[](std::size_t index) const {
    CX_Require(index < length_, CX_Errors::DynamicSubscriptRange);
    return items_[index];
  }

 private:
  // Grows the storage to hold at least `minimum` items, in whole chunks.
  void Reserve(std::size_t minimum) {
    constexpr std::size_t kMaxItems = std::numeric_limits<std::size_t>::max() / sizeof(Item);
    CX_Require(minimum <= kMaxItems - kChunk, CX_Errors::DynamicResizeStorage);
    const std::size_t capacity = (minimum + kChunk - 1) / kChunk * kChunk;
    std::unique_ptr<Item[]> grown(new (std::nothrow) Item[capacity]);
    CX_Require(grown != nullptr, CX_Errors::DynamicResizeStorage);
    for (std::size_t i = 0; i < length_; ++i) grown[i] = std::move(items_[i]);
    items_ = std::move(grown);
    capacity_ = capacity;
  }

  std::unique_ptr<Item[]> items_;
  std::size_t length_ = 0;
  std::size_t capacity_ = 0;
};
