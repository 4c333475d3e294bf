// Opening, locking, page reads, units of change and the rollback journal.
//
// Journal (`<file>-journal`), little-endian:
//   0  8  "EDVJETJ1"
//   8  4  page size
//  12  4  number of page images
//  16  8  size of the file before the unit
//  24  4  nonce of this unit
//  28  4  checksum of bytes 0..27
//  32  .. per image: page number (4), the page as stored in the file (page size),
//         checksum of nonce, number and bytes (4)
// A journal is hot when its header and every image check out: the unit may have reached
// the file partly, and the images put it back. Anything else is the torn write of a unit
// that never touched the file, and is removed. At the end of a unit the header is zeroed.
#include "db/jet/PageFile.h"

#include "db/jet/Rc4.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace db::jet {

namespace {

constexpr char kJournalMagic[8] = {'E', 'D', 'V', 'J', 'E', 'T', 'J', '1'};
constexpr uint32_t kPagesPerWrite = 256;
constexpr size_t kJournalHeader = 32;

void applyRc4(uint32_t key, uint32_t pageNumber, uint8_t* bytes, size_t length)
{
    const uint32_t k = key ^ pageNumber;
    const uint8_t keyBytes[4] = {static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8),
                                 static_cast<uint8_t>(k >> 16), static_cast<uint8_t>(k >> 24)};
    Rc4 rc4(keyBytes, 4);
    rc4.apply(bytes, length);
}

bool readFully(int fd, uint8_t* buffer, size_t length, off_t offset)
{
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, buffer + done, length - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Returns 0 or the errno of the failure.
int writeFully(int fd, const uint8_t* data, size_t length, uint64_t offset)
{
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pwrite(fd, data + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        done += static_cast<size_t>(n);
    }
    return 0;
}

// Tells a complete image from a torn one; not a defence against deliberate change. Eight
// bytes a step, so that the journal costs little next to the writes.
uint32_t checksum(uint32_t seed, const uint8_t* data, size_t length)
{
    uint64_t h = 0x9E3779B97F4A7C15ull ^ seed;
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t w;
        std::memcpy(&w, data + i, 8);
        h = (h ^ w) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 29;
    }
    for (; i < length; ++i)
        h = (h ^ data[i]) * 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 32;
    return static_cast<uint32_t>(h);
}

uint32_t get32(const uint8_t* p) { return ByteView(p, 4).u32(0, "Journal"); }
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) { ByteSpan(b).put32(at, v, "Journal"); }

// German texts for the failures a user can meet when writing; the C library's own
// (English) for the rest.
std::string errnoText(int e)
{
    switch (e) {
    case EACCES:
    case EPERM: return "Zugriff verweigert";
    case EROFS: return "der Datenträger ist schreibgeschützt";
    case ENOSPC: return "der Datenträger ist voll";
    case EDQUOT: return "das Speicherkontingent ist erschöpft";
    case EIO: return "Ein-/Ausgabefehler";
    case ENOENT: return "nicht gefunden";
    default: return std::strerror(e);
    }
}

// Thrown inside the page file when a write fails; commitUnit turns it into a JetError.
struct WriteFailure {
    int error;
};

}  // namespace

void Rc4PageCodec::decode(uint32_t pageNumber, uint8_t* bytes, size_t length) const
{
    if (pageNumber != 0)
        applyRc4(m_key, pageNumber, bytes, length);
}

void Rc4PageCodec::encode(uint32_t pageNumber, uint8_t* bytes, size_t length) const
{
    if (pageNumber != 0)
        applyRc4(m_key, pageNumber, bytes, length);
}

PageFile::PageFile(const std::string& path, AccessMode mode, size_t cachePages, int)
    : m_path(path), m_mode(mode), m_cacheLimit(cachePages < 8 ? 8 : cachePages)
{
}

