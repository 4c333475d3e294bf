// RC4 key schedule and key stream.
#include "db/jet/Rc4.h"

#include <utility>

namespace db::jet {

Rc4::Rc4(const uint8_t* key, size_t keyLength)
{
    for (int i = 0; i < 256; ++i)
        m_state[i] = static_cast<uint8_t>(i);
    uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<uint8_t>(j + m_state[i] + key[static_cast<size_t>(i) % keyLength]);
        std::swap(m_state[i], m_state[j]);
    }
}

void Rc4::apply(uint8_t* data, size_t length)
{
    for (size_t n = 0; n < length; ++n) {
        m_i = static_cast<uint8_t>(m_i + 1);
        m_j = static_cast<uint8_t>(m_j + m_state[m_i]);
        std::swap(m_state[m_i], m_state[m_j]);
        data[n] ^= m_state[static_cast<uint8_t>(m_state[m_i] + m_state[m_j])];
    }
}

}  // namespace db::jet
