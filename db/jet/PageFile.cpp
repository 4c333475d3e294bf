// Opening, locking, page reads, units of change and the rollback journal.
//
// Journal (`<file>-journal`), little-endian:
//   0  8  "EDVJETJ2"
//   8  4  page size
//  12  4  number of page images
//  16  8  size of the file before the change
//  24  8  size of the file after it
//  32  4  nonce of this change
//  36  4  checksum of page 0 as stored before the change
//  40  4  checksum of page 0 as stored after it
//  44  4  reserved (0)
//  48  8  inode of the file
//  56  8  identity of the file system holding it (statfs f_fsid)
//  64 60  reserved (0)
// 124  4  checksum of bytes 0..123
// 128  .. per image: page number (4), the page as stored in the file before the change
//         (page size), the checksum of each 512-byte sector of the page as the change
//         leaves it (4 each), checksum of nonce and everything before in the record (4)
// A journal is hot when its header and every image check out: the change may have reached
// the file partly, and the images put it back. Anything else is the torn write of a change
// that never touched the file, and is removed. At the end of a change the header is zeroed.
//
// A hot journal is applied only to the file it was written for: same inode on the same file
// system, a size between the sizes before and after the change, page 0 and every sector of
// every page it would restore holding either its image or exactly what the change wrote. Any
// other journal (of another file, or one left beside a file that a backup has replaced since)
// is left alone and the file is not opened.
#include "db/jet/PageFile.h"

#include "db/jet/Rc4.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace db::jet {

namespace {

constexpr char kJournalMagic[8] = {'E', 'D', 'V', 'J', 'E', 'T', 'J', '2'};
constexpr uint32_t kPagesPerWrite = 256;
// Images at marks put into the spill file with one write.
constexpr size_t kImagesPerWrite = 64;
constexpr size_t kJournalHeader = 128;
// A sector: the unit a power failure may tear a page write into.
constexpr size_t kSector = 512;
// Bytes of an image record beside the page: number, the checksums of the new content's
// sectors, checksum of the record.
size_t imageExtra(uint32_t pageSize) { return 8 + pageSize / kSector * 4; }
// Units held back before they are written out together (see Durability). Pages beyond the
// cache's limit wait in the spill file, so this bounds the journal and the spill file.
constexpr size_t kGroupPages = 16384;
constexpr std::chrono::milliseconds kGroupTime{1000};
constexpr std::chrono::milliseconds kTrimInterval{1000};

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

JetError spillWriteError(const std::string& path, int e)
{
    return JetError("Die Datei " + path + " kann nicht geändert werden: Die Auslagerungsdatei neben ihr kann nicht "
                    "geschrieben werden (" + errnoText(e) + ").");
}

// The file system a descriptor's file lies on, as the kernel names it (stable across
// restarts where the file system has a UUID, unlike st_dev).
uint64_t fileSystemId(int fd)
{
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0)
        return 0;
    uint64_t id = 0;
    static_assert(sizeof fs.f_fsid <= sizeof id);
    std::memcpy(&id, &fs.f_fsid, sizeof fs.f_fsid);
    return id;
}

// Thrown inside the page file when a write fails; commitUnit turns it into a JetError.
struct WriteFailure {
    int error;
};

}  // namespace

void returnFreedMemory()
{
#ifdef __GLIBC__
    ::malloc_trim(0);
#endif
}

namespace {

// glibc raises the size from which a block gets pages of its own each time such a block is
// freed; after the first large lists the heap then takes them, and what they leave between
// small blocks stays with the process. A fixed size keeps the heap to small blocks, so that
// a larger file does not leave a larger heap behind (about 2 MB at 4 times the school).
void keepLargeBlocksOffTheHeap()
{
#ifdef __GLIBC__
    static const bool once = [] { return ::mallopt(M_MMAP_THRESHOLD, 128 * 1024) == 1; }();
    (void)once;
#endif
}

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
    keepLargeBlocksOffTheHeap();
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
            takeAccessLocks();
            recoverJournal();
        } else {
            // The lock first: while a writer holds the file, its journal is its own business.
            lock(fd, LOCK_SH);
            m_fd = fd;
            recoverJournal();
        }
    } catch (...) {
        releaseAccessLocks();
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
    m_inode = static_cast<uint64_t>(st.st_ino);
    m_fsid = fileSystemId(m_fd);
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
    writeDeferred();
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
    if (m_groupUnits > 0) {
        try {
            flush();
        } catch (...) {
            // The file stays as after the last group written; a journal that could not be
            // played back stays for the next open.
        }
    }
    if (m_spillFd >= 0)
        ::close(m_spillFd);
    if (m_journalFd >= 0) {
        ::close(m_journalFd);
        // A journal that could not be played back in place must survive for the next open.
        if (!m_broken)
            ::unlink(journalPath().c_str());
    }
    releaseAccessLocks();
    if (m_fd >= 0)
        ::close(m_fd);  // releases the locks
}

std::string PageFile::lockFilePath() const
{
    // Access names it after the database, with ".ldb" (".laccdb" for .accdb) in place of
    // the extension.
    const std::string::size_type slash = m_path.rfind('/');
    const std::string::size_type dot = m_path.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    std::string extension = hasExtension ? m_path.substr(dot) : std::string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::string stem = hasExtension ? m_path.substr(0, dot) : m_path;
    return stem + (extension == ".accdb" || extension == ".accde" ? ".laccdb" : ".ldb");
}

namespace {

// Who holds a lock on some byte of the file that a write lock over all of it would meet:
// 0 none, -1 a lock of an open file description (no process to name), else the process.
// Classic POSIX locks of other processes (Samba maps the byte-range locks of Windows
// programs, Access's among them, onto these) and open-file-description locks alike.
bool foreignLock(int fd, pid_t* holder)
{
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 0;
    probe.l_len = 0;  // to the end of every possible file
    if (::fcntl(fd, F_OFD_GETLK, &probe) != 0)
        return false;
    *holder = probe.l_pid;
    return probe.l_type != F_UNLCK;
}

bool lockWhole(int fd)
{
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    whole.l_start = 0;
    whole.l_len = 0;
    whole.l_pid = 0;
    return ::fcntl(fd, F_OFD_SETLK, &whole) == 0;
}

}  // namespace

