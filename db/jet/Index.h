// An index B-tree as Access stores it: node (0x03) and leaf (0x04) pages, the entry
// bitmap, the shared prefix, the links between pages of a level; decoding a page and
// laying one out again (the writer in IndexWriter.h uses both), searching by key, key
// prefix or range, and reading every entry in order.
// Layer: index; reads pages through the page file, knows keys as bytes (IndexKey.h makes
// them), nothing of rows or SQL. IndexReader never changes a page.
#pragma once

#include "db/jet/JetFormat.h"
#include "db/jet/PageFile.h"
#include "db/jet/TableDef.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace db::jet {

struct IndexEntry {
    std::vector<uint8_t> key;  // the key bytes, without row and child
    uint32_t dataPage = 0;
    uint8_t dataRow = 0;
    uint32_t child = 0;  // node entries: the page below

    // The row id the table layer uses.
    uint64_t rowId() const { return makeRowId(dataPage, dataRow); }
};

// Access's order of keys: unsigned bytes, a key before every longer key it begins.
int compareKeys(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);
bool keyStartsWith(const std::vector<uint8_t>& key, const std::vector<uint8_t>& prefix);
// Entries: by key, then data page, then row.
int compareEntries(const IndexEntry& a, const IndexEntry& b);

// One index page, decoded: every entry in full (prefix restored).
struct IndexPage {
    uint32_t number = 0;
    bool leaf = false;
    uint32_t owner = 0;
    uint32_t prev = 0;
    uint32_t next = 0;
    uint32_t tail = 0;  // node pages: the child after the last entry
    uint16_t freeSpace = 0;
    uint16_t prefixLength = 0;
    uint32_t entriesEnd = 0;  // page offset just past the last entry
    std::vector<IndexEntry> entries;
};

const IndexPageLayout& indexPageLayout(const Format& format);

// One index page as the writer keeps it: the header's links and every entry in full (the
// shared prefix restored), back to back; entry i ends at `ends[i]`. Node entries end with
// their child page, leaf entries with the row.
struct IndexPageData {
    bool leaf = true;
    uint32_t prev = 0;
    uint32_t next = 0;
    uint32_t tail = 0;
    std::vector<uint8_t> bytes;
    std::vector<uint32_t> ends;

    size_t count() const { return ends.size(); }
    uint32_t start(size_t i) const { return i == 0 ? 0 : ends[i - 1]; }
    uint32_t size(size_t i) const { return ends[i] - start(i); }
    const uint8_t* entry(size_t i) const { return bytes.data() + start(i); }
    // Bytes after the key: the row, and on node pages the child.
    uint32_t trailer() const { return kIndexEntryRowIdSize + (leaf ? 0 : kIndexEntryChildSize); }
    uint32_t keyLength(size_t i) const { return size(i) - trailer(); }
    uint64_t rowId(size_t i) const;
    uint32_t child(size_t i) const;
};

// What decoding a page found besides its entries (the check compares these).
struct IndexPageHeader {
    uint32_t owner = 0;
    uint16_t freeSpace = 0;
    uint16_t prefixLength = 0;
    uint32_t entriesEnd = 0;  // page offset just past the last entry
};

// Decodes one page. Throws CorruptError naming the page and field when it is not an index
// page or its bitmap, prefix or entries do not fit.
IndexPageData decodeIndexPage(const Page& page, const Format& format, IndexPageHeader* header = nullptr);
IndexPage readIndexPage(const Page& page, const Format& format);

// The most entry bytes one page holds: the page after the bitmap, as far as the bitmap
// can mark an end (3,616 bytes in Jet 4).
uint32_t indexPageCapacity(const Format& format);
// How Access stores a page's entries: whole while they fit, otherwise every entry but
// the first without the prefix that the keys of the first and the last entry share
// (compIndexTestV2000.mdb: prefix 0 on every page that fits, 3 on the full leaf 32).
struct IndexPagePlan {
    uint16_t prefixLength = 0;
    size_t storedBytes = 0;
    bool fits = true;
};
IndexPagePlan planIndexPage(const IndexPageData& data, const Format& format);
// Lays `data` out on `page` as Access does: header, bitmap, entries, the rest zeros.
// Throws JetError when the entries do not fit (the writer splits before that).
void encodeIndexPage(Page& page, const Format& format, uint32_t owner, const IndexPageData& data);

// A bound of a key range, given as key bytes that may be a prefix (the first columns of
// a composite key). Inclusive: every key that begins with `key` lies inside the bound;
// exclusive: none of them does.
struct KeyBound {
    std::vector<uint8_t> key;
    bool inclusive = true;
};

// Reads one index of one table.
class IndexReader {
public:
    // `tablePage` is the table's TDEF page: every page of the index must name it.
    IndexReader(PageFile& file, const Format& format, const IndexDef& index, uint32_t tablePage);

    const IndexDef& index() const { return m_index; }

    // Walks entries in order from a starting point. Pages of the leaf level are followed
    // through their `next` links; a loop or a page of another kind is corruption.
    class Cursor {
    public:
        bool next(IndexEntry& out);

    private:
        friend class IndexReader;
        IndexReader* m_reader = nullptr;
        std::shared_ptr<const IndexPage> m_page;
        size_t m_position = 0;
        uint32_t m_steps = 0;
    };

    // Every entry, in order.
    Cursor begin();
    // From the first entry above `lower` (see KeyBound); without a bound, from the first.
    Cursor seek(const std::optional<KeyBound>& lower);

    // Row ids of the entries with exactly this key, in index order.
    std::vector<uint64_t> rowsWithKey(const std::vector<uint8_t>& key);
    // Row ids of the entries whose key begins with `prefix` (equality on the first columns).
    std::vector<uint64_t> rowsWithPrefix(const std::vector<uint8_t>& prefix);
    // Row ids of the entries between the bounds, in index order. Bounds are in key order:
    // for a descending column the smaller SQL value is the upper bound. NULLs sort first
    // in ascending columns; a lower bound excludes them, "col < x" alone does not (give
    // the lower bound {kKeyAscendingNull} exclusive for that).
    std::vector<uint64_t> rowsInRange(const std::optional<KeyBound>& lower, const std::optional<KeyBound>& upper);

    // The decoded page `number`, checked to be an index page of this table.
    std::shared_ptr<const IndexPage> page(uint32_t number);
    // The same page with its entries back to back as stored (no entry copied on its own),
    // not kept: for walks that visit each page once.
    IndexPageData pageData(uint32_t number, IndexPageHeader& header);

private:
    void requireOwner(uint32_t number, uint32_t owner) const;

    // Decoded pages, valid while the page file still hands out the same state of the page
    // (the stamp; a page read again or rewritten carries a new one, even in the same memory).
    struct Decoded {
        uint64_t stamp = 0;
        std::shared_ptr<const IndexPage> page;
    };
    static constexpr size_t kDecodedPages = 64;

    PageFile& m_file;
    const Format& m_format;
    IndexDef m_index;
    uint32_t m_tablePage;
    PageMap<Decoded> m_decoded;
};

// True when `key` lies above the lower bound / below the upper bound.
bool aboveLower(const std::vector<uint8_t>& key, const KeyBound& lower);
bool belowUpper(const std::vector<uint8_t>& key, const KeyBound& upper);

}  // namespace db::jet
