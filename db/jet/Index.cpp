// Index pages and searching the B-tree.
#include "db/jet/Index.h"

#include <algorithm>

namespace db::jet {

namespace {

// No Access index is anywhere near this deep (a page holds hundreds of entries).
constexpr unsigned kMaxIndexDepth = 32;

}  // namespace

int compareKeys(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool keyStartsWith(const std::vector<uint8_t>& key, const std::vector<uint8_t>& prefix)
{
    return key.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), key.begin());
}

int compareEntries(const IndexEntry& a, const IndexEntry& b)
{
    if (const int c = compareKeys(a.key, b.key))
        return c;
    if (a.dataPage != b.dataPage)
        return a.dataPage < b.dataPage ? -1 : 1;
    if (a.dataRow != b.dataRow)
        return a.dataRow < b.dataRow ? -1 : 1;
    return 0;
}

bool aboveLower(const std::vector<uint8_t>& key, const KeyBound& lower)
{
    const int c = compareKeys(key, lower.key);
    return lower.inclusive ? c >= 0 : c > 0 && !keyStartsWith(key, lower.key);
}

bool belowUpper(const std::vector<uint8_t>& key, const KeyBound& upper)
{
    const int c = compareKeys(key, upper.key);
    return upper.inclusive ? c <= 0 || keyStartsWith(key, upper.key) : c < 0;
}

const IndexPageLayout& indexPageLayout(const Format& format)
{
    return format.jet3 ? kIndexPageJet3 : kIndexPageJet4;
}

IndexPage readIndexPage(const Page& page, const Format& format)
{
    const ByteView v = page.view();
    const IndexPageLayout& L = indexPageLayout(format);
    IndexPage p;
    p.number = page.number;
    const uint8_t type = v.u8(0, "Seitentyp");
    if (type != kPageIndexNode && type != kPageIndexLeaf)
        JET_CORRUPT(page.number, "Seitentyp", "Indexseite erwartet, gefunden Typ " + std::to_string(type));
    p.leaf = type == kPageIndexLeaf;
    p.freeSpace = v.u16(kIndexPageFreeSpace, "Freiraum");
    p.owner = v.u32(kIndexPageOwner, "Besitzer");
    p.prev = v.u32(L.prevPage, "vorige Indexseite");
    p.next = v.u32(L.nextPage, "nächste Indexseite");
    p.tail = v.u32(L.tailPage, "letzte Unterseite");
    p.prefixLength = v.u16(L.prefixLength, "gemeinsamer Anfang");
    const ByteView mask = v.sub(L.entryMask, L.entryMaskSize, "Eintragsliste");
    if (v.size() < L.entries)
        JET_CORRUPT(page.number, "Einträge", "die Seite ist zu kurz für einen Index");
    const size_t area = v.size() - L.entries;
    const size_t fixedTail = kIndexEntryRowIdSize + (p.leaf ? 0 : kIndexEntryChildSize);
    std::vector<uint8_t> prefix;
    size_t last = 0;
    for (size_t i = 0; i < L.entryMaskSize; ++i) {
        const uint8_t bits = mask.u8(i, "Eintragsliste");
        for (unsigned b = 0; b < 8; ++b) {
            if (!(bits & (1u << b)))
                continue;
            const size_t end = i * 8 + b;
            if (end <= last || end > area)
                JET_CORRUPT(page.number, "Eintragsliste",
                            "ein Eintrag endet bei Byte " + std::to_string(end) + " (vorher " + std::to_string(last)
                                + ", Platz " + std::to_string(area) + ")");
            const ByteView stored = v.sub(L.entries + last, end - last, "Indexeintrag");
            std::vector<uint8_t> full;
            if (p.entries.empty()) {
                if (stored.size() < p.prefixLength)
                    JET_CORRUPT(page.number, "gemeinsamer Anfang",
                                std::to_string(p.prefixLength) + " Bytes bei einem ersten Eintrag von "
                                    + std::to_string(stored.size()));
                prefix.assign(stored.data(), stored.data() + p.prefixLength);
                full.assign(stored.data(), stored.data() + stored.size());
            } else {
                full = prefix;
                full.insert(full.end(), stored.data(), stored.data() + stored.size());
            }
            if (full.size() < fixedTail)
                JET_CORRUPT(page.number, "Indexeintrag",
                            "Eintrag " + std::to_string(p.entries.size()) + " hat nur " + std::to_string(full.size())
                                + " Bytes");
            const ByteView e(full.data(), full.size(), page.number);
            IndexEntry entry;
            const size_t keyLength = full.size() - fixedTail;
            entry.key.assign(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(keyLength));
            entry.dataPage = static_cast<uint32_t>(e.u8(keyLength, "Zeilenverweis")) << 16
                             | static_cast<uint32_t>(e.u8(keyLength + 1, "Zeilenverweis")) << 8
                             | e.u8(keyLength + 2, "Zeilenverweis");
            entry.dataRow = e.u8(keyLength + 3, "Zeilenverweis");
            if (!p.leaf) {
                const size_t c = keyLength + kIndexEntryRowIdSize;
                entry.child = static_cast<uint32_t>(e.u8(c, "Unterseite")) << 24
                              | static_cast<uint32_t>(e.u8(c + 1, "Unterseite")) << 16
                              | static_cast<uint32_t>(e.u8(c + 2, "Unterseite")) << 8 | e.u8(c + 3, "Unterseite");
            }
            p.entries.push_back(std::move(entry));
            last = end;
        }
    }
    if (p.prefixLength > 0 && p.entries.empty())
        JET_CORRUPT(page.number, "gemeinsamer Anfang", "Anfang ohne Eintrag");
    p.entriesEnd = static_cast<uint32_t>(L.entries + last);
    return p;
}

