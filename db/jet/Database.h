// An opened Access file: its page file, header, catalog of user tables and the tables.
// Layer: catalog and entry point of the engine below SQL; no SQLite here.
#pragma once

#include "db/jet/DatabaseHeader.h"
#include "db/jet/PageFile.h"
#include "db/jet/Space.h"
#include "db/jet/Table.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace db::jet {

struct CatalogEntry {
    std::string name;
    uint32_t tableDefPage = 0;
    uint32_t flags = 0;
    ColumnRules rules;  // what Access enforces on a write (Required, ...), from the properties
};

// The catalog (MSysObjects) lives at this TDEF page in every file.
inline constexpr uint32_t kCatalogPage = 2;
// MSysObjects: Type of a local table, and the Flags bits of system tables.
inline constexpr int kObjectTypeTable = 1;
inline constexpr uint32_t kObjectFlagsSystem = 0x80000002;

class Database {
public:
    // Opens, locks and checks the password (see attachAccessFile for the rules). Throws
    // JetError with a German message naming the file.
    static std::unique_ptr<Database> open(const std::string& path, const std::string& password,
                                          AccessMode mode, size_t cachePages = PageFile::kDefaultCachePages);
    // The same on a descriptor the caller opened on `path`; the database owns it from here.
    static std::unique_ptr<Database> open(int fd, const std::string& path, const std::string& password,
                                          AccessMode mode);

    PageFile& file() { return *m_file; }
    Space& space() { return *m_space; }
    const DatabaseHeader& header() const { return m_header; }
    const Format& format() const { return m_header.format(); }

    // User tables in catalog order.
    const std::vector<CatalogEntry>& userTables() const { return m_userTables; }
    // Every table the catalog names, each once: the catalog itself first, then in catalog
    // order, system tables included (their flags carry kObjectFlagsSystem). A table whose
    // name is not text is named by its definition page. Read once when the file opens.
    const std::vector<CatalogEntry>& allTables() const { return m_allTables; }
    // The table an entry of allTables() names: the catalog for the catalog's own entry.
    Table& anyTable(const CatalogEntry& entry);
    // The table whose definition starts at `tableDefPage` (read on first use).
    Table& table(const CatalogEntry& entry);
    // The user table whose definition starts at `tableDefPage`, or nullptr.
    Table* tableAt(uint32_t tableDefPage);
    Table& catalogTable() { return *m_catalog; }

    // Whether the whole file was checked and found sound since it was opened: the first
    // change of a connection waits for that, so that nothing is built on a damaged file.
    bool checkedForWrites() const { return m_checkedForWrites; }
    void setCheckedForWrites() { m_checkedForWrites = true; }

private:
    Database() = default;
    static std::unique_ptr<Database> finishOpen(std::unique_ptr<Database> db, const std::string& path,
                                                const std::string& password);
    void readCatalog();

    std::unique_ptr<PageFile> m_file;
    std::unique_ptr<Space> m_space;
    DatabaseHeader m_header;
    std::unique_ptr<Table> m_catalog;
    std::vector<CatalogEntry> m_userTables;
    std::vector<CatalogEntry> m_allTables;
    std::map<uint32_t, std::unique_ptr<Table>> m_tables;
    bool m_checkedForWrites = false;
};

}  // namespace db::jet
