// The page file: an Access file opened and locked, read and written as whole pages by
// number through one bounded cache, with page encoding applied in one place, and every
// change made in units that the rollback journal beside the file makes atomic.
// Layer: lowest engine layer above the operating system. Knows nothing of rows or tables,
// and nothing of SQL: the layers above say "this page changes" and "this unit ends"; only
// this file decides when bytes reach the disk.
#pragma once

#include "db/jet/ByteView.h"
#include "db/jet/DecodedPages.h"
#include "db/jet/PageMap.h"

#include <chrono>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace db::jet {

enum class AccessMode {
    ReadWriteExclusive,  // the target: read and write, nobody else may open it
    ReadShared,          // the school directory: read only, others may read, nobody may write
};

struct Page {
    uint32_t number = 0;
    std::vector<uint8_t> bytes;
    // Which state of the page these bytes are: a new stamp whenever the page is handed
    // out for a change or put back by a rollback; a page read again from the file keeps
    // the stamp it had while the file held the same bytes. A layer that keeps something it
    // derived from a page (a decoded index page) keeps the stamp with it and derives
    // again when the page file's page carries another one, so no layer works from bytes
    // the file no longer holds.
    uint64_t stamp = 0;
    ByteView view() const { return ByteView(bytes.data(), bytes.size(), number); }
    ByteSpan span() { return ByteSpan(bytes.data(), bytes.size(), number); }
    uint8_t type() const { return bytes.empty() ? 0xFF : bytes[0]; }
};

// Hands memory that large passes freed (a group's pages once written, the check's
// structures) back to the operating system, so that it does not stay with the process.
void returnFreedMemory();

// Pages stay valid while referenced, even after the cache dropped them. A page read before
// a unit changed it keeps its old bytes; one read during the unit sees the changes.
using PageRef = std::shared_ptr<const Page>;
using PageEdit = std::shared_ptr<Page>;

// Turns a page's stored bytes into its plain bytes and back (RC4 for encoded files).
class PageCodec {
public:
    virtual ~PageCodec() = default;
    virtual void decode(uint32_t pageNumber, uint8_t* bytes, size_t length) const = 0;
    virtual void encode(uint32_t pageNumber, uint8_t* bytes, size_t length) const = 0;
};

// Jet's page encoding: RC4 keyed with the database key XOR the page number; page 0 plain.
class Rc4PageCodec : public PageCodec {
public:
    explicit Rc4PageCodec(uint32_t databaseKey) : m_key(databaseKey) {}
    void decode(uint32_t pageNumber, uint8_t* bytes, size_t length) const override;
    void encode(uint32_t pageNumber, uint8_t* bytes, size_t length) const override;

private:
    uint32_t m_key;
};

// A layer above that holds the newest bytes of some pages in a form of its own for a while
// (an index keeps the pages a statement changes decoded, and lays each out once instead of
// after every entry) and lays them into the page file when asked.
class DeferredWriter {
public:
    // Lays every page it holds into the page file (through edit()).
    virtual void writeDeferred() = 0;

protected:
    ~DeferredWriter() = default;
};

// How a committed unit reaches the disk. Normal (group commit): finished units are held
// back and written out together, at most 16,384 pages or a second after the first of
// them, and when the file is closed or flushed (what memory may not hold of them waits in
// the spill file, see edit()); each such group
// goes out as one change of the journal: its images flushed (fdatasync) before any page of
// the file is overwritten, the pages flushed before the journal is cleared. So after a crash
// of the program or of the operating system, even a power failure, the file is the state
// after some unit; what was held back at the moment is lost. EveryUnit: every unit is its
// own group, so even a power failure keeps every unit that ended.
enum class Durability { Normal, EveryUnit };

class PageFile {
public:
    static constexpr size_t kDefaultCachePages = 2048;

