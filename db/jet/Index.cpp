// Index pages and searching the B-tree.
#include "db/jet/Index.h"

#include <algorithm>
#include <cstring>

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

uint64_t IndexPageData::rowId(size_t i) const
{
    const uint8_t* r = entry(i) + keyLength(i);
    return readBigEndian32(r);
}

uint32_t IndexPageData::child(size_t i) const
{
    if (leaf)
        return 0;
    const uint8_t* c = entry(i) + size(i) - kIndexEntryChildSize;
    return readBigEndian32(c);
}

IndexPageData decodeIndexPage(const Page& page, const Format& format, IndexPageHeader* header)
{
    const ByteView v = page.view();
    const IndexPageLayout& L = indexPageLayout(format);
    IndexPageData p;
    IndexPageHeader h;
    const uint8_t type = v.u8(0, "Seitentyp");
    if (type != kPageIndexNode && type != kPageIndexLeaf)
        JET_CORRUPT(page.number, "Seitentyp", "Indexseite erwartet, gefunden Typ " + std::to_string(type));
    p.leaf = type == kPageIndexLeaf;
    h.freeSpace = v.u16(kIndexPageFreeSpace, "Freiraum");
    h.owner = v.u32(kIndexPageOwner, "Besitzer");
    p.prev = v.u32(L.prevPage, "vorige Indexseite");
    p.next = v.u32(L.nextPage, "nächste Indexseite");
    p.tail = v.u32(L.tailPage, "letzte Unterseite");
    // Jet 3 keeps the length in one byte; the byte after it is 1 on node pages of Access 97
    // files (as Jet 4's 0x1A), which a two-byte reading took for a prefix of 256.
    h.prefixLength = format.jet3 ? v.u8(L.prefixLength, "gemeinsamer Anfang") : v.u16(L.prefixLength, "gemeinsamer Anfang");
    const ByteView mask = v.sub(L.entryMask, L.entryMaskSize, "Eintragsliste");
    if (v.size() < L.entries)
        JET_CORRUPT(page.number, "Einträge", "die Seite ist zu kurz für einen Index");
    const size_t area = v.size() - L.entries;
    const size_t fixedTail = p.trailer();
    size_t last = 0;
    size_t prefix = 0;
    p.bytes.reserve(area + area / 2);
    for (size_t i = 0; i < L.entryMaskSize; ++i) {
        const uint8_t bits = mask.u8(i, "Eintragsliste");
        for (unsigned b = 0; bits && b < 8; ++b) {
            if (!(bits & (1u << b)))
                continue;
            const size_t end = i * 8 + b;
            if (end <= last || end > area)
                JET_CORRUPT(page.number, "Eintragsliste",
                            "ein Eintrag endet bei Byte " + std::to_string(end) + " (vorher " + std::to_string(last)
                                + ", Platz " + std::to_string(area) + ")");
            const uint8_t* stored = v.data() + L.entries + last;
            const size_t storedSize = end - last;
            if (p.ends.empty()) {
                if (storedSize < h.prefixLength)
                    JET_CORRUPT(page.number, "gemeinsamer Anfang",
                                std::to_string(h.prefixLength) + " Bytes bei einem ersten Eintrag von "
                                    + std::to_string(storedSize));
                prefix = h.prefixLength;
            } else {
                p.bytes.insert(p.bytes.end(), p.bytes.begin(), p.bytes.begin() + static_cast<std::ptrdiff_t>(prefix));
            }
            p.bytes.insert(p.bytes.end(), stored, stored + storedSize);
            const size_t full = p.bytes.size() - (p.ends.empty() ? 0 : p.ends.back());
            if (full < fixedTail)
                JET_CORRUPT(page.number, "Indexeintrag",
                            "Eintrag " + std::to_string(p.ends.size()) + " hat nur " + std::to_string(full) + " Bytes");
            p.ends.push_back(static_cast<uint32_t>(p.bytes.size()));
            last = end;
        }
    }
    if (h.prefixLength > 0 && p.ends.empty())
        JET_CORRUPT(page.number, "gemeinsamer Anfang", "Anfang ohne Eintrag");
    h.entriesEnd = static_cast<uint32_t>(L.entries + last);
    if (header)
        *header = h;
    return p;
}

IndexPage readIndexPage(const Page& page, const Format& format)
{
    IndexPageHeader h;
    const IndexPageData d = decodeIndexPage(page, format, &h);
    IndexPage p;
    p.number = page.number;
    p.leaf = d.leaf;
    p.owner = h.owner;
    p.prev = d.prev;
    p.next = d.next;
    p.tail = d.tail;
    p.freeSpace = h.freeSpace;
    p.prefixLength = h.prefixLength;
    p.entriesEnd = h.entriesEnd;
    p.entries.reserve(d.count());
    for (size_t i = 0; i < d.count(); ++i) {
        IndexEntry e;
        const uint8_t* b = d.entry(i);
        e.key.assign(b, b + d.keyLength(i));
        const uint64_t row = d.rowId(i);
        e.dataPage = static_cast<uint32_t>(row >> 8);
        e.dataRow = static_cast<uint8_t>(row);
        e.child = d.child(i);
        p.entries.push_back(std::move(e));
    }
    return p;
}

