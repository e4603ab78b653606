#pragma once
// A list that owns the objects it holds. FreeItems frees them from the last to the
// first and leaves the list empty with its capacity unchanged; destroying the list
// (FreeWithItems) frees the objects with it.
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace tessaly {

template <typename T>
class OwningList {
public:
    explicit OwningList(size_t capacity) { items_.reserve(capacity); }
    OwningList(const OwningList&) = delete;
    OwningList& operator=(const OwningList&) = delete;
    OwningList(OwningList&&) noexcept = default;
    OwningList& operator=(OwningList&&) noexcept = default;
    ~OwningList() { FreeItems(); }

    // Takes ownership; returns the new index.
    size_t Add(std::unique_ptr<T> item)
    {
        items_.push_back(std::move(item));
        return items_.size() - 1;
    }
    template <typename... Args>
    T& Emplace(Args&&... args)
    {
        items_.push_back(std::make_unique<T>(std::forward<Args>(args)...));
        return *items_.back();
    }

    T& Get(size_t index) { return *items_.at(index); }
    const T& Get(size_t index) const { return *items_.at(index); }
    T& operator[](size_t index) { return *items_[index]; }
    const T& operator[](size_t index) const { return *items_[index]; }

    // Removes the entry and hands its object back to the caller.
    std::unique_ptr<T> Extract(size_t index)
    {
        std::unique_ptr<T> item = std::move(items_.at(index));
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
        return item;
    }
    void Delete(size_t index) { Extract(index).reset(); }

    size_t Count() const noexcept { return items_.size(); }
    size_t Capacity() const noexcept { return items_.capacity(); }

    void FreeItems()
    {
        for (size_t i = items_.size(); i-- > 0;) {
            std::unique_ptr<T> item = std::move(items_[i]);
            items_.pop_back();
            item.reset();
        }
    }

    // Read-only walk in list order.
    auto begin() const { return Iterator{items_.begin()}; }
    auto end() const { return Iterator{items_.end()}; }

private:
    struct Iterator {
        typename std::vector<std::unique_ptr<T>>::const_iterator at;
        const T& operator*() const { return **at; }
        Iterator& operator++()
        {
            ++at;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return at != other.at; }
        bool operator==(const Iterator& other) const { return at == other.at; }
    };

    std::vector<std::unique_ptr<T>> items_;
};

// Frees the objects, then the list itself.
template <typename List>
void FreeWithItems(std::unique_ptr<List>& list)
{
    if (list)
        list->FreeItems();
    list.reset();
}

class ContactInfo;

// The records hold UTF-8, whatever code page the file came in: the reader converts an ANSI
// file's rows as it reads them.
class ContactList : public OwningList<ContactInfo> {
public:
    using OwningList::OwningList;
};

} // namespace tessaly