    // Opens and locks the file; throws JetError (German) when it is missing, unreadable or
    // locked by another program. A journal left by a crashed writer is rolled back first.
    PageFile(const std::string& path, AccessMode mode, size_t cachePages = kDefaultCachePages);
    // The same on a descriptor the caller opened (O_RDWR for ReadWriteExclusive, else
    // O_RDONLY is enough); the page file owns it from here on.
    PageFile(int fd, const std::string& path, AccessMode mode, size_t cachePages = kDefaultCachePages);
    // A file laid out in memory: one unit that is open from the start, whose pages
    // saveAs() writes to a new file in the end.
    static std::unique_ptr<PageFile> inMemory(uint32_t pageSize, std::unique_ptr<PageCodec> codec);
    // Writes every page of an in-memory file to `path`, which must not exist yet; throws
    // JetError (German) and leaves no file behind when that fails.
    void saveAs(const std::string& path);
    ~PageFile();
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    const std::string& path() const { return m_path; }
    std::string journalPath() const { return m_path + "-journal"; }
    // Access's lock file beside the database (`<name>.ldb`, `.laccdb` for .accdb). A writer
    // refuses to open while another program holds a byte-range lock on it or on the file,
    // and holds such locks on both itself while it is open (creating the lock file if there
    // is none, and removing it again).
    std::string lockFilePath() const;
    AccessMode mode() const { return m_mode; }
    uint64_t fileSize() const { return m_fileSize; }

    // The first bytes of the file, read before the page size is known.
    std::vector<uint8_t> readPrefix(size_t length) const;

    // Called once the header is decoded.
    void configure(uint32_t pageSize, std::unique_ptr<PageCodec> codec);
    uint32_t pageSize() const { return m_pageSize; }
    uint32_t pageCount() const { return m_pageCount; }
    bool hasPage(uint32_t number) const { return number < m_pageCount; }

    // The plain bytes of one page. A page past the end of the file is corruption of
    // whatever pointer led there; `field` names that pointer in the message.
    PageRef page(uint32_t number, const char* field = "Seitenverweis");
    // The stamp page(number) carries, without reading the page again where the file's
    // bytes of it are known by their stamp.
    uint64_t stampOf(uint32_t number);

    // --- Changes -------------------------------------------------------------------
    // Every change happens inside a unit: one statement, or several that the layers above
    // group. Pages changed in a unit stay in memory until it ends; at its end the original
    // images go to the journal, then the pages to the file, then the journal is
    // discarded. A process that dies at any moment leaves a journal from which the next
    // open restores the file as it was before the unit.
    bool writable() const { return m_mode == AccessMode::ReadWriteExclusive; }
    bool inUnit() const { return m_inUnit; }
    void beginUnit();
    // Makes the unit durable, or throws JetError and leaves the file as before the unit.
    void commitUnit();
    // Discards every change of the unit (also of an empty or already failed one).
    void rollbackUnit();
    // Outside a unit: empties the journal file, which after a commit still holds the
    // before-images of the last unit's pages behind its cleared header. For a unit that
    // removed data which must not stay on the disk (the scrub).
    void emptyJournal();

    // Nested marks inside a unit (SQLite's savepoints): rollbackTo(level) restores the
    // pages as they were when mark `level` was set and keeps that mark (level -1: as at
    // the unit's start, which stays open); release(level) drops it and the marks above,
    // keeping their changes. Setting a mark that exists
    // already does nothing.
    void savepoint(int level);
    // How many marks are set: a layer that wants a statement of its own atomic sets the
    // mark at this level and releases it (or rolls back to it) before it returns.
    int markCount() const { return static_cast<int>(m_marks.size()); }
    void release(int level);
    void rollbackTo(int level);

    // The page to change; it stays the unit's until the unit ends. Callers change bytes
    // right away and do not keep the reference across units. While the changed pages of
    // the unit and of the group waiting to be written are more than the cache's limit, the
    // group's pages and then the unit's that nobody holds a reference to go to a spill file
    // beside the database (no name, gone when closed) and come back when read or changed
    // again, so that a change of a whole table needs no more memory than a small one, and a
    // group can hold more pages than memory.
    PageEdit edit(uint32_t number, const char* field = "Seitenverweis");
    // A new page of zeros at the end of the file.
    PageEdit appendPage();
    // Page `number`'s newest bytes are with `writer`, which lays them in when anybody reads
    // or changes the page through the page file, before a mark is set or released, before
    // the unit ends and when writeDeferred() is called. A rollback forgets them: the writer
    // sees the generation change and drops what it held. Inside a unit only.
    void deferWrite(uint32_t number, DeferredWriter& writer);
    // The writer lays its pages in itself (or gave them up): nobody needs to ask it.
    void forgetDeferred(DeferredWriter& writer);
    // The page is given up; its bytes in the page file stand.
    void cancelDeferred(uint32_t number) { m_deferred.erase(number); }
    void writeDeferred();
    // Grows whenever a rollback discards changes, so that the layers above can drop what
    // they derived from pages.
    uint64_t generation() const { return m_generation; }
    // The one bound for what layers above keep decoded of this file's pages.
    DecodedPages& decodedPages() { return m_decodedPages; }
    // Grows with every page handed out for a change, appended or put back: while it stands
    // still, no page's bytes have changed.
    uint64_t changeCount() const { return m_changeCount; }

