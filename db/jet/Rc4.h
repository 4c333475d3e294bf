// The RC4 stream cipher, as Access uses it to mask the header and to encode pages.
// Layer: below the page file; pure byte transformation, no file access.
#pragma once

#include <cstddef>
#include <cstdint>

namespace db::jet {

class Rc4 {
public:
    Rc4(const uint8_t* key, size_t keyLength);
    // XORs the next bytes of the key stream into data (encoding and decoding are the same).
    void apply(uint8_t* data, size_t length);

private:
    uint8_t m_state[256];
    uint8_t m_i = 0;
    uint8_t m_j = 0;
};

}  // namespace db::jet
