// One column value as the engine hands it to SQL: NULL, integer, real, UTF-8 text or bytes.
// Layer: shared by the table and the virtual table; no format knowledge.
#pragma once

#include <cstdint>
#include <string>

namespace db::jet {

struct Value {
    enum class Kind { Null, Integer, Real, Text, Blob };
    Kind kind = Kind::Null;
    int64_t integer = 0;
    double real = 0;
    std::string bytes;  // Text (UTF-8) or Blob

    static Value null() { return {}; }
    static Value ofInteger(int64_t v) { Value x; x.kind = Kind::Integer; x.integer = v; return x; }
    static Value ofReal(double v) { Value x; x.kind = Kind::Real; x.real = v; return x; }
    static Value ofText(std::string s) { Value x; x.kind = Kind::Text; x.bytes = std::move(s); return x; }
    static Value ofBlob(std::string s) { Value x; x.kind = Kind::Blob; x.bytes = std::move(s); return x; }
};

}  // namespace db::jet
