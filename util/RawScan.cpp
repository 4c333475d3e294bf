// Many texts in raw bytes: every form of every text is indexed by its first four bytes, and
// each position of the file looks up its four bytes once (a bit filter answers most of them).
#include "util/RawScan.h"

#include "util/TextFile.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace util {

namespace {

constexpr size_t kFilterBits = size_t(1) << 20;

uint32_t load32(const char* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

size_t filterSlot(uint32_t key) { return (key * 2654435761u) >> 12 & (kFilterBits - 1); }

// Access's compressed text: one byte per character while the characters fit in one, a NUL
// byte switching to two-byte characters and back.
QByteArray compressedForm(const QString& text)
{
    QByteArray out;
    bool wide = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool fits = u != 0 && u <= 0xFF;
        if (fits == wide)
            out.append('\0');
        wide = !fits;
        if (fits) {
            out.append(static_cast<char>(u));
        } else {
            out.append(static_cast<char>(u & 0xFF));
            out.append(static_cast<char>(u >> 8));
        }
    }
    return out;
}

}  // namespace

std::vector<QByteArray> RawScanner::forms(const QString& text)
{
    std::vector<QByteArray> out;
    const auto add = [&](const QByteArray& b) {
        if (!b.isEmpty() && std::find(out.begin(), out.end(), b) == out.end())
            out.push_back(b);
    };
    add(QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
    add(compressedForm(text));
    QByteArray cp1252;
    if (encodeCp1252(text, cp1252))
        add(cp1252);
    add(text.toUtf8());
    return out;
}

RawScanner::RawScanner(const QStringList& texts, int minBytes) : m_filter(kFilterBits / 64, 0)
{
    minBytes = std::max(minBytes, 4);  // the index needs four bytes of every form
    for (const QString& t : texts) {
        const std::vector<QByteArray> f = forms(t);
        const bool tooShort = std::any_of(f.begin(), f.end(), [&](const QByteArray& b) { return b.size() < minBytes; });
        if (f.empty() || tooShort) {
            ++m_skipped;
            continue;
        }
        const int index = static_cast<int>(m_texts.size());
        m_texts.push_back(t);
        for (const QByteArray& b : f) {
            const uint32_t key = load32(b.constData());
            m_byPrefix[key].push_back(static_cast<uint32_t>(m_patterns.size()));
            m_patterns.push_back({b, index});
            const size_t slot = filterSlot(key);
            m_filter[slot / 64] |= uint64_t(1) << (slot % 64);
        }
    }
}

void RawScanner::scan(const char* data, size_t size, std::vector<bool>& found) const
{
    if (size < 4)
        return;
    for (size_t i = 0; i + 4 <= size; ++i) {
        const uint32_t key = load32(data + i);
        if (key == 0)
            continue;
        const size_t slot = filterSlot(key);
        if (!(m_filter[slot / 64] >> (slot % 64) & 1))
            continue;
        const auto it = m_byPrefix.find(key);
        if (it == m_byPrefix.end())
            continue;
        for (uint32_t p : it->second) {
            const Pattern& pattern = m_patterns[p];
            const auto n = static_cast<size_t>(pattern.bytes.size());
            if (!found[static_cast<size_t>(pattern.text)] && i + n <= size
                && std::memcmp(data + i, pattern.bytes.constData(), n) == 0)
                found[static_cast<size_t>(pattern.text)] = true;
        }
    }
}

QStringList RawScanner::foundIn(const QStringList& paths) const
{
    std::vector<bool> found(m_texts.size(), false);
    for (const QString& path : paths) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = f.readAll();
        scan(bytes.constData(), static_cast<size_t>(bytes.size()), found);
    }
    QStringList out;
    for (size_t i = 0; i < found.size(); ++i)
        if (found[i])
            out.append(m_texts[i]);
    return out;
}

}  // namespace util
