// Rows on a table's data pages: reading them, placing, rewriting, moving and removing
// them, their long values, the usage maps and the row counters.
#include "db/jet/RowStore.h"

#include "db/jet/DatabaseHeader.h"
#include "db/jet/Space.h"

#include <algorithm>
#include <array>
#include <map>

namespace db::jet {

namespace {

// A page stays in the table's map of pages with room while at least this many bytes are
// free on it; below that no row of an Edvara table fits anyway.
constexpr uint32_t kMinRoom = 64;

// The bytes a home slot keeps for a row moved to `to`.
std::vector<uint8_t> pointerTo(const RowPointer& to)
{
    std::vector<uint8_t> pointer(kRowPointerSize);
    ByteSpan(pointer).put32(0, to.toU32(), "Verweis auf verschobene Zeile");
    return pointer;
}

// The bytes a new row may use on each page of the table's map of pages with room, in
// blocks of neighbouring page numbers, each with the most any of its pages has: the first
// page a row fits on is found by a walk over the blocks, however many pages the table has.
class RoomByPage {
public:
    uint32_t at(uint32_t page) const
    {
        const auto b = m_blocks.find(page / kBlock);
        return b == m_blocks.end() ? 0 : b->second.room[page % kBlock];
    }

    void set(uint32_t page, uint32_t room)
    {
        auto b = m_blocks.find(page / kBlock);
        if (b == m_blocks.end()) {
            if (room == 0)
                return;
            b = m_blocks.emplace(page / kBlock, Block{}).first;
        }
        Block& block = b->second;
        uint16_t& slot = block.room[page % kBlock];
        const uint16_t old = slot;
        slot = static_cast<uint16_t>(std::min<uint32_t>(room, 0xFFFF));
        if (slot >= block.most)
            block.most = slot;
        else if (old == block.most)
            block.most = *std::max_element(block.room.begin(), block.room.end());
    }

    // The lowest page with at least `need` bytes that is neither `avoidA` nor `avoidB`;
    // 0 if there is none.
    uint32_t first(uint32_t need, uint32_t avoidA, uint32_t avoidB) const
    {
        for (const auto& [index, block] : m_blocks) {
            if (block.most < need)
                continue;
            for (uint32_t i = 0; i < kBlock; ++i) {
                const uint32_t page = index * kBlock + i;
                if (block.room[i] >= need && page != avoidA && page != avoidB)
                    return page;
            }
        }
        return 0;
    }

private:
    static constexpr uint32_t kBlock = 256;
    struct Block {
        uint16_t most = 0;
        std::array<uint16_t, kBlock> room{};
    };
    std::map<uint32_t, Block> m_blocks;  // by page number / kBlock
};

}  // namespace

// The pages a table's rows live on and those with room, loaded when a write first needs
// them and dropped whenever a rollback may have changed the maps.
struct RowStore::WriteState {
    UsageMap owned;
    UsageMap free;
    RoomByPage room;                    // pages of the free map -> bytes a new row may use
    uint32_t hint = 0;                  // the page the last row went to
    std::map<uint16_t, std::unique_ptr<ColumnSpace>> longValues;

    WriteState(PageFile& file, const Format& format, uint32_t ownedMap, uint32_t freeMap)
        : owned(file, format, ownedMap), free(file, format, freeMap)
    {
    }
};

// Where the long values of one memo or OLE column go: pages of the column's own maps, the
// page this column used last, else a new long-value page recorded in the column's maps.
class RowStore::ColumnSpace : public LongValueSpace {
public:
    ColumnSpace(RowStore& store, const ColumnDef& column) : m_store(store)
    {
        const LongValueMaps* maps = store.m_table.def.longValueMapsOf(column.number);
        if (maps && maps->ownedPages)
            m_owned.emplace(store.m_table.file, store.m_table.format, maps->ownedPages);
        if (maps && maps->freePages)
            m_free.emplace(store.m_table.file, store.m_table.format, maps->freePages);
    }

