// TObjList: an owning list addressed by 1-based position.
//
// Insert at 0 appends; insert at p puts the item before the one now at p (or
// appends when p is past the end). The list remembers the last position it
// reached and starts the next walk from there, so reaching the items in order
// (or in reverse order) costs one step per item.
#pragma once

#include <cstdint>
#include <cstddef>
#include <iterator>
#include <list>
#include <memory>

namespace vellumark {

template <class T>
class TObjList {
    using Store = std::list<std::unique_ptr<T>>;

public:
    TObjList() = default;
    TObjList(const TObjList&) = delete;
    TObjList& operator=(const TObjList&) = delete;
    virtual ~TObjList() = default;

    int32_t Count() const noexcept { return static_cast<int32_t>(items_.size()); }
    bool Empty() const noexcept { return items_.empty(); }

    // The item at 1-based position pos, or nullptr outside 1..Count.
    T* Get(int32_t pos) const {
        if (pos < 1 || pos > Count()) return nullptr;
        Seek(pos);
        return cursor_->get();
    }

    // Inserts item at pos (see the header comment); returns its position.
    int32_t Insert(int32_t pos, std::unique_ptr<T> item) {
        const int32_t count = Count();
        int32_t at;
        typename Store::iterator where;
        if (pos <= 0 || pos > count) {
            at = count + 1;
            where = items_.end();
        } else {
            at = pos;
            Seek(pos);
            where = cursor_;
        }
        cursor_ = items_.insert(where, std::move(item));
        cursorPos_ = at;
        return at;
    }

    int32_t Append(std::unique_ptr<T> item) { return Insert(0, std::move(item)); }

    void Clear() noexcept {
        items_.clear();
        cursorPos_ = 0;
    }

    // In-order iteration over the items.
    class const_iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = T*;
        using reference = T&;
        const_iterator() = default;
        explicit const_iterator(typename Store::const_iterator it) : it_(it) {}
        T& operator*() const { return **it_; }
        T* operator->() const { return it_->get(); }
        const_iterator& operator++() { ++it_; return *this; }
        const_iterator operator++(int) { auto c = *this; ++it_; return c; }
        const_iterator& operator--() { --it_; return *this; }
        bool operator==(const const_iterator& o) const { return it_ == o.it_; }

    private:
        typename Store::const_iterator it_;
    };
    const_iterator begin() const { return const_iterator(items_.begin()); }
    const_iterator end() const { return const_iterator(items_.end()); }

    // Position the cursor names (0 when the list has never been reached).
    int32_t CursorPosition() const noexcept { return cursorPos_; }

private:
    // Moves the cursor to pos (1..Count) from the nearest of: the front, the
    // cursor, the back.
    void Seek(int32_t pos) const {
        const int32_t count = Count();
        auto& items = const_cast<Store&>(items_);
        int32_t fromFront = pos - 1;
        int32_t fromBack = count - pos;
        int32_t fromCursor = cursorPos_ > 0 ? (pos >= cursorPos_ ? pos - cursorPos_ : cursorPos_ - pos)
                                           : count;
        if (cursorPos_ > 0 && fromCursor <= fromFront && fromCursor <= fromBack) {
            for (int32_t i = cursorPos_; i < pos; ++i) ++cursor_;
            for (int32_t i = cursorPos_; i > pos; --i) --cursor_;
        } else if (fromFront <= fromBack) {
            cursor_ = items.begin();
            for (int32_t i = 0; i < fromFront; ++i) ++cursor_;
        } else {
            cursor_ = items.end();
            for (int32_t i = 0; i <= fromBack; ++i) --cursor_;
        }
        cursorPos_ = pos;
    }

    Store items_;
    mutable typename Store::iterator cursor_{};
    mutable int32_t cursorPos_ = 0;
};

}  // namespace vellumark
