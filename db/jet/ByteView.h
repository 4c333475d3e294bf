// Bounds-checked little-endian reads from a span of bytes (a page or a row), and their
// writable twin for the bytes the engine lays out.
// Layer: below everything; every byte the engine decodes from disk or writes to it passes
// through here. An access outside the span throws CorruptError naming the page and field.
#pragma once

#include "db/jet/JetError.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace db::jet {

class ByteView {
public:
    ByteView() = default;
    ByteView(const uint8_t* data, size_t size, int64_t page = kNoPage)
        : m_data(data), m_size(size), m_page(page)
    {
    }

    const uint8_t* data() const { return m_data; }
    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    int64_t page() const { return m_page; }

    // True when [offset, offset + length) lies inside the span.
    bool contains(size_t offset, size_t length) const
    {
        return offset <= m_size && length <= m_size - offset;
    }

    uint8_t u8(size_t offset, const char* field) const
    {
        need(offset, 1, field);
        return m_data[offset];
    }
    uint16_t u16(size_t offset, const char* field) const
    {
        need(offset, 2, field);
        return static_cast<uint16_t>(m_data[offset] | (m_data[offset + 1] << 8));
    }
    uint32_t u24(size_t offset, const char* field) const
    {
        need(offset, 3, field);
        return static_cast<uint32_t>(m_data[offset]) | (static_cast<uint32_t>(m_data[offset + 1]) << 8)
               | (static_cast<uint32_t>(m_data[offset + 2]) << 16);
    }
    uint32_t u32(size_t offset, const char* field) const
    {
        need(offset, 4, field);
        return static_cast<uint32_t>(m_data[offset]) | (static_cast<uint32_t>(m_data[offset + 1]) << 8)
               | (static_cast<uint32_t>(m_data[offset + 2]) << 16)
               | (static_cast<uint32_t>(m_data[offset + 3]) << 24);
    }
    uint64_t u64(size_t offset, const char* field) const
    {
        need(offset, 8, field);
        uint64_t v = 0;
        for (int i = 7; i >= 0; --i)
            v = (v << 8) | m_data[offset + static_cast<size_t>(i)];
        return v;
    }
    int16_t i16(size_t offset, const char* field) const { return static_cast<int16_t>(u16(offset, field)); }
    int32_t i32(size_t offset, const char* field) const { return static_cast<int32_t>(u32(offset, field)); }
    int64_t i64(size_t offset, const char* field) const { return static_cast<int64_t>(u64(offset, field)); }
    float f32(size_t offset, const char* field) const
    {
        const uint32_t bits = u32(offset, field);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    double f64(size_t offset, const char* field) const
    {
        const uint64_t bits = u64(offset, field);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

    ByteView sub(size_t offset, size_t length, const char* field) const
    {
        need(offset, length, field);
        return ByteView(m_data + offset, length, m_page);
    }

    void need(size_t offset, size_t length, const char* field) const
    {
        if (!contains(offset, length)) [[unlikely]]
            outside(offset, length, field);
    }

private:
    // Kept out of line: every read checks its bounds, and only the check belongs inline.
    [[noreturn, gnu::noinline, gnu::cold]] void outside(size_t offset, size_t length, const char* field) const
    {
        JET_CORRUPT(m_page, field,
                    "Byte " + std::to_string(offset) + " bis " + std::to_string(offset + length)
                        + " liegt außerhalb des Bereichs von " + std::to_string(m_size) + " Bytes");
    }

    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    int64_t m_page = kNoPage;
};

// The writable twin of ByteView over bytes the caller owns (a page being changed, a row
// being built): the same bounds checks, the same byte order.
class ByteSpan {
public:
    ByteSpan() = default;
    ByteSpan(uint8_t* data, size_t size, int64_t page = kNoPage) : m_data(data), m_size(size), m_page(page) {}
    explicit ByteSpan(std::vector<uint8_t>& bytes, int64_t page = kNoPage)
        : ByteSpan(bytes.data(), bytes.size(), page)
    {
    }

    uint8_t* data() const { return m_data; }
    size_t size() const { return m_size; }
    ByteView view() const { return ByteView(m_data, m_size, m_page); }

    void put8(size_t offset, uint32_t v, const char* field) const
    {
        view().need(offset, 1, field);
        m_data[offset] = static_cast<uint8_t>(v);
    }
    void put16(size_t offset, uint32_t v, const char* field) const
    {
        view().need(offset, 2, field);
        m_data[offset] = static_cast<uint8_t>(v);
        m_data[offset + 1] = static_cast<uint8_t>(v >> 8);
    }
    void put24(size_t offset, uint32_t v, const char* field) const
    {
        view().need(offset, 3, field);
        for (size_t i = 0; i < 3; ++i)
            m_data[offset + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    void put32(size_t offset, uint32_t v, const char* field) const
    {
        view().need(offset, 4, field);
        for (size_t i = 0; i < 4; ++i)
            m_data[offset + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    void put64(size_t offset, uint64_t v, const char* field) const
    {
        view().need(offset, 8, field);
        for (size_t i = 0; i < 8; ++i)
            m_data[offset + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    void putF32(size_t offset, float f, const char* field) const
    {
        uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        put32(offset, bits, field);
    }
    void putF64(size_t offset, double d, const char* field) const
    {
        uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        put64(offset, bits, field);
    }
    void copy(size_t offset, ByteView from, const char* field) const
    {
        view().need(offset, from.size(), field);
        if (from.size() > 0)
            std::memmove(m_data + offset, from.data(), from.size());
    }
    void fill(size_t offset, size_t length, uint8_t value, const char* field) const
    {
        view().need(offset, length, field);
        if (length > 0)
            std::memset(m_data + offset, value, length);
    }
    ByteSpan sub(size_t offset, size_t length, const char* field) const
    {
        view().need(offset, length, field);
        return ByteSpan(m_data + offset, length, m_page);
    }

private:
    uint8_t* m_data = nullptr;
    size_t m_size = 0;
    int64_t m_page = kNoPage;
};

// Appends little-endian values to a growing buffer (rows and definitions being built).
class ByteBuilder {
public:
    std::vector<uint8_t>& bytes() { return m_bytes; }
    const std::vector<uint8_t>& bytes() const { return m_bytes; }
    size_t size() const { return m_bytes.size(); }

    void u8(uint32_t v) { m_bytes.push_back(static_cast<uint8_t>(v)); }
    void u16(uint32_t v)
    {
        u8(v);
        u8(v >> 8);
    }
    void u32(uint32_t v)
    {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void append(const uint8_t* data, size_t length) { m_bytes.insert(m_bytes.end(), data, data + length); }
    void append(const std::vector<uint8_t>& data) { append(data.data(), data.size()); }
    void zeros(size_t length) { m_bytes.insert(m_bytes.end(), length, 0); }

private:
    std::vector<uint8_t> m_bytes;
};

// Big-endian numbers, as index keys and the row pointers and child pages of index entries
// hold them (everything else in the format is little-endian).
inline uint32_t readBigEndian32(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16)
           | (static_cast<uint32_t>(p[2]) << 8) | p[3];
}
inline void appendBigEndian(std::vector<uint8_t>& out, uint64_t v, unsigned bytes)
{
    for (unsigned i = bytes; i-- > 0;)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace db::jet