    // Throws JetError (German) when the name the file was opened by no longer leads to it:
    // renamed, replaced or deleted meanwhile. Every unit's start checks this.
    void verifyName() const;
    // Writes what the file holds back (see Durability) now; throws JetError like
    // commitUnit. Outside a unit.
    void flush();

    void setDurability(Durability d) { m_durability = d; }
    Durability durability() const { return m_durability; }

    // For tests: the n-th write (1-based) to the file or the journal from now on fails;
    // with `persistent` every later one fails too. 0 switches this off.
    void failWritesForTest(int n, bool persistent = false);

    size_t cachedPages() const { return m_cache.size(); }
    size_t cacheLimit() const { return m_cacheLimit; }
    size_t changedPages() const { return m_dirty.size(); }
    // The unit's changed pages that wait in the spill file instead of memory (see edit()).
    size_t spilledPages() const { return m_spilled.size(); }
    // The same of the group's pages waiting to be written.
    size_t groupPagesAside() const { return m_groupOut; }
    // Finished units not yet written (see Durability).
    size_t groupPages() const { return m_pending.size(); }
    // Images kept at savepoints that wait in the spill file instead of memory.
    size_t imagesAside() const { return m_imagesAside; }
    // Pages a unit keeps in memory: its changed pages and the images at its savepoints.
    // The cache limit bounds it, beyond what the spill file takes.
    size_t heldPages() const
    {
        return m_pending.size() - m_groupOut + m_dirty.size() - m_spilledInUnit + m_imagesHeld;
    }
    uint64_t pageReads() const { return m_pageReads; }
    uint64_t pageWrites() const { return m_pageWrites; }

private:
    struct Entry {
        PageRef page;
        std::list<uint32_t>::iterator lru;
    };
    // A page's bytes at a mark: in memory, put aside into the spill file, or none for a
    // page the unit had not changed then.
    struct Image {
        static constexpr uint32_t kNoSlot = 0xFFFFFFFF;
        std::vector<uint8_t> bytes;
        uint32_t slot = kNoSlot;
        bool untouched() const { return bytes.empty() && slot == kNoSlot; }
    };
    struct Mark {
        int level = 0;
        uint32_t pageCount = 0;
        PageMap<Image> before;
    };

    PageFile(const std::string& path, AccessMode mode, size_t cachePages, int);
    void openFrom(int fd);
    void recoverJournal();
    void takeAccessLocks();
    void releaseAccessLocks();
    void requireWritable() const;
    void writeAt(int fd, const uint8_t* data, size_t length, uint64_t offset);
    std::vector<uint8_t> storedBytes(uint32_t number, const std::vector<uint8_t>& plain) const;
    using ChangedPages = PageMap<PageEdit>;
    void writeJournal(const ChangedPages& changed, const std::vector<uint32_t>& order,
                      const PageMap<bool>& originals, uint64_t sizeBefore, uint64_t sizeAfter);
    // Writes the group of finished units out (journal, pages, journal cleared); with a unit
    // open, the group as it was before that unit, whose changes stay in memory.
    void writeGroup();
    void invalidateJournal();
    void restoreOriginals();
    void endUnit();
    void trimCache(size_t adding);
    void dropCached(uint32_t number);
    PageEdit sparePage();
    void giveBack(PageEdit&& page);
    // Changed pages beyond what memory may hold go to the spill file (see spillChanged in
    // PageFile.cpp); their entries in m_dirty or m_pending are empty then.
    struct Spilled {
        uint32_t slot = 0;  // its place in the spill file, in pages
        uint64_t stamp = 0;
    };
    void spillChanged();
    void openSpillFile();
    uint32_t writeSlots(const std::vector<uint8_t>& stored, size_t pages);
    void putImagesAside(size_t target);
    void putGroupAside(size_t target);
    std::vector<uint8_t> imageBytes(uint32_t number, const Image& image);
    void countImages();
    void askDeferred(uint32_t number);
    void discardDerived();
    bool readSlot(uint32_t number, const Spilled& spilled, Page& page) const;
    PageEdit loadSpilled(uint32_t number, const Spilled& spilled);
    // A page of the group, from memory or the spill file; while the group is written out.
    PageRef groupPage(uint32_t number) const;
    void forgetSpilled();
    void forgetGroupAside();
    void releaseSpillFile();