IndexReader::IndexReader(PageFile& file, const Format& format, const IndexDef& index, uint32_t tablePage)
    : m_file(file), m_format(format), m_index(index), m_tablePage(tablePage)
{
}

std::shared_ptr<const IndexPage> IndexReader::page(uint32_t number)
{
    const PageRef ref = m_file.page(number, "Indexseite");
    const auto it = m_decoded.find(number);
    if (it != m_decoded.end() && it->second.source.lock() == ref)
        return it->second.page;
    auto p = std::make_shared<IndexPage>(readIndexPage(*ref, m_format));
    if (p->owner != m_tablePage)
        JET_CORRUPT(number, "Besitzer",
                    "Indexseite des Index \"" + m_index.name + "\" gehört zur Tabellendefinition "
                        + std::to_string(p->owner) + ", nicht " + std::to_string(m_tablePage));
    if (m_decoded.size() >= kDecodedPages)
        m_decoded.clear();
    m_decoded[number] = {ref, p};
    return p;
}

IndexReader::Cursor IndexReader::seek(const std::optional<KeyBound>& lower)
{
    Cursor c;
    c.m_reader = this;
    uint32_t number = m_index.rootPage;
    for (unsigned depth = 0;; ++depth) {
        if (depth > kMaxIndexDepth)
            JET_CORRUPT(number, "Indexbaum", "mehr als " + std::to_string(kMaxIndexDepth) + " Ebenen");
        std::shared_ptr<const IndexPage> p = page(number);
        if (p->leaf) {
            size_t i = 0;
            if (lower)
                i = static_cast<size_t>(std::partition_point(p->entries.begin(), p->entries.end(),
                                                             [&](const IndexEntry& e) { return !aboveLower(e.key, *lower); })
                                        - p->entries.begin());
            c.m_position = i;
            c.m_page = std::move(p);
            return c;
        }
        // A node entry repeats its child's last entry: the first entry above the bound
        // leads to the child where the range begins; past the last entry lies the tail.
        const auto e = lower ? std::partition_point(p->entries.begin(), p->entries.end(),
                                                    [&](const IndexEntry& x) { return !aboveLower(x.key, *lower); })
                             : p->entries.begin();
        const uint32_t child = e != p->entries.end() ? e->child : p->tail;
        if (child == 0)
            return c;  // nothing above the bound
        number = child;
    }
}

IndexReader::Cursor IndexReader::begin() { return seek(std::nullopt); }

bool IndexReader::Cursor::next(IndexEntry& out)
{
    while (m_page) {
        if (m_position < m_page->entries.size()) {
            out = m_page->entries[m_position++];
            return true;
        }
        const uint32_t next = m_page->next;
        if (next == 0) {
            m_page.reset();
            return false;
        }
        if (++m_steps > m_reader->m_file.pageCount())
            JET_CORRUPT(next, "nächste Indexseite", "die Blattseiten bilden eine Schleife");
        std::shared_ptr<const IndexPage> p = m_reader->page(next);
        if (!p->leaf)
            JET_CORRUPT(next, "nächste Indexseite", "auf eine Blattseite folgt eine Knotenseite");
        m_page = std::move(p);
        m_position = 0;
    }
    return false;
}

std::vector<uint64_t> IndexReader::rowsWithKey(const std::vector<uint8_t>& key)
{
    std::vector<uint64_t> rows;
    Cursor c = seek(KeyBound{key, true});
    IndexEntry e;
    while (c.next(e) && compareKeys(e.key, key) == 0)
        rows.push_back(e.rowId());
    return rows;
}

std::vector<uint64_t> IndexReader::rowsWithPrefix(const std::vector<uint8_t>& prefix)
{
    std::vector<uint64_t> rows;
    Cursor c = seek(KeyBound{prefix, true});
    IndexEntry e;
    while (c.next(e) && keyStartsWith(e.key, prefix))
        rows.push_back(e.rowId());
    return rows;
}

std::vector<uint64_t> IndexReader::rowsInRange(const std::optional<KeyBound>& lower,
                                               const std::optional<KeyBound>& upper)
{
    std::vector<uint64_t> rows;
    Cursor c = seek(lower);
    IndexEntry e;
    while (c.next(e) && (!upper || belowUpper(e.key, *upper)))
        rows.push_back(e.rowId());
    return rows;
}

}  // namespace db::jet
