// A new Access file (Jet 4, the format of Access 2000 to 2003) made in one pass: tables
// with their columns and rows, the catalog, the usage maps and the header with its
// database password. The sample databases ship in the product's own format through it,
// and it gives the reader files whose every byte we chose.
// Layer: orchestration above the table layer: the pages are laid out in memory by the same
// code that changes existing files, and written to a file that did not exist.
//
// It writes Access's system catalog as Access lays it out in a new database (MSysObjects
// with its containers and database objects, MSysACEs, MSysQueries, MSysRelationships),
// so that other readers and writers of Access files accept the file. A table's primary
// key and indexes are B-trees kept by the same code that keeps them in existing files,
// entry by entry as the rows arrive. It writes no column properties, no relationships and
// not MSysAccessObjects, the table Access keeps for its own forms.
#pragma once

#include "db/jet/JetFormat.h"
#include "db/jet/Value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace db::jet {

struct NewColumn {
    std::string name;  // UTF-8, at most 64 characters
    ColumnType type = ColumnType::Long;
    uint16_t textLength = 0;  // Text: most characters (1 to 255); Binary: most bytes
    bool autoNumber = false;  // Long only: Access hands out the next number
    bool required = false;    // Access's "Required" (a column property): no NULL
};

// An index of a new table: its columns (by name, ascending), and whether it is the
// primary key (unique, no NULLs; Access names it "PrimaryKey") or unique.
struct NewIndex {
    std::string name;  // at most 64 characters
    std::vector<std::string> columns;  // 1 to 10
    bool primaryKey = false;
    bool unique = false;
};

struct NewFileOptions {
    std::string password;     // UTF-8, at most 20 characters; empty: none
    uint32_t pageKey = 0;     // not 0: every page but the header is RC4-encoded with it
    double creationDate = 0;  // Access days; the password is masked with its whole days
};

class NewDatabaseFile {
public:
    // Throws JetError when the password is too long.
    explicit NewDatabaseFile(NewFileOptions options);
    ~NewDatabaseFile();
    NewDatabaseFile(const NewDatabaseFile&) = delete;
    NewDatabaseFile& operator=(const NewDatabaseFile&) = delete;

    // Supported types: Boolean, Byte, Integer, Long, Currency, Single, Double, DateTime,
    // Binary, Text, Ole, Memo. Returns the number to add rows under. Throws JetError (German)
    // for a name or type the format or this writer cannot hold, and for an index over a
    // column type whose keys are not known with certainty (Boolean, Binary, OLE: see
    // keyTypeCertain).
    size_t addTable(const std::string& name, const std::vector<NewColumn>& columns,
                    const std::vector<NewIndex>& indexes = {});

    // One value per column, in column order: Null; Integer for Boolean (not 0 = true) and
    // the whole-number types; Integer or Real for Currency, Single and Double; Real (Access
    // days) or Text "YYYY-MM-DD[ HH:MM:SS]" for DateTime; Text (UTF-8) for Text and Memo;
    // Blob for Binary and Ole. Throws JetError naming table and column for a value that
    // does not fit, and Access's message for a duplicate in a unique index; the table is
    // then as before the call.
    void addRow(size_t table, const std::vector<Value>& values);

    // Lays out the catalog and writes the file. `path` must not exist; on failure no file
    // is left behind. Throws JetError (German). Call once.
    void write(const std::string& path);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

}  // namespace db::jet
