#pragma once

#include "cipher/SecureWipe.h"

#include <algorithm>
#include <compare>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

// A string for passwords, user IDs, notes and login settings. Its bytes live on the heap only (no inline buffer
// that a move would copy), and every byte it lets go of is overwritten first: when it is destroyed, reassigned,
// cleared, shortened or moved from, and when it grows (the old buffer is overwritten and freed once the new one
// holds the text). Bytes past size() are always zero, so a secret leaves no tail behind.
//
// It reads like std::string, but converts to nothing by itself: view() lends the text as a std::string_view and
// str() makes a plain std::string copy, where one must be handed on (a widget, the clipboard), so every copy and
// every look at the text is visible where it is written. A plain std::string initialised or assigned from a secret
// does not compile.
// The allocator is a parameter so that the tests can inspect each buffer as it is given back.
template <class Alloc> class BasicSecretString
{
public:
    using value_type = char;
    using size_type = std::size_t;
    using iterator = char*;
    using const_iterator = const char*;

    BasicSecretString() noexcept = default;
    BasicSecretString(const char* s) : BasicSecretString(std::string_view(s)) {}
    BasicSecretString(std::string_view s) { assign(s); }
    // A std::string lent stays the caller's to wipe; one given up (a temporary) is wiped here.
    BasicSecretString(const std::string& s) : BasicSecretString(std::string_view(s)) {}
    BasicSecretString(std::string&& s) : BasicSecretString(std::string_view(s)) { wipe(s); }
    BasicSecretString(size_type count, char c) { resize(count, c); }
    BasicSecretString(const BasicSecretString& other) : BasicSecretString(other.view()) {}
    BasicSecretString(BasicSecretString&& other) noexcept { take(other); }
    ~BasicSecretString() { release(); }

    BasicSecretString& operator=(const BasicSecretString& other) { return assign(other.view()); }
    BasicSecretString& operator=(BasicSecretString&& other) noexcept
    {
        if (this != &other) {
            release();
            take(other);
        }
        return *this;
    }
    BasicSecretString& operator=(std::string_view s) { return assign(s); }
    BasicSecretString& operator=(const char* s) { return assign(std::string_view(s)); }
    BasicSecretString& operator=(const std::string& s) { return assign(std::string_view(s)); }
    BasicSecretString& operator=(std::string&& s)
    {
        assign(std::string_view(s));
        wipe(s);
        return *this;
    }

    // Reuses the buffer when the text fits (overwriting the rest of the old text), else moves to a new one.
    BasicSecretString& assign(std::string_view s);

    const char* data() const noexcept { return data_ != nullptr ? data_ : empty_; }
    char* data() noexcept { return data_ != nullptr ? data_ : empty_; }
    const char* c_str() const noexcept { return data(); }
    size_type size() const noexcept { return size_; }
    size_type length() const noexcept { return size_; }
    size_type capacity() const noexcept { return capacity_; }
    bool empty() const noexcept { return size_ == 0; }

    char& operator[](size_type i) noexcept { return data()[i]; }
    const char& operator[](size_type i) const noexcept { return data()[i]; }
    char& back() noexcept { return data_[size_ - 1]; }
    const char& back() const noexcept { return data_[size_ - 1]; }
    iterator begin() noexcept { return data(); }
    iterator end() noexcept { return data() + size_; }
    const_iterator begin() const noexcept { return data(); }
    const_iterator end() const noexcept { return data() + size_; }

    std::string_view view() const noexcept { return {data(), size_}; }
    // A plain copy, for a receiver that keeps its own anyway. The copy is the caller's to wipe.
    std::string str() const { return std::string(data(), size_); }

    // Keeps the buffer, overwritten.
    void clear() noexcept { shrinkTo(0); }
    void reserve(size_type n)
    {
        if (n > capacity_)
            moveTo(n);
    }
    void resize(size_type n, char c = '\0')
    {
        if (n < size_) {
            shrinkTo(n);
        } else if (n > size_) {
            growFor(n);
            std::memset(data_ + size_, c, n - size_);
            size_ = n;
            data_[size_] = '\0';
        }
    }
    void push_back(char c) { append(std::string_view(&c, 1)); }
    void pop_back() noexcept { shrinkTo(size_ - 1); }

    BasicSecretString& append(std::string_view s);
    BasicSecretString& append(size_type count, char c)
    {
        resize(size_ + count, c);
        return *this;
    }
    BasicSecretString& operator+=(std::string_view s) { return append(s); }
    BasicSecretString& operator+=(const char* s) { return append(std::string_view(s)); }
    BasicSecretString& operator+=(char c) { return append(std::string_view(&c, 1)); }

    void swap(BasicSecretString& other) noexcept
    {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

    friend bool operator==(const BasicSecretString& a, const BasicSecretString& b) noexcept
    {
        return a.view() == b.view();
    }
    friend bool operator==(const BasicSecretString& a, std::string_view b) noexcept { return a.view() == b; }
    friend bool operator==(const BasicSecretString& a, const char* b) noexcept { return a.view() == b; }
    friend bool operator==(const BasicSecretString& a, const std::string& b) noexcept { return a.view() == b; }
    friend std::strong_ordering operator<=>(const BasicSecretString& a, const BasicSecretString& b) noexcept
    {
        return a.view() <=> b.view();
    }
    friend std::strong_ordering operator<=>(const BasicSecretString& a, std::string_view b) noexcept
    {
        return a.view() <=> b;
    }
    friend std::strong_ordering operator<=>(const BasicSecretString& a, const char* b) noexcept
    {
        return a.view() <=> std::string_view(b);
    }
    friend std::strong_ordering operator<=>(const BasicSecretString& a, const std::string& b) noexcept
    {
        return a.view() <=> std::string_view(b);
    }

private:
    // Room for n characters and the terminating zero.
    static char* allocate(size_type n)
    {
        char* p = Alloc().allocate(n + 1);
        std::memset(p, 0, n + 1);
        return p;
    }

    // The old buffer, overwritten whole, goes back to the allocator.
    void release() noexcept
    {
        if (data_ != nullptr) {
            wipeBytes(data_, capacity_ + 1);
            Alloc().deallocate(data_, capacity_ + 1);
        }
        data_ = nullptr;
        size_ = capacity_ = 0;
    }

    void adopt(char* fresh, size_type size, size_type capacity) noexcept
    {
        release();
        data_ = fresh;
        size_ = size;
        capacity_ = capacity;
    }

    void take(BasicSecretString& other) noexcept
    {
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }

    void moveTo(size_type capacity)
    {
        char* fresh = allocate(capacity);
        if (size_ > 0)
            std::memcpy(fresh, data_, size_);
        adopt(fresh, size_, capacity);
    }

    // Growth by doubling keeps appending linear; each step leaves nothing behind.
    void growFor(size_type n)
    {
        if (n > capacity_)
            moveTo(std::max(n, 2 * capacity_));
    }

    void shrinkTo(size_type n) noexcept
    {
        if (n < size_) {
            wipeBytes(data_ + n, size_ - n);
            size_ = n;
        }
    }

    char* data_ = nullptr;
    size_type size_ = 0;
    size_type capacity_ = 0;
    // What an empty string without a buffer shows: one zero, never written with anything else.
    static inline char empty_[1] = {'\0'};
};

// Out of line: compiled once for the program's instance.
template <class Alloc> BasicSecretString<Alloc>& BasicSecretString<Alloc>::assign(std::string_view s)
{
    if (s.size() > capacity_) {
        char* fresh = allocate(s.size());
        std::memcpy(fresh, s.data(), s.size());
        adopt(fresh, s.size(), s.size());
    } else if (data_ != nullptr) {
        if (!s.empty()) // an empty view may have no data at all
            std::memmove(data_, s.data(), s.size());
        if (size_ > s.size())
            wipeBytes(data_ + s.size(), size_ - s.size());
        size_ = s.size();
        data_[size_] = '\0';
    }
    return *this;
}

template <class Alloc> BasicSecretString<Alloc>& BasicSecretString<Alloc>::append(std::string_view s)
{
    if (s.empty())
        return *this;
    if (size_ + s.size() > capacity_) {
        // The new buffer takes the old text and the appended one before the old buffer goes, so s may point
        // into it.
        const size_type capacity = std::max(size_ + s.size(), 2 * capacity_);
        char* fresh = allocate(capacity);
        if (size_ > 0)
            std::memcpy(fresh, data_, size_);
        std::memcpy(fresh + size_, s.data(), s.size());
        adopt(fresh, size_ + s.size(), capacity);
    } else {
        std::memmove(data_ + size_, s.data(), s.size());
        size_ += s.size();
        data_[size_] = '\0';
    }
    return *this;
}

using SecretString = BasicSecretString<std::allocator<char>>;
extern template class BasicSecretString<std::allocator<char>>;

// Overwrites the text and empties it, keeping the buffer: for the exit path, where no destructor runs.
template <class Alloc> void wipe(BasicSecretString<Alloc>& s) noexcept
{
    s.clear();
}
