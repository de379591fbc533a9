// CX_TTable<Key, Value, Buckets>: a hash table of key-value bindings in a fixed set of buckets.
//
// Bucket b is a pair of lists: the keys hashed to b and, at the same positions, their values. The
// bucket of a key is its hash modulo Buckets. The hash function is given at construction or later
// through SetHashFunction; an operation on a table without one reports Is_Null and throws
// CX_Exception. Keys compare with Key's operator==. Not thread-safe.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "foundation/cx_error_descriptor.h"
#include "foundation/cx_unbounded.h"

template <typename Key, typename Value, uint32_t Buckets>
class CX_TTable {
  static_assert(Buckets > 0, "a table needs at least one bucket");

 public:
  using HashFunction = uint32_t (*)(const Key&);

  // An empty table; `hash` may be null and set later with SetHashFunction.
  explicit CX_TTable(HashFunction hash = nullptr) : hash_(hash), keys_(Buckets), values_(Buckets) {}

  // Copies the bindings and the hash function of `other` (which may have none).
  CX_TTable(const CX_TTable& other) = default;

  // Replaces the bindings and the hash function with those of `other`. Is_Null when `other` has
  // no hash function; the table is then unchanged.
  CX_TTable& operator=(const CX_TTable& other) {
    CX_Require(other.hash_ != nullptr, CX_Errors::TableAssignNull);
    if (this != &other) {
      CX_TTable copy(other);
      std::swap(hash_, copy.hash_);
      std::swap(count_, copy.count_);
      keys_.swap(copy.keys_);
      values_.swap(copy.values_);
    }
    return *this;
  }

  ~CX_TTable() = default;

  // Number of bindings.
  uint32_t Count() const { return count_; }

  // Binds key to value and returns true; a key that is already bound keeps its value (false).
  bool Bind(const Key& key, const Value& value) {
    const uint32_t bucket = BucketOf(key, CX_Errors::TableBindNull);
    if (keys_[bucket].Location(key) >= 0) return false;
    values_[bucket].Append(value);
    try {
      keys_[bucket].Append(key);
    } catch (...) {
      values_[bucket].Remove(values_[bucket].Length() - 1);
      throw;
    }
    ++count_;
    return true;
  }

  // Gives a bound key a new value and returns true; false (and no change) when it is unbound.
  bool Rebind(const Key& key, const Value& value) {
    const uint32_t bucket = BucketOf(key, CX_Errors::TableRebindNull);
    const int position = keys_[bucket].Location(key);
    if (position < 0) return false;
    values_[bucket].Replace(static_cast<uint32_t>(position), value);
    return true;
  }

  // Removes the binding of key and returns true; false when it is unbound.
  bool Unbind(const Key& key) {
    const uint32_t bucket = BucketOf(key, CX_Errors::TableUnbindNull);
    const int position = keys_[bucket].Location(key);
    if (position < 0) return false;
    keys_[bucket].Remove(static_cast<uint32_t>(position));
    values_[bucket].Remove(static_cast<uint32_t>(position));
    --count_;
    return true;
  }

  // Whether key is bound.
  bool IsBound(const Key& key) const {
    const uint32_t bucket = BucketOf(key, CX_Errors::TableIsBoundNull);
    return keys_[bucket].Location(key) >= 0;
  }

  // The value bound to key, or null when it is unbound. The pointer lives until the binding is
  // removed, the table is assigned or destroyed.
  Value* ValueOf(const Key& key) {
    const uint32_t bucket = BucketOf(key, CX_Errors::TableValueOfNull);
    const int position = keys_[bucket].Location(key);
    return position < 0 ? nullptr : &values_[bucket][static_cast<uint32_t>(position)];
  }
  const Value* ValueOf(const Key& key) const { return const_cast<CX_TTable*>(this)->ValueOf(key); }

  // Sets the hash function of a table that has none. Duplicate when it already has one.
  void SetHashFunction(HashFunction hash) {
    CX_Require(hash_ == nullptr, CX_Errors::TableSetHashDuplicate);
    hash_ = hash;
  }

  // The keys of bucket b (b < Buckets, else Range_Error), in binding order.
  const CX_TUnbounded<Key>& ItemBucket(uint32_t b) const {
    CX_Require(b < Buckets, CX_Errors::TableItemBucketRange);
    return keys_[b];
  }

  // The values of bucket b, at the positions of their keys in ItemBucket(b). Range_Error when
  // b >= Buckets.
  const CX_TUnbounded<Value>& ValueBucket(uint32_t b) const {
    CX_Require(b < Buckets, CX_Errors::TableValueBucketRange);
    return values_[b];
  }

 private:
  uint32_t BucketOf(const Key& key, const CX_ErrorDescriptor& no_hash) const {
    CX_Require(hash_ != nullptr, no_hash);
    return hash_(key) % Buckets;
  }

  HashFunction hash_;
  uint32_t count_ = 0;
  // On the heap: a table of 1023 buckets would otherwise weigh tens of kilobytes on the stack.
  std::vector<CX_TUnbounded<Key>> keys_;
  std::vector<CX_TUnbounded<Value>> values_;
};
