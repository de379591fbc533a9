// A snapshot list of DOM nodes (childNodes, selectNodes): later changes to the document do not
// change it. Holds the document's tree alive like a node handle does.
#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <pugixml.hpp>
#include <utility>
#include <vector>

#include "platform/dom/dom_node.h"

namespace platform {

class DomNodeList {
 public:
  // The empty list.
  DomNodeList() = default;

  size_t length() const { return nodes_.size(); }
  // The node at `index`; the null handle past the end.
  DomNode item(size_t index) const {
    return index < nodes_.size() ? Make(nodes_[index]) : DomNode();
  }

  // Input iteration in list order, yielding handles by value.
  class Iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = DomNode;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = DomNode;

    Iterator() = default;
    DomNode operator*() const { return list_->item(index_); }
    Iterator& operator++() {
      ++index_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++index_;
      return before;
    }
    friend bool operator==(const Iterator& a, const Iterator& b) { return a.index_ == b.index_; }

   private:
    friend class DomNodeList;
    Iterator(const DomNodeList* list, size_t index) : list_(list), index_(index) {}
    const DomNodeList* list_ = nullptr;
    size_t index_ = 0;
  };

  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, nodes_.size()); }

 private:
  friend class DomNode;

  DomNodeList(std::shared_ptr<DomTree> tree, std::vector<pugi::xpath_node> nodes)
      : tree_(std::move(tree)), nodes_(std::move(nodes)) {}

  DomNode Make(const pugi::xpath_node& found) const {
    if (found.attribute()) return DomNode(tree_, found.parent(), found.attribute().name());
    return DomNode(tree_, found.node());
  }

  std::shared_ptr<DomTree> tree_;
  std::vector<pugi::xpath_node> nodes_;
};

}  // namespace platform
