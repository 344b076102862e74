// TObjList: an owning list addressed by 1-based position.
//
// Insert at 0 appends; insert at p puts the item before the one now at p (or
// appends when p is past the end). A const list hands out const items, a
// non-const list mutable ones.
//
// The non-const list remembers the last position it reached and starts the
// next walk from there, so reaching the items in order (or in reverse order)
// through it costs one step per item. A const Get never moves that position:
// it walks from the nearest of the front, the back and the remembered
// position, so concurrent const reads change nothing. Iteration needs no
// remembered position at all and is the way to walk a const list.
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
    T* Get(int32_t pos) {
        if (pos < 1 || pos > Count()) return nullptr;
        Seek(pos);
        return cursor_->get();
    }
    const T* Get(int32_t pos) const {
        if (pos < 1 || pos > Count()) return nullptr;
        return Find(pos)->get();
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

    // In-order iteration over the items: T& from a non-const list, const T&
    // from a const one.
    template <class Item, class StoreIterator>
    class basic_iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = Item*;
        using reference = Item&;
        basic_iterator() = default;
        explicit basic_iterator(StoreIterator it) : it_(it) {}
        Item& operator*() const { return **it_; }
        Item* operator->() const { return it_->get(); }
        basic_iterator& operator++() { ++it_; return *this; }
        basic_iterator operator++(int) { auto c = *this; ++it_; return c; }
        basic_iterator& operator--() { --it_; return *this; }
        basic_iterator operator--(int) { auto c = *this; --it_; return c; }
        bool operator==(const basic_iterator& o) const { return it_ == o.it_; }

    private:
        StoreIterator it_;
    };
    using iterator = basic_iterator<T, typename Store::iterator>;
    using const_iterator = basic_iterator<const T, typename Store::const_iterator>;
    iterator begin() { return iterator(items_.begin()); }
    iterator end() { return iterator(items_.end()); }
    const_iterator begin() const { return const_iterator(items_.begin()); }
    const_iterator end() const { return const_iterator(items_.end()); }

    // Position the cursor names (0 when the list has never been reached).
    int32_t CursorPosition() const noexcept { return cursorPos_; }

private:
    // Steps from the nearest of the front, the back and the cursor to pos
    // (1..Count); answers that element and the position it started from.
    template <class Iterator>
    static Iterator Walk(Iterator begin, Iterator end, Iterator cursor, int32_t cursorPos, int32_t count,
                         int32_t pos) {
        const int32_t fromFront = pos - 1;
        const int32_t fromBack = count - pos;
        const int32_t fromCursor = cursorPos > 0 ? (pos >= cursorPos ? pos - cursorPos : cursorPos - pos) : count;
        Iterator it;
        if (cursorPos > 0 && fromCursor <= fromFront && fromCursor <= fromBack) {
            it = cursor;
            for (int32_t i = cursorPos; i < pos; ++i) ++it;
            for (int32_t i = cursorPos; i > pos; --i) --it;
        } else if (fromFront <= fromBack) {
            it = begin;
            for (int32_t i = 0; i < fromFront; ++i) ++it;
        } else {
            it = end;
            for (int32_t i = 0; i <= fromBack; ++i) --it;
        }
        return it;
    }

    // Moves the cursor to pos (1..Count).
    void Seek(int32_t pos) {
        cursor_ = Walk(items_.begin(), items_.end(), cursor_, cursorPos_, Count(), pos);
        cursorPos_ = pos;
    }

    // The element at pos (1..Count), leaving the cursor where it is.
    typename Store::const_iterator Find(int32_t pos) const {
        const auto cursor = cursorPos_ > 0 ? typename Store::const_iterator(cursor_) : items_.cend();
        return Walk(items_.cbegin(), items_.cend(), cursor, cursorPos_, Count(), pos);
    }

    Store items_;
    typename Store::iterator cursor_{};
    int32_t cursorPos_ = 0;
};

}  // namespace vellumark
