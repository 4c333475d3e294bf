// Table definitions of the sample databases and the SQL that creates them.
// Layer: sample tool. The declared types are a contract with the database layer,
// which maps them to column kinds: VARCHAR(n) text with a length check (an over-long
// value is rejected as the Access engine rejects it), LONGTEXT memo, INTEGER/SMALLINT/
// BYTE whole numbers, DATETIME as 'YYYY-MM-DD HH:MM:SS' text, BOOLEAN 0/1, LONGBINARY
// bytes, DOUBLE floating numbers. Text columns use SQLite's own NOCASE, so that stock SQLite
// tools agree with the indexes; the anonymiser adds the Access comparison in its statements.
#pragma once

#include <string>
#include <vector>

namespace sample {

class SqliteFile;

enum class ColumnKind { Key, Text, Memo, Integer, SmallInt, Byte, DateTime, Boolean, Binary, Double };

struct ColumnDef {
    std::string name;
    ColumnKind kind = ColumnKind::Integer;
    int size = 0;             // characters, for Text
    bool primaryKey = false;  // a text key (the directory's school number)
};

struct IndexDef {
    std::vector<std::string> columns;
    bool unique = false;
};

struct TableDef {
    std::string name;
    std::vector<ColumnDef> columns;
    std::vector<IndexDef> indexes;
};

// Builds a definition from a compact column list: "ID:key Name:t120 Bemerkungen:memo
// Geburtsdatum:dt Geschlecht:int Anzahl:small Stufe:byte Aktiv:bool Foto:bin Note:dbl
// Sichtbar:flag"; "t6!" is a text primary key. Indexes: "Name,Vorname" is one index
// over two columns, a leading "!" makes it unique. Columns that hold the key of a
// student, a learning period, a teacher, a course or a performance row are indexed
// without being named. Every table of the product carries SchulnrEigner; withOwner
// appends it.
TableDef makeTable(const std::string& name, const std::string& columns,
                   const std::vector<std::string>& indexes = {}, bool withOwner = true);

std::string createTableSql(const TableDef& table);
std::vector<std::string> createIndexSql(const TableDef& table);

// The columns of a table in order, for inserts.
std::vector<std::string> columnNames(const TableDef& table);

}  // namespace sample
