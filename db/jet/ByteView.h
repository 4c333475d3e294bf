// Bounds-checked little-endian reads from a span of bytes (a page or a row).
// Layer: below everything; every byte the engine decodes from disk passes through here.
// A read outside the span throws CorruptError naming the page and the field.
#pragma once

#include "db/jet/JetError.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

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
        if (!contains(offset, length))
            JET_CORRUPT(m_page, field,
                        "Byte " + std::to_string(offset) + " bis " + std::to_string(offset + length)
                            + " liegt außerhalb des Bereichs von " + std::to_string(m_size) + " Bytes");
    }

private:
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    int64_t m_page = kNoPage;
};

}  // namespace db::jet
