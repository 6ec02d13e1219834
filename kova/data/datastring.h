// The toolkit's growable, NUL-terminated 8-bit string. N is the growth step:
// the buffer capacity is always a multiple of N, and grows to the smallest
// multiple that holds the new contents.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kova::data {

template <unsigned N, typename C = char>
class datastring {
    static_assert(sizeof(C) == 1, "datastring holds 8-bit characters");

public:
    datastring() { Reset(N); }

    // Formats at most max - 2 characters of the printf-style text.
    datastring(unsigned max, const char* format, ...) __attribute__((format(printf, 3, 4)))
    {
        unsigned cap = N;
        if (max > 32) {
            cap = 64;
            while (cap < max)
                cap += 32;
        }
        Reset(cap);
        va_list args;
        va_start(args, format);
        FormatInto(max, format, args);
        va_end(args);
    }

    datastring(const datastring& other) { Reset(N); Append(other.c_str()); }
    datastring& operator=(const datastring& other)
    {
        if (this != &other) {
            Clear(false);
            Append(other.c_str());
        }
        return *this;
    }
    ~datastring() { std::free(buffer); }

    const C* c_str() const { return buffer; }
    operator const C*() const { return buffer; }
    unsigned Length() const { return size - 1; }
    unsigned Size() const { return size; }
    unsigned Capacity() const { return capacity; }
    bool Empty() const { return size <= 1; }

    void Append(const C* text)
    {
        if (!text)
            return;
        unsigned len = (unsigned)std::strlen(text);
        Reserve(size + len);
        std::memcpy(buffer + size - 1, text, len);
        size += len;
        buffer[size - 1] = 0;
    }

    void Append(C c)
    {
        C scratch[2] = {c, 0};
        Append(scratch);
    }

    void Append(unsigned max, const char* format, ...) __attribute__((format(printf, 3, 4)))
    {
        va_list args;
        va_start(args, format);
        FormatInto(max, format, args);
        va_end(args);
    }

    void Clear(bool shrink)
    {
        if (shrink && capacity > N) {
            std::free(buffer);
            Reset(N);
            return;
        }
        size = 1;
        buffer[0] = 0;
    }

    // Drops the contents; one zeroed step, or the smallest multiple of the
    // step from two steps upwards that holds n bytes.
    void Initialize(unsigned n)
    {
        unsigned cap = N;
        if (n > N) {
            cap = 2 * N;
            while (cap < n)
                cap += N;
        }
        std::free(buffer);
        Reset(cap);
    }

    // Appends every non-empty token between separator characters.
    int Tokenize(std::vector<datastring<32, char>>& out, const char* separators) const
    {
        int count = 0;
        const char* p = buffer;
        while (*p) {
            p += std::strspn(p, separators);
            size_t len = std::strcspn(p, separators);
            if (len == 0)
                break;
            datastring<32, char> token;
            token.AppendN(p, (unsigned)len);
            out.push_back(token);
            ++count;
            p += len;
        }
        return count;
    }

    void AppendN(const C* text, unsigned len)
    {
        Reserve(size + len);
        std::memcpy(buffer + size - 1, text, len);
        size += len;
        buffer[size - 1] = 0;
    }

private:
    void Reset(unsigned cap)
    {
        buffer = static_cast<C*>(std::calloc(cap, 1));
        capacity = cap;
        size = 1;
    }

    void Reserve(unsigned needed)
    {
        if (needed <= capacity)
            return;
        unsigned cap = ((needed + N - 1) / N) * N;
        C* grown = static_cast<C*>(std::calloc(cap, 1));
        std::memcpy(grown, buffer, size);
        std::free(buffer);
        buffer = grown;
        capacity = cap;
    }

    void FormatInto(unsigned max, const char* format, va_list args)
    {
        if (max < 2)
            return;
        std::vector<char> scratch(max, 0);
        std::vsnprintf(scratch.data(), max - 1, format, args);
        Append(scratch.data());
    }

    C* buffer = nullptr;
    unsigned capacity = 0;
    unsigned size = 1;
    unsigned step = N;
};

}  // namespace kova::data
