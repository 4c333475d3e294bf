// Opening, locking and page reads of an Access file.
#include "db/jet/PageFile.h"

#include "db/jet/Rc4.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace db::jet {

namespace {

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

PageFile::PageFile(const std::string& path, AccessMode mode, size_t cachePages)
    : m_path(path), m_mode(mode), m_cacheLimit(cachePages < 8 ? 8 : cachePages)
{
    const bool write = mode == AccessMode::ReadWriteExclusive;
    m_fd = ::open(path.c_str(), (write ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (m_fd < 0) {
        const int e = errno;
        if (e == ENOENT)
            throw JetError("Die Datei " + path + " wurde nicht gefunden.");
        if (e == EACCES || e == EPERM || e == EROFS)
            throw JetError("Die Datei " + path + " kann nicht geöffnet werden: Zugriff verweigert.");
        throw JetError("Die Datei " + path + " kann nicht geöffnet werden: " + std::strerror(e) + ".");
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        throw JetError("Die Datei " + path + " ist keine gewöhnliche Datei.");
    }
    if (::flock(m_fd, (write ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        const int e = errno;
        ::close(m_fd);
        if (e == EWOULDBLOCK)
            throw JetError("Die Datei " + path + " wird bereits von einem anderen Programm verwendet.");
        throw JetError("Die Datei " + path + " kann nicht gesperrt werden: " + std::strerror(e) + ".");
    }
    m_fileSize = static_cast<uint64_t>(st.st_size);
}

PageFile::~PageFile()
{
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
    if (number >= m_pageCount)
        JET_CORRUPT(kNoPage, field,
                    "Seite " + std::to_string(number) + " liegt hinter dem Dateiende (die Datei hat "
                        + std::to_string(m_pageCount) + " Seiten)");
    const auto it = m_cache.find(number);
    if (it != m_cache.end()) {
        m_lru.splice(m_lru.begin(), m_lru, it->second.lru);
        return it->second.page;
    }
    auto page = std::make_shared<Page>();
    page->number = number;
    page->bytes.resize(m_pageSize);
    if (!readFully(m_fd, page->bytes.data(), m_pageSize, static_cast<off_t>(number) * m_pageSize))
        throw JetError("Die Datei " + m_path + " kann nicht gelesen werden (Seite "
                       + std::to_string(number) + ").");
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

void PageFile::writePage(uint32_t, const std::vector<uint8_t>&)
{
    throw JetError("Die Datei " + m_path
                   + " ist schreibgeschützt: Das Schreiben in Access-Dateien wird noch nicht unterstützt.");
}

}  // namespace db::jet