void PageFile::takeAccessLocks()
{
    const std::string ldb = lockFilePath();
    auto open = [&](const std::string& why) {
        return JetError("Die Datenbank ist geöffnet: " + why + ". Die Datei " + m_path
                        + " wird nicht geändert. Schließen Sie die Datenbank in Access (oder dem anderen "
                          "Programm) und starten Sie erneut.");
    };
    pid_t holder = 0;
    if (foreignLock(m_fd, &holder))
        throw open("ein anderes Programm" + (holder > 0 ? " (Prozess " + std::to_string(holder) + ")" : std::string())
                   + " hält Sperren in ihr");
    // An existing lock file with a live lock is an open Access session; one without any
    // lock is left over from a session that ended badly and is no obstacle.
    int fd = ::open(ldb.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    bool created = false;
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(ldb.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        created = fd >= 0;
    }
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
        // Readable only: still enough to see another program's lock.
        const int ro = ::open(ldb.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (ro >= 0) {
            const bool busy = foreignLock(ro, &holder);
            ::close(ro);
            if (busy)
                throw open("die Sperrdatei " + ldb + " ist gesperrt");
            throw JetError("Die Datei " + m_path + " kann nicht geändert werden: Die Sperrdatei " + ldb
                           + " kann nicht gesperrt werden (" + errnoText(EACCES) + ").");
        }
    }
    if (fd < 0)
        return;  // no place for a lock file (a folder without write permission): the journal
                 // will say so at the first change
    if (!created && foreignLock(fd, &holder)) {
        ::close(fd);
        throw open("die Sperrdatei " + ldb + " ist gesperrt");
    }
    // While we write, every byte of both files is locked as Jet's own locks would meet it.
    if (!lockWhole(fd) || !lockWhole(m_fd)) {
        const int e = errno;
        if (created)
            ::unlink(ldb.c_str());
        ::close(fd);
        if (e == EAGAIN || e == EACCES)
            throw open("die Sperrdatei " + ldb + " wurde gerade gesperrt");
        throw JetError("Die Datei " + m_path + " kann nicht gesperrt werden: " + errnoText(e) + ".");
    }
    m_lockFd = fd;
    m_lockCreated = created;
}

void PageFile::releaseAccessLocks()
{
    if (m_lockFd < 0)
        return;
    // Removed while still locked, so that no other program takes it over in between.
    if (m_lockCreated)
        ::unlink(lockFilePath().c_str());
    ::close(m_lockFd);
    m_lockFd = -1;
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
    m_cleanStamps.clear();
    m_groupPageCount = m_pageCount;
    m_groupFileSize = m_fileSize;
}

PageRef PageFile::page(uint32_t number, const char* field)
{
    if (m_broken)
        requireWritable();  // throws: what the disk holds now is not to be trusted
    if (number >= m_pageCount)
        JET_CORRUPT(kNoPage, field,
                    "Seite " + std::to_string(number) + " liegt hinter dem Dateiende (die Datei hat "
                        + std::to_string(m_pageCount) + " Seiten)");
    if (!m_deferred.empty())
        askDeferred(number);
    if (!m_dirty.empty()) {
        const auto d = m_dirty.find(number);
        if (d != m_dirty.end()) {
            if (d->second)
                return d->second;
            // Back from the spill file: the unit's reads of it are likely changes too.
            PageEdit p = loadSpilled(number, m_spilled.at(number));
            d->second = p;
            m_spilled.erase(number);
            --m_spilledInUnit;
            spillChanged();
            return p;
        }
    }
    if (!m_pending.empty()) {
        const auto d = m_pending.find(number);
        if (d != m_pending.end()) {
            if (d->second)
                return d->second;
            PageEdit p = loadSpilled(number, m_groupAside.at(number));
            // A unit reads what it goes on to change; it goes back without a write.
            if (m_inUnit) {
                d->second = p;
                --m_groupOut;
                spillChanged();
            }
            return p;
        }
    }
    const auto it = m_cache.find(number);
    if (it != m_cache.end()) {
        m_lru.splice(m_lru.begin(), m_lru, it->second.lru);
        return it->second.page;
    }
    PageEdit page = sparePage();
    page->number = number;
    if (m_cleanStamps.size() <= number)
        m_cleanStamps.resize(std::max<size_t>(number + 1, m_pageCount), 0);
    if (m_cleanStamps[number] == 0)
        m_cleanStamps[number] = m_nextStamp++;
    page->stamp = m_cleanStamps[number];
    page->bytes.resize(m_pageSize);
    if (!readFully(m_fd, page->bytes.data(), m_pageSize, static_cast<off_t>(number) * m_pageSize))
        throw JetError("Die Datei " + m_path + " kann nicht gelesen werden (Seite " + std::to_string(number)
                       + ").");
    ++m_pageReads;
    if (m_codec)
        m_codec->decode(number, page->bytes.data(), page->bytes.size());
    trimCache(1);
    m_lru.push_front(number);
    m_cache.emplace(number, Entry{page, m_lru.begin()});
    return page;
}

uint64_t PageFile::stampOf(uint32_t number)
{
    if (!m_deferred.empty())
        askDeferred(number);
    if (m_broken || number >= m_pageCount)
        return page(number)->stamp;  // throws
    if (const auto d = m_dirty.find(number); d != m_dirty.end())
        return d->second ? d->second->stamp : m_spilled.at(number).stamp;
    if (const auto d = m_pending.find(number); d != m_pending.end())
        return d->second ? d->second->stamp : m_groupAside.at(number).stamp;
    if (number < m_cleanStamps.size() && m_cleanStamps[number] != 0)
        return m_cleanStamps[number];
    return page(number)->stamp;
}

// The pages that changes hold in memory count against the limit too, so that a large
// group does not come on top of a full cache; an eighth of it always stays for reading.
// `adding` pages are about to come into the cache.
void PageFile::trimCache(size_t adding)
{
    const size_t held = heldPages();
    const size_t limit = std::max(m_cacheLimit / 8, held < m_cacheLimit ? m_cacheLimit - held : size_t{0});
    while (!m_cache.empty() && m_cache.size() + adding > limit) {
        const auto it = m_cache.find(m_lru.back());
        giveBack(std::const_pointer_cast<Page>(std::move(it->second.page)));
        m_cache.erase(it);
        m_lru.pop_back();
    }
}

// A page the cache or the spill file let go of and nobody else held serves again: a large
// file read in turn costs no allocation per page.
PageEdit PageFile::sparePage()
{
    if (m_sparePages.empty())
        return std::make_shared<Page>();
    PageEdit page = std::move(m_sparePages.back());
    m_sparePages.pop_back();
    return page;
}

void PageFile::giveBack(PageEdit&& page)
{
    if (page.use_count() == 1 && m_sparePages.size() < kSparePages)
        m_sparePages.push_back(std::move(page));
    page.reset();
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
    if (m_lost)
        throw JetError("Die Datei " + m_path + " wird nicht weiter geändert: Nach einem Schreibfehler fehlen ihr "
                       "Änderungen, die schon abgeschlossen waren.");
}

void PageFile::verifyName() const
{
    if (m_memory || m_fd < 0)
        return;
    struct stat mine {};
    struct stat named {};
    const bool gone = ::fstat(m_fd, &mine) != 0 || mine.st_nlink == 0;
    if (gone || ::stat(m_path.c_str(), &named) != 0 || named.st_ino != mine.st_ino || named.st_dev != mine.st_dev)
        throw JetError("Die Datei " + m_path + " wurde während der Arbeit an ihr umbenannt, ersetzt oder gelöscht. "
                       "Es wird nicht weitergeschrieben; unter diesem Namen liegt nicht die bearbeitete Datei.");
}

void PageFile::beginUnit()
{
    requireWritable();
    if (m_inUnit)
        return;
    verifyName();
    // The journal must be possible before the first change is made, not found impossible
    // at its end.
    if (!m_memory && m_journalFd < 0) {
        m_journalFd = ::open(journalPath().c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        bool created = m_journalFd >= 0;
        if (m_journalFd < 0 && errno == EEXIST)
            m_journalFd = ::open(journalPath().c_str(), O_RDWR | O_CLOEXEC);
        // A new journal's name must be on the disk before the journal is relied on.
        if (created) {
            const std::string::size_type slash = m_path.rfind('/');
            const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : m_path.substr(0, slash);
            const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dfd >= 0) {
                ::fsync(dfd);
                ::close(dfd);
            }
        }
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
    if (!m_deferred.empty())
        askDeferred(number);
    auto it = m_dirty.find(number);
    // A page the unit has not changed yet was the same at every mark set in the unit: as
    // it is outside the unit (the group's or the file's), which needs no copy.
    const bool untouched = it == m_dirty.end();
    if (it != m_dirty.end() && !it->second) {
        it->second = loadSpilled(number, m_spilled.at(number));
        m_spilled.erase(number);
        --m_spilledInUnit;
    }
    if (it == m_dirty.end()) {
        const PageRef base = page(number, field);  // as the units before this one left it
        PageEdit copy = sparePage();
        *copy = *base;
        if (!m_pending.count(number)) {
            // The file holds this page as it is until the group is written: its image for
            // the journal is read from there then, not kept in memory meanwhile.
            if (number < m_groupPageCount)
                m_groupOriginals.emplace(number, true);
            dropCached(number);
        }
        it = m_dirty.emplace(number, std::move(copy)).first;
    }
    it->second->stamp = m_nextStamp++;  // the caller changes the bytes now
    ++m_changeCount;
    if (!m_marks.empty()) {
        Mark& top = m_marks.back();
        if (number < top.pageCount && !top.before.count(number)) {
            Image image;
            if (!untouched) {
                image.bytes = it->second->bytes;
                ++m_imagesHeld;
            }
            top.before.emplace(number, std::move(image));
        }
    }
    PageEdit edited = it->second;  // held here, so it stays in memory
    spillChanged();
    trimCache(0);
    return edited;
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
    page->stamp = m_nextStamp++;
    ++m_changeCount;
    page->bytes.assign(m_pageSize, 0);
    dropCached(m_pageCount);
    m_dirty[m_pageCount] = page;
    ++m_pageCount;
    spillChanged();
    trimCache(0);
    return page;
}

// The spill file: slot i holds a page's bytes in their stored form (encoded where the
// file is) at offset i * page size: a changed page of the unit, or a page's image at a
// mark. A page keeps its slot until the spill file is emptied, after the unit's group was
// written or the unit was undone; an image's slot is not used again before then.
void PageFile::spillChanged()
{
    if (m_memory || !m_inUnit || heldPages() < m_cacheLimit)
        return;
    // The images at marks are read only when a statement is undone: they go first, a
    // batch at a time.
    if (m_imagesHeld > 0) {
        putImagesAside(m_cacheLimit - std::min(m_cacheLimit, kImagesPerWrite));
        if (heldPages() < m_cacheLimit)
            return;
    }
    // Down to half the limit, so that the walk over the pages comes once per half a cache
    // of new pages, not with every change. The pages of finished units go before the open
    // unit's: they do not change any more, and one read back since it went needs no write.
    const size_t target = m_cacheLimit / 2;
    if (m_groupOut < m_pending.size()) {
        putGroupAside(target);
        if (heldPages() < m_cacheLimit)
            return;
    }
    openSpillFile();
    std::vector<uint8_t> stored(m_pageSize);
    for (auto& [number, page] : m_dirty) {
        if (heldPages() <= target)
            break;
        if (!page || page.use_count() > 1)
            continue;  // spilled already, or somebody still works on it
        auto slot = m_spillSlots.find(number);
        if (slot == m_spillSlots.end())
            slot = m_spillSlots.emplace(number, m_spillSlotCount++).first;
        std::memcpy(stored.data(), page->bytes.data(), m_pageSize);
        if (m_codec)
            m_codec->encode(number, stored.data(), m_pageSize);
        const int e = writeFully(m_spillFd, stored.data(), m_pageSize, static_cast<uint64_t>(slot->second) * m_pageSize);
        if (e != 0)
            throw spillWriteError(m_path, e);
        m_spilled[number] = Spilled{slot->second, page->stamp};
        giveBack(std::move(page));
        ++m_spilledInUnit;
    }
}

void PageFile::openSpillFile()
{
    if (m_spillFd >= 0)
        return;
    const std::string::size_type slash = m_path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : m_path.substr(0, slash);
    m_spillFd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (m_spillFd < 0) {
        // A file system without unnamed files: a named one, removed right away.
        const std::string named = m_path + "-spill";
        m_spillFd = ::open(named.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (m_spillFd >= 0)
            ::unlink(named.c_str());
    }
    if (m_spillFd < 0) {
        const int e = errno;
        throw JetError("Die Datei " + m_path + " kann nicht geändert werden: Die Änderung ist größer als der "
                       "Arbeitsspeicher, den sie belegen darf, und neben der Datei kann keine Auslagerungsdatei "
                       "angelegt werden (" + errnoText(e) + ").");
    }
}

// Images held in memory go to the spill file, those of the oldest marks first (the
// newest is the one a failing statement goes back to), until at most `target` pages are
// held or none is left. A batch leaves memory only once it is written.
void PageFile::putImagesAside(size_t target)
{
    openSpillFile();
    std::vector<uint8_t> batch;
    std::vector<Image*> taken;
    const auto writeBatch = [&] {
        if (taken.empty())
            return;
        const uint32_t first = writeSlots(batch, taken.size());
        for (size_t i = 0; i < taken.size(); ++i) {
            std::vector<uint8_t>().swap(taken[i]->bytes);
            taken[i]->slot = first + static_cast<uint32_t>(i);
        }
        m_imagesHeld -= taken.size();
        m_imagesAside += taken.size();
        batch.clear();
        taken.clear();
    };
    for (Mark& mark : m_marks)
        for (auto& [number, image] : mark.before) {
            if (heldPages() - taken.size() <= target) {
                writeBatch();
                return;
            }
            if (image.bytes.empty())
                continue;
            const size_t at = batch.size();
            batch.insert(batch.end(), image.bytes.begin(), image.bytes.end());
            if (m_codec)
                m_codec->encode(number, batch.data() + at, m_pageSize);
            taken.push_back(&image);
            if (taken.size() == kImagesPerWrite)
                writeBatch();
        }
    writeBatch();
}

// The group's pages in memory go to the spill file until at most `target` pages are held
// or none is left; a batch leaves memory only once it is written.
void PageFile::putGroupAside(size_t target)
{
    openSpillFile();
    std::vector<uint8_t> batch;
    std::vector<std::pair<uint32_t, PageEdit*>> taken;
    const auto writeBatch = [&] {
        if (taken.empty())
            return;
        const uint32_t first = writeSlots(batch, taken.size());
        for (size_t i = 0; i < taken.size(); ++i) {
            PageEdit& page = *taken[i].second;
            m_groupAside.emplace(taken[i].first, Spilled{first + static_cast<uint32_t>(i), page->stamp});
            giveBack(std::move(page));
        }
        m_groupOut += taken.size();
        batch.clear();
        taken.clear();
    };
    for (auto& [number, page] : m_pending) {
        if (heldPages() - taken.size() <= target)
            break;
        if (!page || page.use_count() > 1)
            continue;  // aside already, or somebody still reads it
        if (m_groupAside.count(number)) {
            giveBack(std::move(page));  // read back: the spill file holds these bytes
            ++m_groupOut;
            continue;
        }
        const size_t at = batch.size();
        batch.insert(batch.end(), page->bytes.begin(), page->bytes.end());
        if (m_codec)
            m_codec->encode(number, batch.data() + at, m_pageSize);
        taken.emplace_back(number, &page);
        if (taken.size() == kImagesPerWrite)
            writeBatch();
    }
    writeBatch();
}

// Writes `pages` pages' stored bytes into the next free slots; returns the first.
uint32_t PageFile::writeSlots(const std::vector<uint8_t>& stored, size_t pages)
{
    const uint32_t first = m_spillSlotCount;
    const int e = writeFully(m_spillFd, stored.data(), stored.size(), static_cast<uint64_t>(first) * m_pageSize);
    if (e != 0)
        throw spillWriteError(m_path, e);
    m_spillSlotCount += static_cast<uint32_t>(pages);
    return first;
}

std::vector<uint8_t> PageFile::imageBytes(uint32_t number, const Image& image)
{
    if (image.slot == Image::kNoSlot)
        return image.bytes;
    std::vector<uint8_t> bytes(m_pageSize);
    if (!readFully(m_spillFd, bytes.data(), m_pageSize, static_cast<off_t>(image.slot) * m_pageSize))
        throw JetError("Die Datei " + m_path + " kann nicht geändert werden: Die Auslagerungsdatei neben ihr kann "
                       "nicht gelesen werden.");
    if (m_codec)
        m_codec->decode(number, bytes.data(), m_pageSize);
    return bytes;
}

// After marks were released or undone: what their images hold now. Once none lies in the
// spill file and no changed page either, the spill file is emptied.
void PageFile::countImages()
{
    m_imagesHeld = 0;
    m_imagesAside = 0;
    for (const Mark& mark : m_marks)
        for (const auto& entry : mark.before) {
            m_imagesHeld += !entry.second.bytes.empty();
            m_imagesAside += entry.second.slot != Image::kNoSlot;
        }
    releaseSpillFile();
}

bool PageFile::readSlot(uint32_t number, const Spilled& spilled, Page& page) const
{
    page.number = number;
    page.stamp = spilled.stamp;
    page.bytes.resize(m_pageSize);
    if (!readFully(m_spillFd, page.bytes.data(), m_pageSize, static_cast<off_t>(spilled.slot) * m_pageSize))
        return false;
    if (m_codec)
        m_codec->decode(number, page.bytes.data(), m_pageSize);
    return true;
}

PageEdit PageFile::loadSpilled(uint32_t number, const Spilled& spilled)
{
    PageEdit page = sparePage();
    if (!readSlot(number, spilled, *page))
        throw JetError("Die Datei " + m_path + " kann nicht geändert werden: Die Auslagerungsdatei neben ihr kann "
                       "nicht gelesen werden.");
    return page;
}

// While the group is written: a page that cannot be read back fails the write like the
// file's own pages, so that the group is undone as a whole.
PageRef PageFile::groupPage(uint32_t number) const
{
    const PageEdit& held = m_pending.at(number);
    if (held)
        return held;
    auto page = std::make_shared<Page>();
    if (!readSlot(number, m_groupAside.at(number), *page))
        throw WriteFailure{EIO};
    return page;
}

// No changed page of the unit in the spill file is needed any more.
void PageFile::forgetSpilled()
{
    m_spilled.clear();
    m_spillSlots.clear();
    m_spilledInUnit = 0;
    releaseSpillFile();
}

// The group was written or lost: none of its pages in the spill file is needed any more.
void PageFile::forgetGroupAside()
{
    m_groupAside.clear();
    m_groupOut = 0;
    releaseSpillFile();
}

// Once nothing in the spill file is needed (no page of the unit or the group, no image at
// a mark), it is emptied, so that changed bytes do not stay on the disk longer than
// needed.
void PageFile::releaseSpillFile()
{
    if (m_imagesAside > 0 || !m_spilled.empty() || !m_groupAside.empty())
        return;
    m_spillSlots.clear();
    const bool used = m_spillSlotCount > 0;
    m_spillSlotCount = 0;
    if (used && m_spillFd >= 0)
        static_cast<void>(::ftruncate(m_spillFd, 0));
}

void PageFile::deferWrite(uint32_t number, DeferredWriter& writer)
{
    if (!m_inUnit)
        throw JetError("Interner Fehler: Seite " + std::to_string(number) + " soll außerhalb einer Änderung "
                       "geschrieben werden.");
    m_deferred[number] = &writer;
}

void PageFile::forgetDeferred(DeferredWriter& writer)
{
    m_deferred.eraseIf([&](const auto& entry) { return entry.second == &writer; });
}

// Forgotten before it is asked: the writer's own edits of its pages must not ask it again.
void PageFile::askDeferred(uint32_t number)
{
    const auto it = m_deferred.find(number);
    if (it == m_deferred.end())
        return;
    DeferredWriter& writer = *it->second;
    forgetDeferred(writer);
    writer.writeDeferred();
}

void PageFile::writeDeferred()
{
    std::vector<DeferredWriter*> writers;
    for (const auto& entry : m_deferred)
        if (std::find(writers.begin(), writers.end(), entry.second) == writers.end())
            writers.push_back(entry.second);
    for (DeferredWriter* writer : writers) {
        forgetDeferred(*writer);
        writer->writeDeferred();
    }
}

// A rollback or a lost group: what the layers above derived from pages, and the bytes
// they held back, are of no use any more.
void PageFile::discardDerived()
{
    m_deferred.clear();
    ++m_generation;
    ++m_changeCount;
}

void PageFile::savepoint(int level)
{
    if (!m_inUnit || level < 0)
        return;
    // What a mark keeps starts from every change made before it.
    writeDeferred();
    while (static_cast<int>(m_marks.size()) <= level) {
        Mark m;
        m.level = static_cast<int>(m_marks.size());
        m.pageCount = m_pageCount;
        m_marks.push_back(std::move(m));
    }
}

void PageFile::release(int level)
{
    if (m_inUnit)
        writeDeferred();
    if (level < 0)
        level = 0;
    while (static_cast<int>(m_marks.size()) > level) {
        // Images taken at a released mark belong to the mark below, unless it has its own.
        Mark top = std::move(m_marks.back());
        m_marks.pop_back();
        for (auto& [number, image] : top.before) {
            const bool kept = !m_marks.empty() && number < m_marks.back().pageCount
                              && m_marks.back().before.try_emplace(number, std::move(image)).second;
            if (!kept) {
                // Dropped (try_emplace leaves it whole when the mark below has its own).
                m_imagesHeld -= !image.bytes.empty();
                m_imagesAside -= image.slot != Image::kNoSlot;
            }
        }
    }
    releaseSpillFile();
}

void PageFile::rollbackTo(int level)
{
    if (!m_inUnit)
        return;
    if (level < 0) {
        // Back to the unit's start, which stays open: SQLite's ROLLBACK TO the savepoint
        // that opened the transaction.
        const bool changed = !m_dirty.empty() || !m_deferred.empty();
        m_dirty.clear();
        m_marks.clear();
        m_imagesHeld = 0;
        m_imagesAside = 0;
        forgetSpilled();
        m_pageCount = m_unitPageCount;
        m_fileSize = m_unitFileSize;
        if (changed)
            discardDerived();
        return;
    }
    if (level >= static_cast<int>(m_marks.size()))
        return;
    for (int i = static_cast<int>(m_marks.size()) - 1; i >= level; --i) {
        Mark& m = m_marks[static_cast<size_t>(i)];
        for (auto& [number, image] : m.before) {
            const auto d = m_dirty.find(number);
            if (d != m_dirty.end() && image.untouched()) {
                // Untouched at the mark: the unit's change of it goes.
                if (!d->second) {
                    m_spilled.erase(number);
                    --m_spilledInUnit;
                }
                m_dirty.erase(d);
                ++m_changeCount;
            } else if (d != m_dirty.end()) {
                if (!d->second) {
                    d->second = loadSpilled(number, m_spilled.at(number));
                    m_spilled.erase(number);
                    --m_spilledInUnit;
                }
                d->second->bytes = imageBytes(number, image);
                d->second->stamp = m_nextStamp++;
                ++m_changeCount;
            }
        }
        // Pages appended after the mark go again.
        for (uint32_t number = m.pageCount; number < m_pageCount; ++number) {
            const auto d = m_dirty.find(number);
            if (d == m_dirty.end())
                continue;
            if (!d->second) {
                m_spilled.erase(number);
                --m_spilledInUnit;
            }
            m_dirty.erase(d);
        }
        m_pageCount = m.pageCount;
    }
    m_marks.resize(static_cast<size_t>(level) + 1);
    m_marks.back().before.clear();
    countImages();
    discardDerived();
}

void PageFile::endUnit()
{
    m_inUnit = false;
    m_dirty.clear();
    m_marks.clear();
    m_imagesHeld = 0;
    m_imagesAside = 0;
    forgetSpilled();
}

void PageFile::rollbackUnit()
{
    if (!m_inUnit)
        return;
    const bool changed = !m_dirty.empty() || !m_deferred.empty();
    m_pageCount = m_unitPageCount;
    m_fileSize = m_unitFileSize;
    endUnit();
    if (changed)
        discardDerived();
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

std::vector<uint8_t> PageFile::storedBytes(uint32_t number, const std::vector<uint8_t>& plain) const
{
    std::vector<uint8_t> stored = plain;
    if (m_codec)
        m_codec->encode(number, stored.data(), stored.size());
    return stored;
}

void PageFile::writeJournal(const ChangedPages& changed, const std::vector<uint32_t>& order,
                            const PageMap<bool>& originals, uint64_t sizeBefore, uint64_t sizeAfter)
{
    std::vector<uint32_t> numbers;
    for (uint32_t number : order)
        if (originals.count(number))
            numbers.push_back(number);
    static std::mt19937 random(static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    const uint32_t nonce = random();

    // Page 0 as the file holds it now and as the change leaves it: a journal of another
    // file is known by it even when none of its images is page 0.
    std::vector<uint8_t> zero(m_pageSize, 0);
    if (sizeBefore >= m_pageSize && !readFully(m_fd, zero.data(), m_pageSize, 0))
        throw WriteFailure{EIO};
    const uint32_t zeroBefore = checksum(0, zero.data(), zero.size());
    uint32_t zeroAfter = zeroBefore;
    if (const auto z = changed.find(0); z != changed.end()) {
        const std::vector<uint8_t> stored = storedBytes(0, groupPage(0)->bytes);
        zeroAfter = checksum(0, stored.data(), stored.size());
    }

    // The journal goes out in pieces of at most kPagesPerWrite images, so that a large
    // group needs no second copy of its pages in memory. Until the journal is flushed
    // whole, the file is not touched: a journal cut short anywhere is one with a torn
    // record, which the next open ignores.
    std::vector<uint8_t>& j = m_journalBuffer;
    const size_t extra = imageExtra(m_pageSize);
    const size_t recordSize = extra + static_cast<size_t>(m_pageSize);
    j.assign(kJournalHeader, 0);
    std::memcpy(j.data(), kJournalMagic, sizeof kJournalMagic);
    put32(j, 8, m_pageSize);
    put32(j, 12, static_cast<uint32_t>(numbers.size()));
    put32(j, 16, static_cast<uint32_t>(sizeBefore));
    put32(j, 20, static_cast<uint32_t>(sizeBefore >> 32));
    put32(j, 24, static_cast<uint32_t>(sizeAfter));
    put32(j, 28, static_cast<uint32_t>(sizeAfter >> 32));
    put32(j, 32, nonce);
    put32(j, 36, zeroBefore);
    put32(j, 40, zeroAfter);
    put32(j, 48, static_cast<uint32_t>(m_inode));
    put32(j, 52, static_cast<uint32_t>(m_inode >> 32));
    put32(j, 56, static_cast<uint32_t>(m_fsid));
    put32(j, 60, static_cast<uint32_t>(m_fsid >> 32));
    put32(j, kJournalHeader - 4, checksum(0, j.data(), kJournalHeader - 4));
    uint64_t written = 0;  // journal bytes before j
    std::vector<uint8_t> after(m_pageSize);
    for (size_t i = 0; i < numbers.size(); ++i) {
        const uint32_t number = numbers[i];
        const size_t at = j.size();
        j.resize(at + recordSize);
        put32(j, at, number);
        // The file's bytes are the page's stored form already (encoded where the file is).
        uint8_t* image = j.data() + at + 4;
        if (!readFully(m_fd, image, m_pageSize, static_cast<off_t>(number) * m_pageSize))
            throw WriteFailure{EIO};
        const PageRef page = groupPage(number);
        // The sectors as the file will hold them: the page's own bytes unless it is encoded.
        const uint8_t* stored = page->bytes.data();
        if (m_codec) {
            std::memcpy(after.data(), stored, m_pageSize);
            m_codec->encode(number, after.data(), m_pageSize);
            stored = after.data();
        }
        for (size_t sector = 0; sector < m_pageSize / kSector; ++sector)
            put32(j, at + 4 + m_pageSize + 4 * sector, checksum(0, stored + sector * kSector, kSector));
        const size_t record = extra + m_pageSize - 4;
        put32(j, at + record, checksum(nonce, j.data() + at, record));
        if ((i + 1) % kPagesPerWrite == 0 && i + 1 < numbers.size()) {
            writeAt(m_journalFd, j.data(), j.size(), written);
            written += j.size();
            j.clear();
        }
    }
    writeAt(m_journalFd, j.data(), j.size(), written);
    m_journalImages = static_cast<uint32_t>(numbers.size());
}

void PageFile::invalidateJournal()
{
    static const uint8_t zeros[kJournalHeader] = {};
    writeAt(m_journalFd, zeros, sizeof zeros, 0);
    // Left unflushed, the cleared header could come back after a power failure and take the
    // written group back with it.
    if (::fdatasync(m_journalFd) != 0)
        throw WriteFailure{errno};
}

void PageFile::emptyJournal()
{
    // A broken unit's journal is what the next open restores the file from.
    if (m_inUnit || m_broken || m_journalFd < 0)
        return;
    flush();
    // A failed truncation only leaves what was there before: no error for the caller.
    if (::ftruncate(m_journalFd, 0) == 0)
        ::fdatasync(m_journalFd);
    std::vector<uint8_t>().swap(m_journalBuffer);
}

void PageFile::restoreOriginals()
{
    // The journal is whole and on the disk (the file is touched only after that): its
    // images go back in place.
    const size_t recordSize = imageExtra(m_pageSize) + static_cast<size_t>(m_pageSize);
    std::vector<uint8_t> record(4 + static_cast<size_t>(m_pageSize));
    for (uint32_t i = 0; i < m_journalImages; ++i) {
        if (!readFully(m_journalFd, record.data(), record.size(), static_cast<off_t>(kJournalHeader + i * recordSize)))
            throw WriteFailure{EIO};
        const uint32_t number = get32(record.data());
        writeAt(m_fd, record.data() + 4, m_pageSize, static_cast<uint64_t>(number) * m_pageSize);
    }
    if (::ftruncate(m_fd, static_cast<off_t>(m_groupFileSize)) != 0)
        throw WriteFailure{errno};
    if (::fdatasync(m_fd) != 0)
        throw WriteFailure{errno};
}

void PageFile::commitUnit()
{
    if (!m_inUnit)
        return;
    writeDeferred();
    if (m_dirty.empty() && m_pageCount == m_unitPageCount) {
        endUnit();
        return;
    }
    if (m_memory)
        throw JetError("Interner Fehler: Eine neu angelegte Datei wird mit saveAs gespeichert.");
    const auto now = std::chrono::steady_clock::now();
    if (m_groupUnits == 0)
        m_groupSince = now;
    ++m_groupUnits;
    for (auto& [number, page] : m_dirty) {
        // The unit's bytes replace the group's; those in the spill file are of no use any more.
        PageEdit& held = m_pending[number];
        if (const auto aside = m_groupAside.find(number); aside != m_groupAside.end()) {
            m_groupOut -= !held;
            m_groupAside.erase(aside);
        }
        held = page;
        if (!page) {
            // Its slot in the spill file is the group's now.
            m_groupAside.emplace(number, m_spilled.at(number));
            ++m_groupOut;
        }
    }
    m_spilled.clear();
    m_fileSize = std::max(static_cast<uint64_t>(m_pageCount) * m_pageSize, m_unitFileSize);
    endUnit();
    if (m_durability == Durability::EveryUnit || m_pending.size() >= kGroupPages || now - m_groupSince >= kGroupTime) {
        m_inCommit = true;
        try {
            flush();
        } catch (...) {
            m_inCommit = false;
            throw;
        }
        m_inCommit = false;
    }
}

void PageFile::flush()
{
    if (m_inUnit)
        return;
    writeGroup();
}

void PageFile::writeGroup()
{
    if (m_memory || m_broken || m_groupUnits == 0)
        return;
    const int units = m_groupUnits;
    // With a unit open, the group ends where the unit began.
    const uint32_t pageCountAfter = m_inUnit ? m_unitPageCount : m_pageCount;
    const uint64_t fileSizeAfter = m_inUnit ? m_unitFileSize : m_fileSize;
    auto discardGroup = [&] {
        m_pending.clear();
        forgetGroupAside();
        m_groupOriginals.clear();
        m_groupUnits = 0;
        m_pageCount = m_groupPageCount;
        m_fileSize = m_groupFileSize;
        // An open unit built on the lost group; it can only be undone.
        m_unitPageCount = m_groupPageCount;
        m_unitFileSize = m_groupFileSize;
        m_cache.clear();
        m_lru.clear();
        m_cleanStamps.clear();
        discardDerived();
    };
    try {
        verifyName();
    } catch (const JetError&) {
        discardGroup();
        m_lost = true;
        throw;
    }
    // The group's pages in page order: the journal's images and runs of neighbouring pages.
    std::vector<uint32_t> order;
    order.reserve(m_pending.size());
    for (const auto& entry : m_pending)
        order.push_back(entry.first);
    std::sort(order.begin(), order.end());
    bool fileTouched = false;
    try {
        // The images reach the disk before any page they protect is overwritten, the pages
        // before the journal is cleared.
        writeJournal(m_pending, order, m_groupOriginals, m_groupFileSize, fileSizeAfter);
        if (::fdatasync(m_journalFd) != 0)
            throw WriteFailure{errno};
        fileTouched = true;
        // Runs of neighbouring pages go out in one write each (one page a write while a
        // test counts writes to fail).
        const uint32_t perWrite = m_failAt > 0 ? 1 : kPagesPerWrite;
        std::vector<uint8_t>& stored = m_journalBuffer;
        for (size_t run = 0; run < order.size();) {
            size_t end = run;
            uint32_t next = order[run];
            while (end < order.size() && order[end] == next && next - order[run] < perWrite) {
                ++end;
                ++next;
            }
            const size_t pages = end - run;
            stored.resize(pages * m_pageSize);
            size_t at = 0;
            for (size_t i = run; i < end; ++i, at += m_pageSize) {
                const PageRef page = groupPage(order[i]);
                std::memcpy(stored.data() + at, page->bytes.data(), m_pageSize);
                if (m_codec)
                    m_codec->encode(order[i], stored.data() + at, m_pageSize);
            }
            writeAt(m_fd, stored.data(), stored.size(), static_cast<uint64_t>(order[run]) * m_pageSize);
            m_pageWrites += pages;
            run = end;
        }
        if (::fdatasync(m_fd) != 0)
            throw WriteFailure{errno};
        invalidateJournal();
    } catch (const WriteFailure& failure) {
        const std::string detail = errnoText(failure.error);
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
        discardGroup();
        // Units that were reported finished are gone with this one: no later change may
        // build on what they did.
        if (units > 1 || !m_inCommit)
            m_lost = true;
        std::string state;
        if (m_broken)
            state = ". Die Änderung wird beim nächsten Öffnen zurückgenommen.";
        else if (m_flushes == 0)
            state = ". Die Datei ist unverändert.";
        else
            state = ". Die Datei ist im Stand nach der letzten vollständig geschriebenen Änderung; die "
                    + std::to_string(units) + " Änderungen danach fehlen ihr.";
        throw JetError("Die Datei " + m_path + " kann nicht geschrieben werden: " + detail + state);
    }
    ++m_flushes;
    // The written pages are the file's content now. Those the open unit changes since stay
    // out of the cache: the unit's copies are what is read while it lasts.
    if (!order.empty() && m_cleanStamps.size() <= order.back())
        m_cleanStamps.resize(order.back() + 1, 0);
    for (const uint32_t number : order) {
        const PageEdit& page = m_pending[number];
        m_cleanStamps[number] = page ? page->stamp : m_groupAside.at(number).stamp;
        if (!page || m_dirty.count(number))
            continue;  // aside (read from the file again when needed), or the unit's
        while (m_cache.size() >= m_cacheLimit) {
            m_cache.erase(m_lru.back());
            m_lru.pop_back();
        }
        m_lru.push_front(number);
        m_cache[number] = Entry{page, m_lru.begin()};
    }
    m_pending.clear();
    forgetGroupAside();
    m_groupOriginals.clear();
    m_groupUnits = 0;
    m_groupPageCount = pageCountAfter;
    m_groupFileSize = fileSizeAfter;
    // The file holds now what the open unit's pages were before it changed them.
    for (const auto& entry : m_dirty)
        if (entry.first < m_groupPageCount)
            m_groupOriginals.emplace(entry.first, true);
    // What the group's pages held goes back to the system, at most once a second: the walk
    // over the heap costs as much as writing a small group.
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastTrim >= kTrimInterval) {
        m_lastTrim = now;
        returnFreedMemory();
    }
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
        std::vector<uint32_t> afterSums;  // per sector
    };
    std::vector<Image> images;
    uint32_t pageSize = 0;
    uint64_t sizeBefore = 0;
    uint64_t sizeAfter = 0;
    uint32_t zeroBefore = 0;
    uint32_t zeroAfter = 0;
    uint64_t inode = 0;
    uint64_t fsid = 0;
    bool hot = false;
    uint8_t head[kJournalHeader];
    if (readFully(jfd, head, sizeof head, 0) && std::memcmp(head, kJournalMagic, sizeof kJournalMagic) == 0
        && get32(head + kJournalHeader - 4) == checksum(0, head, kJournalHeader - 4)) {
        pageSize = get32(head + 8);
        const uint32_t count = get32(head + 12);
        sizeBefore = get32(head + 16) | (static_cast<uint64_t>(get32(head + 20)) << 32);
        sizeAfter = get32(head + 24) | (static_cast<uint64_t>(get32(head + 28)) << 32);
        const uint32_t nonce = get32(head + 32);
        zeroBefore = get32(head + 36);
        zeroAfter = get32(head + 40);
        inode = get32(head + 48) | (static_cast<uint64_t>(get32(head + 52)) << 32);
        fsid = get32(head + 56) | (static_cast<uint64_t>(get32(head + 60)) << 32);
        hot = pageSize >= 512 && pageSize <= 65536 && count < (1u << 24);
        hot = hot && pageSize % kSector == 0;
        const size_t record = hot ? imageExtra(pageSize) + pageSize - 4 : 0;
        std::vector<uint8_t> image(record + 4);
        for (uint32_t i = 0; hot && i < count; ++i) {
            const off_t at = static_cast<off_t>(kJournalHeader + static_cast<uint64_t>(i) * image.size());
            if (!readFully(jfd, image.data(), image.size(), at)
                || get32(image.data() + record) != checksum(nonce, image.data(), record)) {
                hot = false;  // torn while being written: the file was not touched yet
                break;
            }
            Image im{get32(image.data()), std::vector<uint8_t>(image.begin() + 4, image.begin() + 4 + pageSize), {}};
            for (size_t sector = 0; sector < pageSize / kSector; ++sector)
                im.afterSums.push_back(get32(image.data() + 4 + pageSize + 4 * sector));
            images.push_back(std::move(im));
        }
    }
    ::close(jfd);

    const std::string locked =
        "Die Datei " + m_path + " ist gesperrt: Sie wird bereits von einem anderen Programm verwendet.";
    if (hot) {
        // Only the state the journal was written for may be put back: the same file, and
        // every page it names as it was before or after the change.
        const char* foreign = nullptr;
        struct stat st {};
        if (::fstat(m_fd, &st) != 0)
            throw JetError("Die Datei " + m_path + " kann nicht gelesen werden: " + errnoText(errno) + ".");
        const uint64_t size = static_cast<uint64_t>(st.st_size);
        if (static_cast<uint64_t>(st.st_ino) != inode || fileSystemId(m_fd) != fsid)
            foreign = "es wurde für eine andere Datei geschrieben";
        else if (size < std::min(sizeBefore, sizeAfter) || size > std::max(sizeBefore, sizeAfter))
            foreign = "die Größe der Datei passt nicht dazu";
        std::vector<uint8_t> onDisk(pageSize);
        const bool zeroImaged =
            std::any_of(images.begin(), images.end(), [](const Image& im) { return im.number == 0; });
        if (!foreign && !zeroImaged) {  // else its sectors are checked below
            const bool read = size >= pageSize && readFully(m_fd, onDisk.data(), pageSize, 0);
            const uint32_t sum = read ? checksum(0, onDisk.data(), pageSize) : 0;
            if (!read || (sum != zeroBefore && sum != zeroAfter))
                foreign = "die Kopfseite der Datei passt nicht dazu";
        }
        for (size_t i = 0; !foreign && i < images.size(); ++i) {
            const Image& im = images[i];
            const uint64_t at = static_cast<uint64_t>(im.number) * pageSize;
            if (at + pageSize > size) {
                foreign = "die Datei ist kürzer als die Seiten, die es zurückschreiben würde";
                break;
            }
            if (!readFully(m_fd, onDisk.data(), pageSize, static_cast<off_t>(at)))
                throw JetError("Die Datei " + m_path + " kann nicht gelesen werden (Seite " + std::to_string(im.number)
                               + ").");
            // Sector by sector, since a power failure may tear a page's write.
            for (size_t sector = 0; sector < pageSize / kSector && !foreign; ++sector) {
                const uint8_t* now = onDisk.data() + sector * kSector;
                if (std::memcmp(now, im.bytes.data() + sector * kSector, kSector) != 0
                    && checksum(0, now, kSector) != im.afterSums[sector])
                    foreign = "eine Seite der Datei ist weder im Stand vor noch nach der unterbrochenen Änderung";
            }
        }
        if (foreign)
            throw JetError("Das Journal " + jpath + " gehört nicht zu dieser Datei (" + foreign
                           + "). Die Datei " + m_path + " wird nicht geöffnet und bleibt unverändert. Wurde die Datei "
                             "aus einer Sicherung zurückgespielt oder gehört das Journal zu einer anderen Datei, "
                             "verschieben oder löschen Sie das Journal und öffnen Sie die Datei erneut; sonst "
                             "gehört die Datei zusammen mit dem Journal an ihren ursprünglichen Ort zurück.");

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
        if (failure == 0 && ::ftruncate(wfd, static_cast<off_t>(sizeBefore)) != 0)
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

void PageStamps::remember(PageFile& file, const std::vector<uint32_t>& pages)
{
    m_pages.clear();
    for (uint32_t number : pages)
        m_pages.emplace_back(number, file.page(number)->stamp);
    m_changeCount = file.changeCount();
}

bool PageStamps::current(PageFile& file) const
{
    if (m_changeCount == file.changeCount())
        return true;
    for (const auto& [number, stamp] : m_pages)
        if (!file.hasPage(number) || file.stampOf(number) != stamp)
            return false;
    m_changeCount = file.changeCount();
    return true;
}

}  // namespace db::jet