PageFile::PageFile(const std::string& path, AccessMode mode, size_t cachePages)
    : PageFile(path, mode, cachePages, 0)
{
    const bool write = mode == AccessMode::ReadWriteExclusive;
    const int fd = ::open(path.c_str(), (write ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        if (e == ENOENT)
            throw JetError("Die Datei " + path + " wurde nicht gefunden.");
        if (e == EACCES || e == EPERM || e == EROFS)
            throw JetError("Die Datei " + path + " kann nicht " + (write ? "zum Schreiben " : "")
                           + "geöffnet werden: Zugriff verweigert.");
        throw JetError("Die Datei " + path + " kann nicht geöffnet werden: " + errnoText(e) + ".");
    }
    openFrom(fd);
}

PageFile::PageFile(int fd, const std::string& path, AccessMode mode, size_t cachePages)
    : PageFile(path, mode, cachePages, 0)
{
    openFrom(fd);
}

void PageFile::openFrom(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw JetError("Die Datei " + m_path + " ist keine gewöhnliche Datei.");
    }
    const bool write = m_mode == AccessMode::ReadWriteExclusive;
    auto lock = [&](int which, int op) {
        if (::flock(which, op | LOCK_NB) == 0)
            return;
        const int e = errno;
        if (e == EWOULDBLOCK)
            throw JetError("Die Datei " + m_path + " ist gesperrt: Sie wird bereits von einem anderen Programm "
                           "verwendet.");
        throw JetError("Die Datei " + m_path + " kann nicht gesperrt werden: " + errnoText(e) + ".");
    };
    try {
        if (write) {
            lock(fd, LOCK_EX);
            m_fd = fd;
            recoverJournal();
        } else {
            // The lock first: while a writer holds the file, its journal is its own business.
            lock(fd, LOCK_SH);
            m_fd = fd;
            recoverJournal();
        }
    } catch (...) {
        ::close(fd);
        m_fd = -1;
        throw;
    }
    if (::fstat(m_fd, &st) != 0) {
        const int e = errno;
        ::close(m_fd);
        m_fd = -1;
        throw JetError("Die Datei " + m_path + " kann nicht gelesen werden: " + errnoText(e) + ".");
    }
    m_fileSize = static_cast<uint64_t>(st.st_size);
}

std::unique_ptr<PageFile> PageFile::inMemory(uint32_t pageSize, std::unique_ptr<PageCodec> codec)
{
    std::unique_ptr<PageFile> f(new PageFile("", AccessMode::ReadWriteExclusive, kDefaultCachePages, 0));
    f->m_memory = true;
    f->configure(pageSize, std::move(codec));
    f->beginUnit();
    return f;
}

void PageFile::saveAs(const std::string& path)
{
    if (!m_memory)
        throw JetError("Interner Fehler: Nur eine neu angelegte Datei kann gespeichert werden.");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        throw JetError("Die Datei " + path + " kann nicht angelegt werden: " + errnoText(errno));
    int failure = 0;
    std::vector<uint8_t> stored(m_pageSize);
    for (uint32_t n = 0; n < m_pageCount && failure == 0; ++n) {
        const PageRef p = page(n);
        std::memcpy(stored.data(), p->bytes.data(), m_pageSize);
        if (m_codec)
            m_codec->encode(n, stored.data(), m_pageSize);
        try {
            writeAt(fd, stored.data(), m_pageSize, static_cast<uint64_t>(n) * m_pageSize);
        } catch (const WriteFailure& w) {
            failure = w.error;
        }
    }
    if (failure == 0 && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(path.c_str());
        throw JetError("Die Datei " + path + " kann nicht geschrieben werden: " + errnoText(failure));
    }
}

PageFile::~PageFile()
{
    if (m_inUnit && !m_broken) {
        try {
            rollbackUnit();
        } catch (...) {
        }
    }
    if (m_journalFd >= 0) {
        ::close(m_journalFd);
        // A journal that could not be played back in place must survive for the next open.
        if (!m_broken)
            ::unlink(journalPath().c_str());
    }
    if (m_fd >= 0)
        ::close(m_fd);  // releases the lock
}

std::vector<uint8_t> PageFile::readPrefix(size_t length) const
{
    if (length > m_fileSize)
        length = static_cast<size_t>(m_fileSize);
    std::vector<uint8_t> bytes(length);
    if (!readFully(m_fd, bytes.data(), length, 0))
        throw JetError("Die Datei " + m_path + " kann nicht gelesen werden.");
    return bytes;
}

void PageFile::configure(uint32_t pageSize, std::unique_ptr<PageCodec> codec)
{
    m_pageSize = pageSize;
    const uint64_t count = m_fileSize / pageSize;
    // Page numbers are 24 bits wide wherever the format stores them.
    m_pageCount = static_cast<uint32_t>(count > 0xFFFFFF ? 0xFFFFFF : count);
    m_codec = std::move(codec);
    m_cache.clear();
    m_lru.clear();
}