    std::string m_path;
    AccessMode m_mode;
    int m_fd = -1;
    int m_journalFd = -1;
    int m_lockFd = -1;          // the lock file, locked while the file is open for writing
    bool m_lockCreated = false;
    bool m_memory = false;     // made by inMemory(): no file until saveAs()
    bool m_broken = false;     // a failed unit could not be undone in place; the journal will
    uint64_t m_fileSize = 0;
    uint64_t m_inode = 0;   // the file's identity, written into every journal
    uint64_t m_fsid = 0;
    uint32_t m_pageSize = 0;
    uint32_t m_pageCount = 0;
    std::unique_ptr<PageCodec> m_codec;
    size_t m_cacheLimit;
    PageMap<Entry> m_cache;
    std::list<uint32_t> m_lru;  // most recently used first
    // Pages the cache dropped that nobody held, for the next reads (their stamps change).
    static constexpr size_t kSparePages = 32;
    std::vector<PageEdit> m_sparePages;
    // By page number: the stamp of the bytes the file holds for the page, 0 where none
    // was handed out since they were written. A page the cache dropped and read again
    // keeps what was derived from it.
    std::vector<uint64_t> m_cleanStamps;
    uint64_t m_pageReads = 0;
    uint64_t m_pageWrites = 0;

    bool m_inUnit = false;
    uint32_t m_unitPageCount = 0;
    uint64_t m_unitFileSize = 0;
    ChangedPages m_dirty;  // changed by the open unit
    // Units that ended but are not written yet (one group), and the file as it was before them.
    ChangedPages m_pending;
    PageMap<bool> m_groupOriginals;  // pages the group changes that the file had before it
    uint32_t m_journalImages = 0;          // images in the journal being written
    uint32_t m_groupPageCount = 0;
    uint64_t m_groupFileSize = 0;
    int m_groupUnits = 0;
    std::chrono::steady_clock::time_point m_groupSince;
    std::chrono::steady_clock::time_point m_lastTrim;  // when freed memory last went back
    uint64_t m_flushes = 0;
    bool m_inCommit = false;
    bool m_lost = false;  // a failed write took finished units with it: no more changes
    std::vector<uint8_t> m_journalBuffer;
    std::vector<Mark> m_marks;
    PageMap<Spilled> m_spilled;  // the unit's pages whose changed bytes lie in the spill file
    PageMap<uint32_t> m_spillSlots;  // page -> the unit's slot, while the spill file holds it
    size_t m_spilledInUnit = 0;  // empty entries of m_dirty
    // The group's pages whose bytes lie in the spill file: those not in memory (empty
    // entries of m_pending, counted by m_groupOut) and those read back, which go again
    // without a write, since a finished unit's page does not change any more.
    PageMap<Spilled> m_groupAside;
    size_t m_groupOut = 0;
    uint32_t m_spillSlotCount = 0;  // slots handed out since the spill file was last emptied
    size_t m_imagesHeld = 0;   // images at marks held in memory
    size_t m_imagesAside = 0;  // images at marks in the spill file
    int m_spillFd = -1;
    DecodedPages m_decodedPages;
    PageMap<DeferredWriter*> m_deferred;  // pages whose newest bytes a writer holds
    uint64_t m_generation = 0;
    uint64_t m_nextStamp = 1;
    uint64_t m_changeCount = 0;
    Durability m_durability = Durability::Normal;
    int m_failAt = 0;
    bool m_failPersistent = false;
    int m_writesSeen = 0;
};

// The stamps of the pages something was derived from (a decoded map, say): whether the
// page file still holds those states of the pages, or the derived state must be built
// again.
class PageStamps {
public:
    void remember(PageFile& file, const std::vector<uint32_t>& pages);
    bool current(PageFile& file) const;

private:
    std::vector<std::pair<uint32_t, uint64_t>> m_pages;
    mutable uint64_t m_changeCount = 0;  // the file's change count when last found current
};

}  // namespace db::jet
