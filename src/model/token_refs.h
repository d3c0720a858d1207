// TokenRefs and TokenRefsView: the tokens a node or a detail record covers, by reference into
// their unit's token vector. Most nodes cover one stretch of consecutive tokens (a statement on
// one line, a name), so a stretch is kept as its first token and a count, without memory of its
// own; only a sequence with a gap (a declaration over several lines skips the line ends between)
// keeps an array of pointers. Either way the tokens read as a sequence of `const Token*`.
#pragma once

#include "model/token.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <span>
#include <vector>

namespace qm::model {

class TokenRefsView;
class TokenRefs;

namespace detail {

// A random-access iterator over token references, yielding each as a `const Token*` value.
class TokenRefIterator {
public:
    using iterator_category = std::random_access_iterator_tag;
    using iterator_concept = std::random_access_iterator_tag;
    using value_type = const Token*;
    using difference_type = std::ptrdiff_t;
    using reference = const Token*;
    using pointer = void;

    TokenRefIterator() = default;
    TokenRefIterator(const Token* run, const Token* const* array, std::size_t index) noexcept
        : m_run(run), m_array(array), m_index(static_cast<difference_type>(index))
    {
    }

    const Token* operator*() const noexcept { return m_array ? m_array[m_index] : m_run + m_index; }
    const Token* operator[](difference_type n) const noexcept { return *(*this + n); }

    TokenRefIterator& operator++() noexcept { ++m_index; return *this; }
    TokenRefIterator operator++(int) noexcept { auto old = *this; ++m_index; return old; }
    TokenRefIterator& operator--() noexcept { --m_index; return *this; }
    TokenRefIterator operator--(int) noexcept { auto old = *this; --m_index; return old; }
    TokenRefIterator& operator+=(difference_type n) noexcept { m_index += n; return *this; }
    TokenRefIterator& operator-=(difference_type n) noexcept { m_index -= n; return *this; }
    friend TokenRefIterator operator+(TokenRefIterator it, difference_type n) noexcept { return it += n; }
    friend TokenRefIterator operator+(difference_type n, TokenRefIterator it) noexcept { return it += n; }
    friend TokenRefIterator operator-(TokenRefIterator it, difference_type n) noexcept { return it -= n; }
    friend difference_type operator-(const TokenRefIterator& a, const TokenRefIterator& b) noexcept
    {
        return a.m_index - b.m_index;
    }
    friend bool operator==(const TokenRefIterator& a, const TokenRefIterator& b) noexcept { return a.m_index == b.m_index; }
    friend auto operator<=>(const TokenRefIterator& a, const TokenRefIterator& b) noexcept { return a.m_index <=> b.m_index; }

private:
    friend class qm::model::TokenRefsView;
    const Token* m_run = nullptr;           // the first token of a stretch, or null
    const Token* const* m_array = nullptr;  // the pointers of an array, or null
    difference_type m_index = 0;
};

}  // namespace detail

// A sequence of token references that someone else holds: a stretch of consecutive tokens or an
// array of pointers. Cheap to copy; valid while what it was taken from is.
class TokenRefsView {
public:
    using iterator = detail::TokenRefIterator;
    using const_iterator = iterator;
    using value_type = const Token*;
    using size_type = std::size_t;

    TokenRefsView() noexcept = default;
    TokenRefsView(std::span<const Token* const> array) noexcept  // NOLINT: implicit on purpose
        : m_array(array.data()), m_size(array.size())
    {
    }
    TokenRefsView(const std::vector<const Token*>& array) noexcept  // NOLINT: implicit on purpose
        : m_array(array.data()), m_size(array.size())
    {
    }
    // The tokens from `first` to `last`, which come from one sequence.
    TokenRefsView(iterator first, iterator last) noexcept
        : m_run(first.m_array ? nullptr : first.m_run + first.m_index),
          m_array(first.m_array ? first.m_array + first.m_index : nullptr),
          m_size(static_cast<std::size_t>(last - first))
    {
    }

    std::size_t size() const noexcept { return m_size; }
    bool empty() const noexcept { return m_size == 0; }
    const Token* operator[](std::size_t i) const noexcept
    {
        assert(i < m_size);
        return m_array ? m_array[i] : m_run + i;
    }
    const Token* front() const noexcept { return (*this)[0]; }
    const Token* back() const noexcept { return (*this)[m_size - 1]; }
    // True when the tokens are one stretch of consecutive tokens.
    bool isStretch() const noexcept { return m_array == nullptr; }
    const Token* stretchStart() const noexcept { return m_run; }
    iterator begin() const noexcept { return {m_run, m_array, 0}; }
    iterator end() const noexcept { return {m_run, m_array, m_size}; }

