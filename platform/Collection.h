// Collection: the ordered, 1-based list of shared object references that every
// definition object uses for its children. Items carry no key, so names are
// never forced unique; lookups by name live with the owning classes.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace orvane {

/// The ordered, 1-based list of shared references every definition object
/// keeps its children in. Names are not forced unique.
template <typename T>
class Collection {
public:
    using Ptr = std::shared_ptr<T>;  ///< how an item is held

    /// Number of items.
    int Count() const { return static_cast<int>(items_.size()); }

    /// Item at 1-based position i; null when i is out of range.
    Ptr Item(int i) const {
        if (i < 1 || i > Count()) return nullptr;
        return items_[static_cast<std::size_t>(i - 1)];
    }

    /// Appends an item (null is accepted and kept, as the host may do so).
    void Add(Ptr item) { items_.push_back(std::move(item)); }

    /// Removes the item at 1-based position i; out of range does nothing.
    void Remove(int i) {
        if (i < 1 || i > Count()) return;
        items_.erase(items_.begin() + (i - 1));
    }

    /// Removes every item.
    void Clear() { items_.clear(); }

    /// The items in order, for range-for loops.
    ///@{
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    ///@}

private:
    std::vector<Ptr> items_;
};

}  // namespace orvane
