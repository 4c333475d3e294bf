// Opening a file and reading its catalog.
#include "db/jet/Database.h"

#include "db/jet/Scrub.h"

#include "db/jet/Properties.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace db::jet {

namespace {

bool sameName(const std::string& a, const char* b)
{
    const std::string bb(b);
    return a.size() == bb.size()
           && std::equal(a.begin(), a.end(), bb.begin(), [](char x, char y) {
                  return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
              });
}

int findColumn(const TableDef& def, const char* name)
{
    for (size_t i = 0; i < def.columns.size(); ++i)
        if (sameName(def.columns[i].name, name))
            return static_cast<int>(i);
    return -1;
}

int columnIndex(const TableDef& def, const char* name)
{
    const int i = findColumn(def, name);
    if (i < 0)
        JET_CORRUPT(kCatalogPage, "Systemkatalog", std::string("die Spalte ") + name + " fehlt");
    return i;
}

}  // namespace

std::unique_ptr<Database> Database::open(const std::string& path, const std::string& password, AccessMode mode,
                                         size_t cachePages)
{
    std::unique_ptr<Database> db(new Database());
    db->m_file = std::make_unique<PageFile>(path, mode, cachePages);
    return finishOpen(std::move(db), path, password);
}

std::unique_ptr<Database> Database::open(int fd, const std::string& path, const std::string& password,
                                         AccessMode mode)
{
    std::unique_ptr<Database> db(new Database());
    db->m_file = std::make_unique<PageFile>(fd, path, mode);
    return finishOpen(std::move(db), path, password);
}

std::unique_ptr<Database> Database::finishOpen(std::unique_ptr<Database> db, const std::string& path,
                                               const std::string& password)
{
    db->m_header = DatabaseHeader::parse(db->m_file->readPrefix(4096), path);
    if (!db->m_header.acceptsPassword(password))
        throw JetError("Das Kennwort für die Datenbank " + path + " ist falsch.");
    std::unique_ptr<PageCodec> codec;
    if (db->m_header.encodedPages())
        codec = std::make_unique<Rc4PageCodec>(db->m_header.databaseKey);
    db->m_file->configure(db->m_header.pageSize, std::move(codec));
    if (db->m_file->pageCount() <= kCatalogPage)
        throw JetError("Die Datei " + path + " ist zu kurz für eine Access-Datenbank.");
    db->m_space = std::make_unique<Space>(*db->m_file, db->m_header.format());
    db->m_space->setUsedPages([raw = db.get()] { return usedPages(*raw); });
    db->readCatalog();
    return db;
}

void Database::readCatalog()
{
    const Format& f = format();
    m_catalog = std::make_unique<Table>(*m_file, m_header, *m_space, "MSysObjects",
                                        readTableDef(*m_file, f, kCatalogPage, m_header.codePage));
    const TableDef& def = m_catalog->def();
    const int id = columnIndex(def, "Id");
    const int name = columnIndex(def, "Name");
    const int type = columnIndex(def, "Type");
    const int flags = columnIndex(def, "Flags");
    const int properties = findColumn(def, "LvProp");
    m_allTables.push_back({"MSysObjects", kCatalogPage, kObjectFlagsSystem, {}});
    std::set<uint32_t> seen{kCatalogPage};
    Table::ScanState scan;
    Table::Row row;
    while (m_catalog->next(scan, row)) {
        const Value t = m_catalog->value(row, static_cast<size_t>(type));
        const Value i = m_catalog->value(row, static_cast<size_t>(id));
        if (t.kind != Value::Kind::Integer || t.integer != kObjectTypeTable || i.kind != Value::Kind::Integer)
            continue;
        const Value fl = m_catalog->value(row, static_cast<size_t>(flags));
        const uint32_t fv = fl.kind == Value::Kind::Integer ? static_cast<uint32_t>(fl.integer) : 0;
        const Value n = m_catalog->value(row, static_cast<size_t>(name));
        const uint32_t page = static_cast<uint32_t>(i.integer) & 0x00FFFFFF;
        if (!seen.insert(page).second)
            continue;
        const bool named = n.kind == Value::Kind::Text;
        m_allTables.push_back({named ? n.bytes : std::to_string(page), page, fv, {}});
        if ((fv & kObjectFlagsSystem) || !named)
            continue;
        CatalogEntry entry{n.bytes, page, fv, {}};
        if (properties >= 0) {
            // A damaged blob leaves the table readable; what it would allow to be written
            // is not known, so its rules refuse every insert and update.
            try {
                const Value p = m_catalog->value(row, static_cast<size_t>(properties));
                if (p.kind == Value::Kind::Blob)
                    entry.rules = ColumnRules(decodeProperties(p.bytes, f.jet3, m_header.codePage));
            } catch (const CorruptError& e) {
                entry.rules = ColumnRules::unreadable(e.what());
            }
        }
        m_userTables.push_back(std::move(entry));
    }
}

Table& Database::anyTable(const CatalogEntry& entry)
{
    if (entry.tableDefPage == kCatalogPage)
        return *m_catalog;
    for (const CatalogEntry& e : m_userTables)
        if (e.tableDefPage == entry.tableDefPage)
            return table(e);
    return table(entry);
}

Table* Database::tableAt(uint32_t tableDefPage)
{
    for (const CatalogEntry& e : m_userTables)
        if (e.tableDefPage == tableDefPage)
            return &table(e);
    return nullptr;
}

Table& Database::table(const CatalogEntry& entry)
{
    auto it = m_tables.find(entry.tableDefPage);
    if (it == m_tables.end()) {
        TableDef def = readTableDef(*m_file, format(), entry.tableDefPage, m_header.codePage);
        it = m_tables
                 .emplace(entry.tableDefPage, std::make_unique<Table>(*m_file, m_header, *m_space, entry.name,
                                                                      std::move(def), entry.rules))
                 .first;
        it->second->setTableResolver([this](uint32_t page) { return tableAt(page); });
    }
    return *it->second;
}

}  // namespace db::jet