    TokenRefsView subspan(std::size_t offset, std::size_t count = SIZE_MAX) const noexcept
    {
        assert(offset <= m_size);
        count = std::min(count, m_size - offset);
        TokenRefsView view;
        if (m_array) {
            view.m_array = m_array + offset;
        } else if (m_run) {
            view.m_run = m_run + offset;
        }
        view.m_size = count;
        return view;
    }
    TokenRefsView first(std::size_t count) const noexcept { return subspan(0, count); }
    TokenRefsView last(std::size_t count) const noexcept { return subspan(m_size - count, count); }

    friend bool operator==(const TokenRefsView& a, const TokenRefsView& b) noexcept
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    friend class TokenRefs;

    const Token* m_run = nullptr;
    const Token* const* m_array = nullptr;
    std::size_t m_size = 0;
};

// An owned sequence of token references, built by appending. Consecutive tokens take no memory
// beyond the object; the first token that does not follow the last one turns the sequence into
// an array of pointers.
class TokenRefs {
public:
    using iterator = detail::TokenRefIterator;
    using const_iterator = iterator;
    using value_type = const Token*;
    using size_type = std::size_t;

    TokenRefs() noexcept = default;
    TokenRefs(TokenRefsView view) { append(view); }  // NOLINT: implicit on purpose
    TokenRefs(const std::vector<const Token*>& tokens) { append(tokens); }  // NOLINT: implicit on purpose
    TokenRefs(iterator first, iterator last) { append(TokenRefsView(first, last)); }
    TokenRefs(std::initializer_list<const Token*> tokens)
    {
        for (const Token* token : tokens) push_back(token);
    }
    TokenRefs(const TokenRefs& other) { append(other.view()); }
    TokenRefs(TokenRefs&& other) noexcept : m_size(other.m_size), m_capacity(other.m_capacity)
    {
        m_refs = other.m_refs;
        other.forget();
    }
    TokenRefs& operator=(const TokenRefs& other)
    {
        if (this != &other) {
            TokenRefs copy(other);
            swap(copy);
        }
        return *this;
    }
    TokenRefs& operator=(TokenRefs&& other) noexcept
    {
        if (this != &other) {
            TokenRefs taken(std::move(other));
            swap(taken);
        }
        return *this;
    }
    ~TokenRefs() { release(); }

    void swap(TokenRefs& other) noexcept
    {
        std::swap(m_refs, other.m_refs);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
    }

    TokenRefsView view() const noexcept
    {
        TokenRefsView view;
        if (m_capacity == 0) {
            view.m_run = m_refs.run;
        } else {
            view.m_array = m_refs.array;
        }
        view.m_size = m_size;
        return view;
    }
    operator TokenRefsView() const noexcept { return view(); }  // NOLINT: implicit on purpose

    std::size_t size() const noexcept { return m_size; }
    bool empty() const noexcept { return m_size == 0; }
    const Token* operator[](std::size_t i) const noexcept { return view()[i]; }
    const Token* front() const noexcept { return (*this)[0]; }
    const Token* back() const noexcept { return (*this)[m_size - 1]; }
    iterator begin() const noexcept { return view().begin(); }
    iterator end() const noexcept { return view().end(); }
    // True while the tokens are one stretch kept without an array.
    bool isStretch() const noexcept { return m_capacity == 0; }
    // Heap bytes the sequence holds; used to account for memory.
    std::size_t heapBytes() const noexcept { return m_capacity * sizeof(const Token*); }

    void push_back(const Token* token);
    void append(TokenRefsView tokens);
    void assign(iterator first, iterator last)
    {
        TokenRefs refs(first, last);
        swap(refs);
    }
    void clear() noexcept
    {
        release();
        forget();
    }
    // Drops the tokens from `count` on; a sequence never grows this way.
    void truncate(std::size_t count) noexcept
    {
        assert(count <= m_size);
        m_size = static_cast<std::uint32_t>(count);
        if (m_size == 0) clear();
    }
    void pop_back() noexcept { truncate(m_size - 1); }
    // Gives back the memory of an array beyond its size (a stretch holds none).
    void shrinkToFit()
    {
        if (m_capacity > m_size) {
            TokenRefs exact(view());
            swap(exact);
        }
    }
    // Drops the first `count` tokens.
    void dropFront(std::size_t count) noexcept;

    friend bool operator==(const TokenRefs& a, const TokenRefs& b) noexcept { return a.view() == b.view(); }

private:
    void release() noexcept
    {
        if (m_capacity != 0) delete[] m_refs.array;
    }
    void forget() noexcept
    {
        m_refs.run = nullptr;
        m_size = 0;
        m_capacity = 0;
    }
    void growTo(std::size_t capacity);

    union Refs {
        const Token* run;     // a stretch (capacity 0): its first token
        const Token** array;  // otherwise the pointers, m_capacity of them
    };
    Refs m_refs{nullptr};
    std::uint32_t m_size = 0;
    std::uint32_t m_capacity = 0;
};

}  // namespace qm::model
