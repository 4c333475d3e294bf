// Keeping one index B-tree right while rows come and go: entries in key order, leaf and
// node splits, the root grown in place, emptied pages given back, links and usage map; and
// searching it through the same decoded pages, so that lookups see every change at once.
// Layer: index; key bytes and row ids only, never rows or SQL. Changes go to the page
// file's current unit; making a statement atomic is the caller's business. Changed pages
// stay decoded here until the page file asks for them (a reader of such a page, a mark set
// or released, the unit's end), so that a statement moving many entries lays out each page
// once rather than after every entry.
#pragma once

#include "db/jet/Index.h"
#include "db/jet/PageFile.h"
#include "db/jet/UsageMap.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace db::jet {

class Space;

class IndexTree : public DeferredWriter, public DecodedHolder {
public:
    // `tablePage` is the table's TDEF page (every page of the index names it as owner);
    // `index` gives the root page and the usage map. `name` appears in messages.
    IndexTree(PageFile& file, const Format& format, Space& space, uint32_t tablePage, const IndexDef& index,
              std::string name);
    ~IndexTree();
    IndexTree(const IndexTree&) = delete;
    IndexTree& operator=(const IndexTree&) = delete;

    // --- Searching --------------------------------------------------------------------
    // Row ids of the entries whose key begins with `prefix`, in index order.
    std::vector<uint64_t> rowsWithPrefix(const std::vector<uint8_t>& prefix);
    // Row ids of the entries between the bounds (as IndexReader::rowsInRange), in index order.
    std::vector<uint64_t> rowsInRange(const std::optional<KeyBound>& lower, const std::optional<KeyBound>& upper);
    // Whether an entry with exactly these key bytes exists for a row other than `exceptRow`.
    bool hasKey(const std::vector<uint8_t>& key, uint64_t exceptRow = ~uint64_t(0));

    // --- Changing (inside a unit) -----------------------------------------------------
    // Adds the entry of `rowId`. Returns true when an entry beside it has the same key
    // bytes: Access counts a distinct key only for an entry whose neighbours differ.
    // An entry that exists already is damage (a row id names one row).
    bool insert(const std::vector<uint8_t>& key, uint64_t rowId);
    // Removes the entry; false when there is none (nothing changes then).
    bool remove(const std::vector<uint8_t>& key, uint64_t rowId);
    // Removes the entry of `rowId` whatever its key, found by reading every leaf: for a
    // row whose stored key cannot be computed (a character without a known code).
    bool removeRow(uint64_t rowId);

    // The longest key this writer accepts: a quarter of a page, so that a split always
    // leaves two pages that fit.
    size_t maxKeyLength() const;

    // For a file laid out in one unit that nothing reads before it is done: changed pages
    // are kept decoded and laid out once, by writePending(), instead of after every change.
    void setDeferredWrites(bool deferred) { m_deferred = deferred; }
    void writePending();
    // The page file asks for the changed pages.
    void writeDeferred() override;
    // The page file's bound for decoded pages asks for them.
    size_t dropDecoded() override;

private:
    using PagePtr = std::shared_ptr<IndexPageData>;
    static constexpr int kTail = -1;
    // One step of a descent: the page and which of its children the descent took (an
    // entry's position, or kTail).
    struct Step {
        uint32_t page;
        int child;
    };
    struct Bound;

    void sync();
    void dropAll();
    PagePtr load(uint32_t number);
    void dirty(uint32_t number);
    void flush();
    UsageMap& usage();
    uint32_t allocate(PagePtr data);
    void release(uint32_t number);
    template <typename F>
    auto guarded(F&& body) -> decltype(body());
    template <typename F>
    auto changing(F&& body) -> decltype(body());

    bool descend(const uint8_t* key, size_t keyLength, uint64_t rowId, bool forInsert, std::vector<Step>& path);
    std::vector<uint8_t> lastEntryOf(uint32_t page);
    std::vector<uint8_t> lastEntryOf(const IndexPageData& page);
    void propagateLast(const std::vector<Step>& path, size_t level);
    void fixOverflow(std::vector<Step>& path, bool append);
    bool split(std::vector<Step>& path, size_t level, bool append);
    void nestRoot(std::vector<Step>& path);
    size_t removePage(std::vector<Step>& path, size_t level);
    void normalizeNode(IndexPageData& node);
    template <typename Accept, typename Visit>
    void scan(const Bound& from, Accept&& accept, Visit&& visit);

    PageFile& m_file;
    const Format& m_format;
    Space& m_space;
    uint32_t m_tablePage;
    uint32_t m_root;
    uint32_t m_usagePointer;
    std::string m_name;
    uint64_t m_generation = 0;
    // A decoded page and the stamp of the page file's page it was decoded from or laid
    // out into. Between changes a cached page counts only while the page file's page
    // still carries that stamp; while a change runs, a dirty page is the truth.
    struct Cached {
        PagePtr page;
        uint64_t stamp = 0;
    };
    PageMap<Cached> m_pages;
    std::set<uint32_t> m_dirty;                     // changed since the last flush
    bool m_held = false;                            // the page file was told of m_dirty
    bool m_changing = false;                        // inside insert() or remove()
    std::optional<UsageMap> m_usage;
    bool m_deferred = false;
};

}  // namespace db::jet
