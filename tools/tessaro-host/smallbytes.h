// A byte string that keeps up to eight bytes inside itself. The one or two
// data bytes of a channel message then need no allocation of their own,
// which keeps every event of a MIDI file at 24 bytes in memory; longer
// payloads (meta events, system exclusive) live on the heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace tessaro {
namespace host {

class SmallBytes {
public:
    using value_type = uint8_t;
    using iterator = uint8_t*;
    using const_iterator = const uint8_t*;

    SmallBytes() = default;
    SmallBytes(std::initializer_list<uint8_t> bytes) { assign(bytes.begin(), bytes.end()); }
    SmallBytes(const std::vector<uint8_t>& bytes) { assign(bytes.data(), bytes.data() + bytes.size()); }
    SmallBytes(const SmallBytes& other) { assign(other.begin(), other.end()); }
    SmallBytes(SmallBytes&& other) noexcept : store_(other.store_), size_(other.size_) { other.size_ = 0; }
    SmallBytes& operator=(SmallBytes other) noexcept
    {
        std::swap(store_, other.store_);
        std::swap(size_, other.size_);
        return *this;
    }
    ~SmallBytes() { Release(); }

    void assign(const uint8_t* first, const uint8_t* last)
    {
        const size_t n = size_t(last - first);
        uint8_t* target = store_.local;
        if (n > kLocal)
            target = new uint8_t[n];
        if (n)
            std::memmove(target, first, n);
        Release();
        if (n > kLocal)
            store_.heap = target;
        size_ = uint32_t(n);
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const uint8_t* data() const { return size_ > kLocal ? store_.heap : store_.local; }
    uint8_t* data() { return size_ > kLocal ? store_.heap : store_.local; }
    const uint8_t* begin() const { return data(); }
    const uint8_t* end() const { return data() + size_; }
    uint8_t* begin() { return data(); }
    uint8_t* end() { return data() + size_; }
    uint8_t operator[](size_t i) const { return data()[i]; }
    uint8_t& operator[](size_t i) { return data()[i]; }

    friend bool operator==(const SmallBytes& a, const SmallBytes& b)
    {
        return a.size_ == b.size_ && (a.size_ == 0 || std::memcmp(a.data(), b.data(), a.size_) == 0);
    }
    friend bool operator!=(const SmallBytes& a, const SmallBytes& b) { return !(a == b); }
    friend bool operator==(const SmallBytes& a, const std::vector<uint8_t>& b)
    {
        return a.size_ == b.size() && (b.empty() || std::memcmp(a.data(), b.data(), b.size()) == 0);
    }
    friend bool operator==(const std::vector<uint8_t>& a, const SmallBytes& b) { return b == a; }

private:
    static constexpr size_t kLocal = 8;

    void Release()
    {
        if (size_ > kLocal)
            delete[] store_.heap;
        size_ = 0;
    }

    union Store {
        uint8_t local[kLocal];
        uint8_t* heap;
    } store_{};
    uint32_t size_ = 0;
};

}  // namespace host
}  // namespace tessaro