uint32_t indexPageCapacity(const Format& format)
{
    const IndexPageLayout& L = indexPageLayout(format);
    return std::min(format.pageSize - L.entries, L.entryMaskSize * 8);
}

IndexPagePlan planIndexPage(const IndexPageData& data, const Format& format)
{
    IndexPagePlan plan;
    const uint32_t capacity = indexPageCapacity(format);
    plan.storedBytes = data.bytes.size();
    if (plan.storedBytes <= capacity || data.count() < 2)
        return plan.fits = plan.storedBytes <= capacity, plan;
    // Entries are in key order, so the first and the last key share what all share.
    const size_t n = data.count() - 1;
    const uint8_t* a = data.entry(0);
    const uint8_t* b = data.entry(n);
    const size_t limit = std::min(data.keyLength(0), data.keyLength(n));
    size_t prefix = 0;
    while (prefix < limit && a[prefix] == b[prefix])
        ++prefix;
    prefix = std::min<size_t>(prefix, 0xFFFF);
    plan.prefixLength = static_cast<uint16_t>(prefix);
    plan.storedBytes = data.bytes.size() - prefix * n;
    plan.fits = plan.storedBytes <= capacity;
    return plan;
}

void encodeIndexPage(Page& page, const Format& format, uint32_t owner, const IndexPageData& data)
{
    if (format.jet3)
        throw JetError("Indexseiten im Format von Access 97 werden nicht geschrieben.");
    const IndexPageLayout& L = indexPageLayout(format);
    const IndexPagePlan plan = planIndexPage(data, format);
    if (!plan.fits)
        throw JetError("Interner Fehler: Die Einträge passen nicht auf die Indexseite " + std::to_string(page.number)
                       + ".");
    std::fill(page.bytes.begin(), page.bytes.end(), 0);
    const ByteSpan s = page.span();
    s.put8(0, data.leaf ? kPageIndexLeaf : kPageIndexNode, "Seitentyp");
    s.put8(1, kPageMarker, "Seitentyp");
    s.put32(kIndexPageOwner, owner, "Besitzer");
    s.put32(L.prevPage, data.prev, "vorige Indexseite");
    s.put32(L.nextPage, data.next, "nächste Indexseite");
    s.put32(L.tailPage, data.tail, "letzte Unterseite");
    s.put16(L.prefixLength, plan.prefixLength, "gemeinsamer Anfang");
    s.put8(kIndexPageNodeFlagJet4, data.leaf ? 0 : 1, "Seitenart");
    uint8_t* out = page.bytes.data() + L.entries;
    size_t at = 0;
    for (size_t i = 0; i < data.count(); ++i) {
        const size_t skip = i == 0 ? 0 : plan.prefixLength;
        const size_t n = data.size(i) - skip;
        std::memcpy(out + at, data.entry(i) + skip, n);
        at += n;
        uint8_t& bits = page.bytes[L.entryMask + at / 8];
        bits = static_cast<uint8_t>(bits | (1u << (at % 8)));
    }
    s.put16(kIndexPageFreeSpace, static_cast<uint32_t>(format.pageSize - L.entries - at), "Freiraum");
}

IndexReader::IndexReader(PageFile& file, const Format& format, const IndexDef& index, uint32_t tablePage)
    : m_file(file), m_format(format), m_index(index), m_tablePage(tablePage)
{
}

std::shared_ptr<const IndexPage> IndexReader::page(uint32_t number)
{
    const PageRef ref = m_file.page(number, "Indexseite");
    const auto it = m_decoded.find(number);
    if (it != m_decoded.end() && it->second.stamp == ref->stamp)
        return it->second.page;
    auto p = std::make_shared<IndexPage>(readIndexPage(*ref, m_format));
    requireOwner(number, p->owner);
    if (m_decoded.size() >= kDecodedPages)
        m_decoded.clear();
    m_decoded[number] = {ref->stamp, p};
    return p;
}

IndexPageData IndexReader::pageData(uint32_t number, IndexPageHeader& header)
{
    const PageRef ref = m_file.page(number, "Indexseite");
    IndexPageData p = decodeIndexPage(*ref, m_format, &header);
    requireOwner(number, header.owner);
    return p;
}

void IndexReader::requireOwner(uint32_t number, uint32_t owner) const
{
    if (owner != m_tablePage)
        JET_CORRUPT(number, "Besitzer",
                    "Indexseite des Index \"" + m_index.name + "\" gehört zur Tabellendefinition "
                        + std::to_string(owner) + ", nicht " + std::to_string(m_tablePage));
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