PageRef PageFile::page(uint32_t number, const char* field)
{
    if (m_broken)
        requireWritable();  // throws: what the disk holds now is not to be trusted
    if (number >= m_pageCount)
        JET_CORRUPT(kNoPage, field,
                    "Seite " + std::to_string(number) + " liegt hinter dem Dateiende (die Datei hat "
                        + std::to_string(m_pageCount) + " Seiten)");
    if (!m_dirty.empty()) {
        const auto d = m_dirty.find(number);
        if (d != m_dirty.end())
            return d->second;
    }
    const auto it = m_cache.find(number);
    if (it != m_cache.end()) {
        m_lru.splice(m_lru.begin(), m_lru, it->second.lru);
        return it->second.page;
    }
    auto page = std::make_shared<Page>();
    page->number = number;
    page->bytes.resize(m_pageSize);
    if (!readFully(m_fd, page->bytes.data(), m_pageSize, static_cast<off_t>(number) * m_pageSize))
        throw JetError("Die Datei " + m_path + " kann nicht gelesen werden (Seite " + std::to_string(number)
                       + ").");
    ++m_pageReads;
    if (m_codec)
        m_codec->decode(number, page->bytes.data(), page->bytes.size());
    while (m_cache.size() >= m_cacheLimit) {
        m_cache.erase(m_lru.back());
        m_lru.pop_back();
    }
    m_lru.push_front(number);
    m_cache.emplace(number, Entry{page, m_lru.begin()});
    return page;
}

void PageFile::dropCached(uint32_t number)
{
    const auto it = m_cache.find(number);
    if (it == m_cache.end())
        return;
    m_lru.erase(it->second.lru);
    m_cache.erase(it);
}

// --- Units ---------------------------------------------------------------------------

void PageFile::requireWritable() const
{
    if (!writable())
        throw JetError("Die Datei " + m_path + " ist nur zum Lesen geöffnet.");
    if (m_broken)
        throw JetError("Die Datei " + m_path
                       + " konnte nach einem Schreibfehler nicht wiederhergestellt werden; sie wird beim nächsten "
                         "Öffnen aus dem Journal wiederhergestellt.");
}

void PageFile::beginUnit()
{
    requireWritable();
    if (m_inUnit)
        return;
    // The journal must be possible before the first change is made, not found impossible
    // at its end.
    if (!m_memory && m_journalFd < 0) {
        m_journalFd = ::open(journalPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_journalFd < 0) {
            const int e = errno;
            throw JetError("Die Datei " + m_path + " kann nicht geändert werden: Die Journaldatei " + journalPath()
                           + " kann nicht angelegt werden (" + errnoText(e) + ").");
        }
    }
    m_inUnit = true;
    m_unitPageCount = m_pageCount;
    m_unitFileSize = m_fileSize;
}

PageEdit PageFile::edit(uint32_t number, const char* field)
{
    requireWritable();
    if (!m_inUnit)
        throw JetError("Interner Fehler: Seite " + std::to_string(number) + " soll außerhalb einer Änderung "
                       "geschrieben werden.");
    auto it = m_dirty.find(number);
    if (it == m_dirty.end()) {
        const PageRef clean = page(number, field);
        auto copy = std::make_shared<Page>(*clean);
        if (number < m_unitPageCount)
            m_originals.emplace(number, clean);  // never changed: the copy below is
        dropCached(number);
        it = m_dirty.emplace(number, std::move(copy)).first;
    }
    if (!m_marks.empty()) {
        Mark& top = m_marks.back();
        if (number < top.pageCount && !top.before.count(number))
            top.before.emplace(number, it->second->bytes);
    }
    return it->second;
}

PageEdit PageFile::appendPage()
{
    requireWritable();
    if (!m_inUnit)
        throw JetError("Interner Fehler: Die Datei soll außerhalb einer Änderung wachsen.");
    if (m_pageCount >= 0xFFFFFF)
        throw JetError("Die Datei " + m_path + " hat die größte mögliche Seitenzahl erreicht.");
    auto page = std::make_shared<Page>();
    page->number = m_pageCount;
    page->bytes.assign(m_pageSize, 0);
    dropCached(m_pageCount);
    m_dirty[m_pageCount] = page;
    ++m_pageCount;
    return page;
}

