// The page file: an Access file opened and locked, read and (later) written as whole
// pages by number through one bounded cache, with page encoding applied in one place.
// Layer: lowest engine layer above the operating system. Knows nothing of rows or tables.
// The writer will add the rollback journal in writePage/commit: nothing else touches
// the file descriptor.
#pragma once

#include "db/jet/ByteView.h"
#include "db/jet/JetSqlite.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace db::jet {

struct Page {
    uint32_t number = 0;
    std::vector<uint8_t> bytes;
    ByteView view() const { return ByteView(bytes.data(), bytes.size(), number); }
    uint8_t type() const { return bytes.empty() ? 0xFF : bytes[0]; }
};

// Pages stay valid while referenced, even after the cache dropped them.
using PageRef = std::shared_ptr<const Page>;

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

class PageFile {
public:
    static constexpr size_t kDefaultCachePages = 2048;

    // Opens and locks the file; throws JetError (German) when it is missing, unreadable or
    // locked by another program.
    PageFile(const std::string& path, AccessMode mode, size_t cachePages = kDefaultCachePages);
    ~PageFile();
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    const std::string& path() const { return m_path; }
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
    // whatever pointed there; `field` names that pointer in the message.
    PageRef page(uint32_t number, const char* field = "Seitenverweis");

    // Single place for page writes. Until the writer lands every call fails and no byte of
    // the file changes.
    void writePage(uint32_t number, const std::vector<uint8_t>& bytes);

    size_t cachedPages() const { return m_cache.size(); }
    size_t cacheLimit() const { return m_cacheLimit; }
    uint64_t pageReads() const { return m_pageReads; }

private:
    struct Entry {
        PageRef page;
        std::list<uint32_t>::iterator lru;
    };

    std::string m_path;
    AccessMode m_mode;
    int m_fd = -1;
    uint64_t m_fileSize = 0;
    uint32_t m_pageSize = 0;
    uint32_t m_pageCount = 0;
    std::unique_ptr<PageCodec> m_codec;
    size_t m_cacheLimit;
    std::unordered_map<uint32_t, Entry> m_cache;
    std::list<uint32_t> m_lru;  // most recently used first
    uint64_t m_pageReads = 0;
};

}  // namespace db::jet