    PageEdit pageFor(size_t length) override
    {
        PageFile& file = m_store.m_table.file;
        const Format& format = m_store.m_table.format;
        auto fits = [&](uint32_t page) {
            const PageRef p = file.page(page, "Langwert-Freiliste");
            const DataPage d(p, format);
            return d.isLongValuePage() && d.rowCount() < kMaxRowsWritten
                   && p->view().u16(kDataFreeSpace, "freier Platz") >= length + 2;
        };
        if (m_owned)
            m_owned->refresh();
        if (m_free)
            m_free->refresh();
        if (m_hint && fits(m_hint))
            return file.edit(m_hint);
        if (m_free)
            for (uint32_t page : m_free->pages())
                if (fits(page)) {
                    m_hint = page;
                    return file.edit(page);
                }
        const PageEdit page = m_store.m_table.space.allocate();
        DataPageWriter::initialize(*page, format, kLongValueOwner);
        const UsageMap::Allocate allocate = [this] { return m_store.m_table.space.allocate()->number; };
        if (m_owned)
            m_owned->add(page->number, allocate);
        if (m_free)
            m_free->add(page->number, allocate);
        m_hint = page->number;
        return page;
    }

private:
    RowStore& m_store;
    std::optional<UsageMap> m_owned;
    std::optional<UsageMap> m_free;
    uint32_t m_hint = 0;
};

RowStore::RowStore(const TableBasis& table)
    : m_table(table), m_codec(std::make_unique<RowCodec>(m_table.def, m_table.format))
{
}

RowStore::~RowStore() = default;

void RowStore::reset()
{
    m_codec = std::make_unique<RowCodec>(m_table.def, m_table.format);
    m_pages.reset();
    m_write.reset();
}

// --- Reading ---------------------------------------------------------------------------

const std::vector<uint32_t>& RowStore::pages()
{
    if (m_pages && !m_pagesStamps.current(m_table.file))
        m_pages.reset();  // the map changed since (also by this table's own writes)
    if (!m_pages) {
        const UsageMap map(m_table.file, m_table.format, m_table.def.ownedPagesMap);
        m_pages = map.pages();
        m_pagesStamps = map.stamps();
    }
    return *m_pages;
}

bool RowStore::resolve(const DataPage& page, unsigned slot, TableRow& row)
{
    const RowSlot s = page.slot(slot);
    if (s.deleted)
        return false;
    row.rowId = makeRowId(page.number(), slot);
    if (!s.overflow) {
        row.page = page.page();
        row.bytes = page.rowBytes(slot);
    } else {
        const RowPointer to = RowPointer::fromU32(page.rowBytes(slot).u32(0, "Verweis auf verschobene Zeile"));
        const DataPage target(m_table.file.page(to.page, "Verweis auf verschobene Zeile"), m_table.format);
        if (target.owner() != m_table.def.page)
            JET_CORRUPT(to.page, "Besitzer", "verschobene Zeile liegt auf einer Seite einer anderen Tabelle");
        if (target.slot(to.row).overflow)
            JET_CORRUPT(to.page, "Zeilentabelle", "verschobene Zeile verweist weiter");
        row.page = target.page();
        row.bytes = target.rowBytes(to.row);
    }
    m_codec->crack(row.bytes, row.fields);
    return true;
}

bool RowStore::next(RowScan& st, TableRow& row)
{
    const std::vector<uint32_t>& owned = pages();
    for (;;) {
        if (!st.started) {
            // The first page after the one read last: pages that a write added or gave
            // back meanwhile neither repeat nor skip a row.
            const auto it = std::upper_bound(owned.begin(), owned.end(), st.page);
            if (it == owned.end())
                return false;
            st.page = *it;
            st.slot = 0;
            st.started = true;
        }
        const PageRef p = m_table.file.page(st.page, "Belegungsliste");
        if (p->type() != kPageData || p->view().u32(kDataOwner, "Besitzer") != m_table.def.page) {
            // A write since the scan began may have given the page back: then it left the map.
            if (!std::binary_search(owned.begin(), owned.end(), st.page)) {
                st.started = false;
                continue;
            }
            JET_CORRUPT(st.page, "Belegungsliste",
                        "die Tabelle \"" + m_table.name + "\" nennt die Seite als ihre Datenseite, sie ist aber "
                            + (p->type() == kPageData ? std::string("eine Datenseite einer anderen Tabelle")
                                                      : "keine Datenseite (Typ " + std::to_string(p->type()) + ")"));
        }
        const DataPage page(p, m_table.format);
        while (st.slot < page.rowCount()) {
            const unsigned slot = st.slot++;
            if (resolve(page, slot, row))
                return true;
        }
        st.started = false;
    }
}

bool RowStore::fetch(uint64_t rowId, TableRow& row)
{
    const uint32_t pageNo = rowIdPage(rowId);
    if (rowId >> 32 || !m_table.file.hasPage(pageNo) || pageNo == 0)
        return false;
    const PageRef p = m_table.file.page(pageNo);
    if (p->type() != kPageData || p->view().u32(kDataOwner, "Besitzer") != m_table.def.page)
        return false;
    const DataPage page(p, m_table.format);
    if (rowIdSlot(rowId) >= page.rowCount())
        return false;
    // A target of a moved row is flagged deleted, so it is never met under its own id.
    return resolve(page, rowIdSlot(rowId), row);
}

ValueContext RowStore::valueContext()
{
    return ValueContext{m_table.format, m_table.header.codePage,
                        [this](ByteView field) { return readLongValue(m_table.file, m_table.format, field); }, m_table.name};
}

Value RowStore::value(const TableRow& row, size_t index)
{
    const ColumnDef& c = m_table.def.columns.at(index);
    const FieldSpan& f = row.fields.at(index);
    const ByteView data = f.present && (c.type != ColumnType::Boolean || c.isCalculated())
                              ? row.bytes.sub(f.offset, f.length, "Spaltendaten")
                              : ByteView(nullptr, 0, row.bytes.page());
    return decodeValue(c, f.present, data, valueContext());
}

// --- Writing ---------------------------------------------------------------------------

RowStore::WriteState& RowStore::writer()
{
    if (m_write) {
        // Maps another writer changed since (a neighbour row on the same page) are read again.
        m_write->owned.refresh();
        m_write->free.refresh();
    }
    if (!m_write) {
        auto w = std::make_unique<WriteState>(m_table.file, m_table.format, m_table.def.ownedPagesMap, m_table.def.freePagesMap);
        for (uint32_t page : w->free.pages()) {
            if (!w->owned.contains(page))
                JET_CORRUPT(page, "Freiliste",
                            "die Tabelle \"" + m_table.name + "\" führt die Seite als frei, besitzt sie aber nicht");
            const PageRef p = m_table.file.page(page, "Freiliste");
            if (p->type() != kPageData || p->view().u32(kDataOwner, "Besitzer") != m_table.def.page)
                JET_CORRUPT(page, "Freiliste", "keine Datenseite der Tabelle \"" + m_table.name + "\"");
            const DataPage d(p, m_table.format);
            w->room.set(page, d.rowCount() >= kMaxRowsWritten ? 0 : p->view().u16(kDataFreeSpace, "freier Platz"));
        }
        m_write = std::move(w);
    }
    return *m_write;
}

std::string RowStore::describe(const ColumnDef& c) const
{
    return "Das Feld \"" + c.name + "\" der Tabelle \"" + m_table.name + "\"";
}

void RowStore::noteSpace(DataPageWriter& page)
{
    WriteState& w = writer();
    const uint32_t usable = page.rowCount() >= kMaxRowsWritten ? 0 : page.freeSpace();
    const UsageMap::Allocate allocate = [this] { return m_table.space.allocate()->number; };
    if (usable >= kMinRoom) {
        w.free.add(page.number(), allocate);
        w.room.set(page.number(), usable);
    } else {
        w.free.remove(page.number());
        w.room.set(page.number(), 0);
    }
}

void RowStore::pageEmptied(uint32_t page)
{
    WriteState& w = writer();
    w.owned.remove(page);
    w.free.remove(page);
    w.room.set(page, 0);
    if (w.hint == page)
        w.hint = 0;
    if (m_pages)
        m_pages->erase(std::remove(m_pages->begin(), m_pages->end(), page), m_pages->end());
    m_table.space.release(page);
}

RowPointer RowStore::place(const std::vector<uint8_t>& row, uint16_t flags, uint32_t avoidA, uint32_t avoidB)
{
    WriteState& w = writer();
    const ByteView bytes(row.data(), row.size());
    const uint32_t need = static_cast<uint32_t>(row.size()) + 2;
    uint32_t target = 0;
    if (w.hint && w.hint != avoidA && w.hint != avoidB && w.room.at(w.hint) >= need)
        target = w.hint;
    else if (!m_appendOnly)
        target = w.room.first(need, avoidA, avoidB);
    if (target) {
        DataPageWriter page(m_table.file.edit(target), m_table.format);
        const int slot = page.addRow(bytes, flags);
        if (slot < 0)
            JET_CORRUPT(target, "freier Platz", "die Freiliste verspricht mehr Platz, als die Seite hat");
        noteSpace(page);
        w.hint = target;
        return {target, static_cast<uint8_t>(slot)};
    }
    const PageEdit fresh = m_table.space.allocate();
    DataPageWriter::initialize(*fresh, m_table.format, m_table.def.page);
    w.owned.add(fresh->number, [this] { return m_table.space.allocate()->number; });
    if (m_pages)
        m_pages->insert(std::upper_bound(m_pages->begin(), m_pages->end(), fresh->number), fresh->number);
    DataPageWriter page(fresh, m_table.format);
    const int slot = page.addRow(bytes, flags);
    if (slot < 0)
        throw JetError("Tabelle \"" + m_table.name + "\": die Zeile ist mit " + std::to_string(row.size())
                       + " Bytes zu lang für eine Seite.");
    noteSpace(page);
    w.hint = fresh->number;
    return {fresh->number, static_cast<uint8_t>(slot)};
}

void RowStore::saveCounters() { writeTableDefCounters(m_table.file, m_table.format, m_table.def); }

void RowStore::rowAdded(uint32_t lastAutoNumber)
{
    ++m_table.def.rowCount;
    m_table.def.lastAutoNumber = lastAutoNumber;
    saveCounters();
}

void RowStore::rowRemoved()
{
    if (m_table.def.rowCount > 0)
        --m_table.def.rowCount;
    saveCounters();
}

std::vector<uint8_t> RowStore::finishRow(std::vector<EncodedValue>& values, const std::vector<bool>& writeLong)
{
    // Long values stay in the row when they are short, unless the row would not fit a
    // page then; only when the row is known to fit are pages spent on them.
    std::vector<bool> inlineOk(values.size(), true);
    const size_t fixedPart = m_codec->baseSize();
    auto sizeNow = [&] {
        size_t size = fixedPart;
        for (size_t i = 0; i < values.size(); ++i) {
            const ColumnDef& c = m_table.def.columns[i];
            if (!values[i].present || c.isFixed() || c.type == ColumnType::Boolean)
                continue;
            const size_t data = values[i].bytes.size();
            size += !writeLong[i] ? data
                                  : kLongValueHeaderSize + (inlineOk[i] && data <= kLongValueInlineLimit ? data : 0);
        }
        return size;
    };
    size_t size = sizeNow();
    while (size > m_table.format.maxRowSize()) {
        size_t widest = values.size();
        for (size_t i = 0; i < values.size(); ++i)
            if (writeLong[i] && values[i].present && inlineOk[i] && values[i].bytes.size() <= kLongValueInlineLimit
                && (widest == values.size() || values[i].bytes.size() > values[widest].bytes.size()))
                widest = i;
        if (widest == values.size())
            throw JetError("Tabelle \"" + m_table.name + "\": die Zeile ist mit " + std::to_string(size)
                           + " Bytes zu lang für eine Seite (höchstens " + std::to_string(m_table.format.maxRowSize())
                           + " Bytes).");
        inlineOk[widest] = false;
        size = sizeNow();
    }
    for (size_t i = 0; i < values.size(); ++i) {
        if (!writeLong[i] || !values[i].present)
            continue;
        const ColumnDef& c = m_table.def.columns[i];
        if (!m_table.def.longValueMapsReadable)
            throw JetError(describe(c) + " kann nicht geschrieben werden: Die Liste der Seiten für lange Werte in der "
                           "Tabellendefinition ist beschädigt.");
        auto& space = writer().longValues[c.number];
        if (!space)
            space = std::make_unique<ColumnSpace>(*this, c);
        const std::string data(values[i].bytes.begin(), values[i].bytes.end());
        values[i].bytes = writeLongValue(m_table.file, m_table.format, *space, data, inlineOk[i]);
    }
    return m_codec->encode(values);
}

RowStore::Location RowStore::locate(uint64_t rowId, const TableRow& row)
{
    Location at;
    at.homePage = rowIdPage(rowId);
    at.homeSlot = rowIdSlot(rowId);
    at.moved = row.page->number != at.homePage;
    at.target = at.moved ? RowPointer{row.page->number, 0} : RowPointer{};
    const DataPage homeView(m_table.file.page(at.homePage), m_table.format);
    if (homeView.slot(at.homeSlot).overflow) {
        const RowPointer to =
            RowPointer::fromU32(homeView.rowBytes(at.homeSlot).u32(0, "Verweis auf verschobene Zeile"));
        // A pointer to its own page is nothing Access writes; better not to guess.
        if (to.page == at.homePage)
            throw JetError("Die Zeile " + std::to_string(rowId) + " der Tabelle \"" + m_table.name
                           + "\" verweist auf ihre eigene Seite; sie wird nicht geändert.");
        at.targetSlot = to.row;
    }
    return at;
}

void RowStore::removeSlot(uint32_t page, unsigned slot)
{
    DataPageWriter t(m_table.file.edit(page), m_table.format);
    t.removeRow(slot);
    if (!t.hasLiveRows())
        pageEmptied(page);
    else
        noteSpace(t);
}

void RowStore::rewrite(const Location& at, const std::vector<uint8_t>& row)
{
    if (!at.moved)
        rewriteAtHome(at, row);
    else
        rewriteMoved(at, row);
}

void RowStore::rewriteAtHome(const Location& at, const std::vector<uint8_t>& row)
{
    DataPageWriter home(m_table.file.edit(at.homePage), m_table.format);
    if (home.replaceRow(at.homeSlot, ByteView(row.data(), row.size()), 0)) {
        noteSpace(home);
        return;
    }
    // The row no longer fits at home: its bytes go elsewhere, the home slot keeps the
    // pointer, so the row id stays.
    const std::vector<uint8_t> pointer = pointerTo(place(row, kRowFlagDeleted, at.homePage, 0));
    DataPageWriter again(m_table.file.edit(at.homePage), m_table.format);
    if (!again.replaceRow(at.homeSlot, ByteView(pointer.data(), pointer.size()), kRowFlagOverflow))
        throw JetError("Tabelle \"" + m_table.name + "\": auf Seite " + std::to_string(at.homePage)
                       + " ist kein Platz mehr für den Verweis auf die verschobene Zeile.");
    noteSpace(again);
}

void RowStore::rewriteMoved(const Location& at, const std::vector<uint8_t>& row)
{
    const ByteView bytes(row.data(), row.size());
    DataPageWriter home(m_table.file.edit(at.homePage), m_table.format);
    if (home.replaceRow(at.homeSlot, bytes, 0)) {
        noteSpace(home);  // the row moves back home
        removeSlot(at.target.page, at.targetSlot);
        return;
    }
    DataPageWriter t(m_table.file.edit(at.target.page), m_table.format);
    if (t.replaceRow(at.targetSlot, bytes, kRowFlagDeleted)) {
        noteSpace(t);
        return;
    }
    // Neither page has room: the bytes move on to a third page.
    const std::vector<uint8_t> pointer = pointerTo(place(row, kRowFlagDeleted, at.homePage, at.target.page));
    DataPageWriter again(m_table.file.edit(at.homePage), m_table.format);
    again.replaceRow(at.homeSlot, ByteView(pointer.data(), pointer.size()), kRowFlagOverflow);
    removeSlot(at.target.page, at.targetSlot);
}

void RowStore::erase(uint64_t rowId, uint32_t bytesPage)
{
    const uint32_t homePage = rowIdPage(rowId);
    const unsigned homeSlot = rowIdSlot(rowId);
    DataPageWriter home(m_table.file.edit(homePage), m_table.format);
    if (bytesPage != homePage) {
        const RowPointer to = RowPointer::fromU32(home.rowBytes(homeSlot).u32(0, "Verweis auf verschobene Zeile"));
        removeSlot(to.page, to.row);
    }
    home.removeRow(homeSlot);
    if (!home.hasLiveRows())
        pageEmptied(homePage);
    else
        noteSpace(home);
}

std::vector<std::vector<uint8_t>> RowStore::longValueFields(const TableRow& row) const
{
    std::vector<std::vector<uint8_t>> fields;
    for (size_t i = 0; i < m_table.def.columns.size(); ++i) {
        const FieldSpan& f = row.fields[i];
        if (m_table.def.columns[i].isLongValue() && f.present) {
            const ByteView b = row.bytes.sub(f.offset, f.length, "Spaltendaten");
            fields.emplace_back(b.data(), b.data() + b.size());
        }
    }
    return fields;
}

void RowStore::freeLongValues(const std::vector<std::vector<uint8_t>>& fields)
{
    for (const std::vector<uint8_t>& field : fields)
        freeLongValue(m_table.file, m_table.format, ByteView(field.data(), field.size()));
}

}  // namespace db::jet