void PageFile::savepoint(int level)
{
    if (!m_inUnit || level < 0)
        return;
    while (static_cast<int>(m_marks.size()) <= level) {
        Mark m;
        m.level = static_cast<int>(m_marks.size());
        m.pageCount = m_pageCount;
        m_marks.push_back(std::move(m));
    }
}

void PageFile::release(int level)
{
    if (level < 0)
        level = 0;
    while (static_cast<int>(m_marks.size()) > level) {
        // Images taken at a released mark belong to the mark below, unless it has its own.
        Mark top = std::move(m_marks.back());
        m_marks.pop_back();
        if (!m_marks.empty())
            for (auto& [number, bytes] : top.before)
                if (number < m_marks.back().pageCount)
                    m_marks.back().before.emplace(number, std::move(bytes));
    }
}

void PageFile::rollbackTo(int level)
{
    if (!m_inUnit)
        return;
    if (level < 0) {
        // Back to the unit's start, which stays open: SQLite's ROLLBACK TO the savepoint
        // that opened the transaction.
        const bool changed = !m_dirty.empty();
        m_dirty.clear();
        m_marks.clear();
        m_pageCount = m_unitPageCount;
        m_fileSize = m_unitFileSize;
        if (changed)
            ++m_generation;
        return;
    }
    if (level >= static_cast<int>(m_marks.size()))
        return;
    for (int i = static_cast<int>(m_marks.size()) - 1; i >= level; --i) {
        Mark& m = m_marks[static_cast<size_t>(i)];
        for (auto& [number, bytes] : m.before) {
            const auto d = m_dirty.find(number);
            if (d != m_dirty.end())
                d->second->bytes = bytes;
        }
        // Pages appended after the mark go again.
        for (auto d = m_dirty.lower_bound(m.pageCount); d != m_dirty.end();)
            d = m_dirty.erase(d);
        m_pageCount = m.pageCount;
    }
    m_marks.resize(static_cast<size_t>(level) + 1);
    m_marks.back().before.clear();
    ++m_generation;
}

void PageFile::endUnit()
{
    m_inUnit = false;
    m_dirty.clear();
    m_originals.clear();
    m_marks.clear();
}

void PageFile::rollbackUnit()
{
    if (!m_inUnit)
        return;
    const bool changed = !m_dirty.empty();
    m_pageCount = m_unitPageCount;
    m_fileSize = m_unitFileSize;
    endUnit();
    if (changed)
        ++m_generation;
}

void PageFile::failWritesForTest(int n, bool persistent)
{
    m_failAt = n;
    m_failPersistent = persistent;
    m_writesSeen = 0;
}

void PageFile::writeAt(int fd, const uint8_t* data, size_t length, uint64_t offset)
{
    if (m_failAt > 0) {
        ++m_writesSeen;
        if (m_writesSeen == m_failAt || (m_failPersistent && m_writesSeen > m_failAt))
            throw WriteFailure{EIO};
    }
    const int e = writeFully(fd, data, length, offset);
    if (e != 0)
        throw WriteFailure{e};
}

void PageFile::writeJournal()
{
    std::vector<uint32_t> numbers;
    for (const auto& [number, bytes] : m_originals)
        if (m_dirty.count(number))
            numbers.push_back(number);
    std::sort(numbers.begin(), numbers.end());
    static std::mt19937 random(static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    const uint32_t nonce = random();

    std::vector<uint8_t>& j = m_journalBuffer;
    j.assign(kJournalHeader + numbers.size() * (8 + static_cast<size_t>(m_pageSize)), 0);
    std::memcpy(j.data(), kJournalMagic, sizeof kJournalMagic);
    put32(j, 8, m_pageSize);
    put32(j, 12, static_cast<uint32_t>(numbers.size()));
    put32(j, 16, static_cast<uint32_t>(m_unitFileSize));
    put32(j, 20, static_cast<uint32_t>(m_unitFileSize >> 32));
    put32(j, 24, nonce);
    put32(j, 28, checksum(0, j.data(), 28));
    size_t at = kJournalHeader;
    for (uint32_t number : numbers) {
        put32(j, at, number);
        uint8_t* image = j.data() + at + 4;
        std::memcpy(image, m_originals[number]->bytes.data(), m_pageSize);
        if (m_codec)
            m_codec->encode(number, image, m_pageSize);
        uint32_t sum = checksum(nonce, j.data() + at, 4 + static_cast<size_t>(m_pageSize));
        put32(j, at + 4 + m_pageSize, sum);
        at += 8 + static_cast<size_t>(m_pageSize);
    }
    writeAt(m_journalFd, j.data(), j.size(), 0);
    if (m_durability == Durability::EveryUnit && ::fdatasync(m_journalFd) != 0)
        throw WriteFailure{errno};
}

void PageFile::invalidateJournal()
{
    static const uint8_t zeros[kJournalHeader] = {};
    writeAt(m_journalFd, zeros, sizeof zeros, 0);
    if (m_durability == Durability::EveryUnit)
        ::fdatasync(m_journalFd);
}

void PageFile::emptyJournal()
{
    // A broken unit's journal is what the next open restores the file from.
    if (m_inUnit || m_broken || m_journalFd < 0)
        return;
    // A failed truncation only leaves what was there before: no error for the caller.
    if (::ftruncate(m_journalFd, 0) == 0 && m_durability == Durability::EveryUnit)
        ::fdatasync(m_journalFd);
    std::vector<uint8_t>().swap(m_journalBuffer);
}

void PageFile::restoreOriginals()
{
    for (const auto& [number, page] : m_originals) {
        std::vector<uint8_t> stored = page->bytes;
        if (m_codec)
            m_codec->encode(number, stored.data(), stored.size());
        writeAt(m_fd, stored.data(), stored.size(), static_cast<uint64_t>(number) * m_pageSize);
    }
    if (::ftruncate(m_fd, static_cast<off_t>(m_unitFileSize)) != 0)
        throw WriteFailure{errno};
    if (::fdatasync(m_fd) != 0)
        throw WriteFailure{errno};
}

void PageFile::commitUnit()
{
    if (!m_inUnit)
        return;
    if (m_dirty.empty() && m_pageCount == m_unitPageCount) {
        endUnit();
        return;
    }
    if (m_memory)
        throw JetError("Interner Fehler: Eine neu angelegte Datei wird mit saveAs gespeichert.");
    bool fileTouched = false;
    try {
        writeJournal();
        fileTouched = true;
        // Runs of neighbouring pages go out in one write each (one page a write while a
        // test counts writes to fail).
        const uint32_t perWrite = m_failAt > 0 ? 1 : kPagesPerWrite;
        std::vector<uint8_t>& stored = m_journalBuffer;
        for (auto run = m_dirty.begin(); run != m_dirty.end();) {
            auto end = run;
            uint32_t next = run->first;
            while (end != m_dirty.end() && end->first == next && next - run->first < perWrite) {
                ++end;
                ++next;
            }
            const size_t pages = next - run->first;
            stored.resize(pages * m_pageSize);
            size_t at = 0;
            for (auto it = run; it != end; ++it, at += m_pageSize) {
                std::memcpy(stored.data() + at, it->second->bytes.data(), m_pageSize);
                if (m_codec)
                    m_codec->encode(it->first, stored.data() + at, m_pageSize);
            }
            writeAt(m_fd, stored.data(), stored.size(), static_cast<uint64_t>(run->first) * m_pageSize);
            m_pageWrites += pages;
            run = end;
        }
        if (m_durability == Durability::EveryUnit && ::fdatasync(m_fd) != 0)
            throw WriteFailure{errno};
        invalidateJournal();
    } catch (const WriteFailure& failure) {
        std::string detail = errnoText(failure.error);
        if (fileTouched) {
            // The journal is complete: put the original pages back right away, or leave the
            // journal for the next open when even that fails.
            try {
                restoreOriginals();
                invalidateJournal();
            } catch (const WriteFailure&) {
                m_broken = true;
            }
        }
        rollbackUnit();
        throw JetError("Die Datei " + m_path + " kann nicht geschrieben werden: " + detail
                       + (m_broken ? ". Die Änderung wird beim nächsten Öffnen zurückgenommen."
                                   : ". Die Datei ist unverändert."));
    }
    m_fileSize = static_cast<uint64_t>(m_pageCount) * m_pageSize > m_unitFileSize
                     ? static_cast<uint64_t>(m_pageCount) * m_pageSize
                     : m_unitFileSize;
    // The written pages are the file's content now.
    for (auto& [number, page] : m_dirty) {
        while (m_cache.size() >= m_cacheLimit) {
            m_cache.erase(m_lru.back());
            m_lru.pop_back();
        }
        m_lru.push_front(number);
        m_cache[number] = Entry{page, m_lru.begin()};
    }
    endUnit();
}

void PageFile::recoverJournal()
{
    const std::string jpath = journalPath();
    const int jfd = ::open(jpath.c_str(), O_RDONLY | O_CLOEXEC);
    if (jfd < 0)
        return;
    struct Image {
        uint32_t number;
        std::vector<uint8_t> bytes;
    };
    std::vector<Image> images;
    uint32_t pageSize = 0;
    uint64_t originalSize = 0;
    bool hot = false;
    uint8_t head[kJournalHeader];
    if (readFully(jfd, head, sizeof head, 0) && std::memcmp(head, kJournalMagic, sizeof kJournalMagic) == 0
        && get32(head + 28) == checksum(0, head, 28)) {
        pageSize = get32(head + 8);
        const uint32_t count = get32(head + 12);
        originalSize = get32(head + 16) | (static_cast<uint64_t>(get32(head + 20)) << 32);
        const uint32_t nonce = get32(head + 24);
        hot = pageSize >= 512 && pageSize <= 65536 && count < (1u << 24);
        std::vector<uint8_t> image(8 + static_cast<size_t>(pageSize));
        for (uint32_t i = 0; hot && i < count; ++i) {
            const off_t at = static_cast<off_t>(kJournalHeader + static_cast<uint64_t>(i) * image.size());
            if (!readFully(jfd, image.data(), image.size(), at)
                || get32(image.data() + 4 + pageSize) != checksum(nonce, image.data(), 4 + static_cast<size_t>(pageSize))) {
                hot = false;  // torn while being written: the file was not touched yet
                break;
            }
            images.push_back({get32(image.data()), std::vector<uint8_t>(image.begin() + 4, image.end() - 4)});
        }
    }
    ::close(jfd);

    const std::string locked =
        "Die Datei " + m_path + " ist gesperrt: Sie wird bereits von einem anderen Programm verwendet.";
    if (hot) {
        int wfd = m_fd;
        bool own = false;
        if (m_mode != AccessMode::ReadWriteExclusive) {
            // A reader's descriptor is read-only: the pages go back through one of its own,
            // locked exclusively for the while (which the reader's shared lock would block).
            wfd = ::open(m_path.c_str(), O_RDWR | O_CLOEXEC);
            if (wfd < 0)
                throw JetError("Die Datei " + m_path + " wurde bei einer unterbrochenen Änderung zurückgelassen; "
                               "sie muss einmal mit Schreibrecht geöffnet werden, damit die Änderung zurückgenommen "
                               "wird (" + jpath + ").");
            own = true;
            ::flock(m_fd, LOCK_UN);
            if (::flock(wfd, LOCK_EX | LOCK_NB) != 0) {
                ::close(wfd);
                throw JetError(locked);
            }
        }
        int failure = 0;
        for (const Image& im : images)
            if (failure == 0)
                failure = writeFully(wfd, im.bytes.data(), im.bytes.size(), static_cast<uint64_t>(im.number) * pageSize);
        if (failure == 0 && ::ftruncate(wfd, static_cast<off_t>(originalSize)) != 0)
            failure = errno;
        if (failure == 0 && ::fsync(wfd) != 0)
            failure = errno;
        if (own) {
            ::close(wfd);
            if (::flock(m_fd, LOCK_SH | LOCK_NB) != 0)
                throw JetError(locked);
        }
        if (failure != 0)
            throw JetError("Die unterbrochene Änderung der Datei " + m_path + " kann nicht zurückgenommen werden: "
                           + errnoText(failure) + ".");
    }
    if (::unlink(jpath.c_str()) != 0 && errno != ENOENT && hot)
        throw JetError("Das Journal " + jpath + " kann nicht entfernt werden: " + errnoText(errno) + ".");
}

}  // namespace db::jet
