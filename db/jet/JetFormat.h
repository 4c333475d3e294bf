// The Access file format as constants: every on-disk structure the engine reads, with
// its offsets and sizes, each table directly above the constants taken from it.
// Layer: shared constants; no code that reads pages. All numbers are little-endian.
// The writer takes every offset and constant from here as well.
// The longer story, with the fixture that showed each fact, is docs/access-format.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace db::jet {

// ---------------------------------------------------------------------------------------
// Page 0, the database header (not page-encoded; bytes 0x18.. are masked, see below)
//
// OFFSET  SIZE  DESCRIPTION
//  0x00     1   page type 0x00
//  0x04    15   "Standard Jet DB" (.mdb) or "Standard ACE DB" (.accdb)
//  0x14     1   version: 0 Jet 3 (2 KB pages), 1 Jet 4, 2 ACE 12, 3 ACE 14, 5 ACE 16, 6 ACE 17
//  0x18   126/128  masked region (Jet 3 / Jet 4+): XOR with the RC4 key stream of the
//                  fixed key kHeaderMaskKey; the fields below are read after unmasking
//  0x3A     2   Jet 3: sort order (LCID)
//  0x3C     2   code page of text (Jet 3 text columns; 1252 in every fixture)
//  0x3E     4   page-encoding key; 0 = pages are stored plain
//  0x42    20/40  database password (Jet 3: code page bytes; Jet 4: UTF-16LE, further
//                 XORed with the low 32 bits of the creation date repeated); ACE: verifier
//  0x6E     4   Jet 4+: sort order: LCID (2 bytes), sort id, sort version
//  0x72     8   Jet 4+: creation date (double, days since 1899-12-30)
// What Access writes besides (every Jet 4 fixture; new files write the same):
//  0x18    24   (masked) six 32-bit values 0x100, 0x101, 2, 3, 4, 5
//  0x6A     2   (masked) a build number of the engine that made the file (8618 in
//               testV2000.mdb, 9025, 9511, 6218 and 4518 in others)
//  0x98     4   (plain) 0x0654
//  0x9C     4   (plain) "4.0" and a zero byte
// ---------------------------------------------------------------------------------------
inline constexpr uint32_t kHeaderMinSize = 0x9C;
inline constexpr uint32_t kHeaderSignatureOffset = 0x04;
inline constexpr uint32_t kHeaderSignatureSize = 15;
inline constexpr char kHeaderSignatureJet[] = "Standard Jet DB";
inline constexpr char kHeaderSignatureAce[] = "Standard ACE DB";
// Whether `head` (the file's first `size` bytes) carries one of the two signatures; the
// quick test of file kind before anything is decoded. Nothing: neither. Else whether ACE.
enum class AccessSignature { None, Jet, Ace };
inline AccessSignature accessSignature(const void* head, size_t size)
{
    if (size < kHeaderSignatureOffset + kHeaderSignatureSize)
        return AccessSignature::None;
    const char* sig = static_cast<const char*>(head) + kHeaderSignatureOffset;
    if (std::memcmp(sig, kHeaderSignatureJet, kHeaderSignatureSize) == 0)
        return AccessSignature::Jet;
    if (std::memcmp(sig, kHeaderSignatureAce, kHeaderSignatureSize) == 0)
        return AccessSignature::Ace;
    return AccessSignature::None;
}
inline constexpr uint32_t kHeaderVersionOffset = 0x14;
inline constexpr uint32_t kHeaderMaskedOffset = 0x18;
inline constexpr uint32_t kHeaderMaskedSizeJet3 = 126;
inline constexpr uint32_t kHeaderMaskedSizeJet4 = 128;
inline constexpr uint8_t kHeaderMaskKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
inline constexpr uint32_t kHeaderSortOrderJet3 = 0x3A;
inline constexpr uint32_t kHeaderCodePage = 0x3C;
inline constexpr uint32_t kHeaderDatabaseKey = 0x3E;
inline constexpr uint32_t kHeaderPassword = 0x42;
inline constexpr uint32_t kHeaderPasswordSizeJet3 = 20;
inline constexpr uint32_t kHeaderPasswordSizeJet4 = 40;
inline constexpr uint32_t kHeaderSortOrderJet4 = 0x6E;
inline constexpr uint32_t kHeaderCreationDate = 0x72;
inline constexpr uint32_t kHeaderEngineSlots = 0x18;
inline constexpr uint32_t kHeaderEngineSlotValues[6] = {0x100, 0x101, 2, 3, 4, 5};
inline constexpr uint32_t kHeaderEngineBuild = 0x6A;
inline constexpr uint16_t kEngineBuildWritten = 8618;  // as in testV2000.mdb
inline constexpr uint32_t kHeaderPlain98 = 0x98;
inline constexpr uint32_t kHeaderPlain98Value = 0x0654;
inline constexpr uint32_t kHeaderEngineVersionText = 0x9C;
inline constexpr char kEngineVersionText[] = "4.0";

inline constexpr uint8_t kVersionJet3 = 0;
inline constexpr uint8_t kVersionJet4 = 1;

// Page types (first byte of every page).
inline constexpr uint8_t kPageDatabase = 0x00;
inline constexpr uint8_t kPageData = 0x01;
inline constexpr uint8_t kPageTableDef = 0x02;
inline constexpr uint8_t kPageIndexNode = 0x03;
inline constexpr uint8_t kPageIndexLeaf = 0x04;
inline constexpr uint8_t kPageUsageBitmap = 0x05;

// Byte 1 of every data, definition and usage-bitmap page in the fixtures.
inline constexpr uint8_t kPageMarker = 0x01;

// ---------------------------------------------------------------------------------------
// Data page (type 0x01); long-value pages are data pages whose owner reads "LVAL"
//
// OFFSET (Jet3/Jet4)  SIZE  DESCRIPTION
//  0x00 / 0x00         1   page type 0x01
//  0x01 / 0x01         1   0x01
//  0x02 / 0x02         2   free space: the gap between the row offset table and the lowest
//                          row
//  0x04 / 0x04         4   owner: TDEF page of the table, or the bytes "LVAL"
//    -  / 0x08         4   Jet 4 only: unused
//  0x08 / 0x0C         2   number of row slots
//  0x0A / 0x0E       2*n   row offset table, one entry per slot:
//                          bits 0-12 offset of the row in the page, 0x4000 the row holds a
//                          4-byte pointer to where the row lives now, 0x8000 deleted.
//                          Slot i ends where slot i-1 starts (slot 0 at the page end).
//                          Access marks a removed row 0xC000 and gives its bytes back
//                          (length 0); the target of a moved row carries 0x8000 so that
//                          scans skip it.
// ---------------------------------------------------------------------------------------
inline constexpr uint32_t kDataFreeSpace = 0x02;
inline constexpr uint32_t kDataOwner = 0x04;
inline constexpr uint16_t kRowOffsetMask = 0x1FFF;
inline constexpr uint16_t kRowFlagOverflow = 0x4000;
inline constexpr uint16_t kRowFlagDeleted = 0x8000;
inline constexpr uint16_t kRowRemoved = kRowFlagDeleted | kRowFlagOverflow;
inline constexpr uint32_t kLongValueOwner = 0x4C41564C;  // "LVAL"
// A row id carries the slot in 8 bits, so no page can hold more slots; the writer stops
// one short of that, as Access does.
inline constexpr unsigned kMaxRowsPerPage = 256;
inline constexpr unsigned kMaxRowsWritten = 255;
// A row that moved leaves this pointer (row: 1, page: 3) in its home slot.
inline constexpr uint32_t kRowPointerSize = 4;
// A row's address, as row pointers, long-value pointers and index entries hold it: the
// page above the slot's 8 bits. The engine's row ids are the same number.
inline constexpr uint64_t makeRowId(uint32_t page, unsigned slot) { return (static_cast<uint64_t>(page) << 8) | slot; }
inline constexpr uint32_t rowIdPage(uint64_t rowId) { return static_cast<uint32_t>(rowId >> 8); }
inline constexpr unsigned rowIdSlot(uint64_t rowId) { return static_cast<unsigned>(rowId & 0xFF); }

// ---------------------------------------------------------------------------------------
// Row (Jet 4; Jet 3 in brackets)
//
//  [colCount: 2 (1)] [fixed data] [variable data]
//  [varTable: (varCount+1) * 2 (1), last entry first; Jet 3 adds a jump table]
//  [varCount: 2 (1)] [null mask: (colCount+7)/8, bit per column number, 1 = present]
//
// The variable part (table and count) is absent when the table has no variable columns.
// Boolean columns have no data: the null-mask bit is the value.
// Jet 3 offsets are one byte; the jump table (one byte per 256 bytes of row, stored just
// below varCount, last entry first) holds, for each 256-byte boundary, the index of the
// first varTable entry at or past it.
// ---------------------------------------------------------------------------------------

// ---------------------------------------------------------------------------------------
// Long value (memo, OLE) as stored in the row: 12 bytes, followed by the data if inline
//
// OFFSET  SIZE  DESCRIPTION
//  0x00     4   length in bits 0-29; 0x80000000 data follows inline, 0x40000000 data is
//               the whole row (row, page) below, neither: chain of rows, each starting
//               with a 4-byte pointer (row:1, page:3) to the next, 0 on the last
//  0x04     1   row
//  0x05     3   page
//  0x08     4   chain stamp (equal to the first chain page's bytes 0x08..0x0B)
// ---------------------------------------------------------------------------------------
inline constexpr uint32_t kLongValueHeaderSize = 12;
inline constexpr uint32_t kLongValueLengthMask = 0x3FFFFFFF;
inline constexpr uint32_t kLongValueInline = 0x80000000;
inline constexpr uint32_t kLongValueSinglePage = 0x40000000;
// Values up to this many bytes stay in the row (test2V2000.mdb's short memos).
inline constexpr uint32_t kLongValueInlineLimit = 64;
// Each row of a chain starts with the pointer to the next row.
inline constexpr uint32_t kLongValueChainPointer = 4;

// ---------------------------------------------------------------------------------------
// Usage map (a row on a data page, found by a 4-byte pointer: row in byte 0, page in
// bytes 1-3)
//
//  type 0 (inline):    [0x00] [start page: 4] [bitmap: bit i = page start+i]
//  type 1 (reference): [0x01] [page: 4]... each a bitmap page (type 0x05) whose bytes from
//                      offset 4 on map pages k*(pageSize-4)*8 + bit for the k-th pointer
// ---------------------------------------------------------------------------------------
//
// Access writes both kinds as rows of 69 bytes: 1 + 4 + 64 bitmap bytes (512 pages), or
// 1 + 17 page pointers. A bitmap page is [0x05] [0x01] [0: 2] [bits...].
// Page 1 holds, as row 0, the file's map of free pages: an inline map whose bits past the
// end of the file are set; Access widens its bitmap as the file grows (testV2000.mdb: 96
// bytes for 743 pages). Large files carry a reference map there instead
// (testRefGlobalV2000.mdb: 101 bytes, 25 slots, none naming a bitmap page, the last
// holding 0xFFFFFF80), and files of a second writer an inline window starting elsewhere. In every Jet 4 fixture page 1 names itself (1) as its owner and
// holds a second row: an inline map of 69 zero bytes.
// ---------------------------------------------------------------------------------------
inline constexpr uint8_t kUsageMapInline = 0x00;
inline constexpr uint8_t kUsageMapReference = 0x01;
inline constexpr uint32_t kUsageMapStartPage = 1;
inline constexpr uint32_t kUsageMapBitmap = 5;
inline constexpr uint32_t kUsageMapInlineBytes = 64;
inline constexpr uint32_t kUsageMapReferenceSlots = 17;
inline constexpr uint32_t kUsageMapRowSize = 1 + 4 * kUsageMapReferenceSlots;  // 69, both kinds
inline constexpr uint32_t kUsageBitmapPageData = 4;
inline constexpr uint32_t kFreePageMapPage = 1;
// Page numbers are 24 bits wide where rows name them.
inline constexpr uint32_t kMaxPages = 0x1000000;

// Column types.
enum class ColumnType : uint8_t {
    Boolean = 0x01,
    Byte = 0x02,
    Integer = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Single = 0x06,
    Double = 0x07,
    DateTime = 0x08,
    Binary = 0x09,
    Text = 0x0A,
    Ole = 0x0B,
    Memo = 0x0C,
    Guid = 0x0F,
    Numeric = 0x10,
    Complex = 0x12,
    BigInt = 0x13,
    DateTimeExtended = 0x14,
};

// Width of a fixed column's data in the row; 0 for types without fixed width.
inline uint16_t fixedColumnWidth(ColumnType t)
{
    switch (t) {
    case ColumnType::Byte: return 1;
    case ColumnType::Integer: return 2;
    case ColumnType::Long: return 4;
    case ColumnType::Currency: return 8;
    case ColumnType::Single: return 4;
    case ColumnType::Double: return 8;
    case ColumnType::DateTime: return 8;
    case ColumnType::Guid: return 16;
    case ColumnType::Numeric: return 17;
    case ColumnType::Complex: return 4;
    case ColumnType::BigInt: return 8;
    case ColumnType::DateTimeExtended: return 42;
    default: return 0;
    }
}

// Descriptor byte "flags" of a column as Access writes it for new columns.
inline constexpr uint16_t kGeneralSortOrder = 0x0409;  // "General", LCID 1033
inline constexpr uint16_t kCodePage1252 = 1252;

// Column flags (descriptor byte "flags").
inline constexpr uint8_t kColumnFixed = 0x01;
inline constexpr uint8_t kColumnNullable = 0x02;
inline constexpr uint8_t kColumnAutoLong = 0x04;
inline constexpr uint8_t kColumnAutoGuid = 0x40;
inline constexpr uint8_t kColumnHyperlink = 0x80;
// Set on every column of Access's system tables, never on a user table's (testV2000.mdb).
inline constexpr uint8_t kColumnSystem = 0x10;
// Set besides on the two columns that hold user and group ids (MSysObjects.Owner, MSysACEs.SID).
inline constexpr uint8_t kColumnSystemSid = 0x20;
// Extended flags (Jet 4).
inline constexpr uint8_t kColumnCompressedUnicode = 0x01;
inline constexpr uint8_t kColumnCalculated = 0xC0;

// Index flags (real index) and index types (logical index).
inline constexpr uint8_t kIndexUnique = 0x01;
inline constexpr uint8_t kIndexIgnoreNulls = 0x02;
inline constexpr uint8_t kIndexRequired = 0x08;
inline constexpr uint8_t kIndexTypePrimary = 0x01;
inline constexpr uint8_t kIndexTypeForeign = 0x02;

// ---------------------------------------------------------------------------------------
// Table definition (TDEF, page type 0x02), reassembled from its chain: the first page
// whole, each following page from byte 8 on. Header:
//
// OFFSET (Jet3/Jet4)  SIZE  DESCRIPTION
//  0x00                1   page type 0x02
//  0x01                1   0x01
//  0x02                2   free space of this page
//  0x04                4   next page of the definition, 0 on the last
//  0x08                4   length of the whole definition, as reassembled (on the first page)
//    -  / 0x0C         4   Jet 4: 0x0659 in every definition of the fixtures (kJet4Stamp)
//  0x0C / 0x10         4   number of rows
//  0x10 / 0x14         4   last autonumber value handed out
//    -  / 0x18         4   1 in every table of the fixtures
//  0x14 / 0x28         1   table type: 0x4E user, 0x53 system
//  0x15 / 0x29         2   highest column number + 1 (deleted columns keep theirs)
//  0x17 / 0x2B         2   number of variable-length columns (same high-water rule)
//  0x19 / 0x2D         2   number of columns
//  0x1B / 0x2F         4   number of logical indexes
//  0x1F / 0x33         4   number of real indexes
//  0x23 / 0x37         4   pointer to the usage map of the table's pages
//  0x27 / 0x3B         4   pointer to the usage map of pages with free space
//  0x2B / 0x3F             then, in order:
//     real index statistics   numRealIdx * 8 (12)
//     column descriptors      numCols * 18 (25)
//     column names            numCols * (length: 1 (2) bytes, name: code page (UTF-16LE))
//     real indexes            numRealIdx * 39 (52)
//     logical indexes         numIdx * 20 (28)
//     index names             numIdx * (as column names)
//     long-value column maps  (col: 2, owned map: 4, free map: 4) until col = 0xFFFF
// ---------------------------------------------------------------------------------------
inline constexpr uint32_t kTableDefFreeSpace = 0x02;
inline constexpr uint32_t kTableDefNextPage = 0x04;
inline constexpr uint32_t kTableDefLength = 0x08;
inline constexpr uint32_t kTableDefJet4Offset18 = 0x18;
inline constexpr uint32_t kTableDefJet4Stamp = 0x0C;
// Jet 4 stamps this value in every definition header (0x0C), in bytes 0x01-0x04 of every
// column descriptor and at the start of every logical index (kLogicalIndexMagic); every
// table of every Jet 4 fixture, system tables and user tables alike.
inline constexpr uint32_t kJet4Stamp = 0x0659;
inline constexpr uint8_t kTableTypeUser = 0x4E;
inline constexpr uint8_t kTableTypeSystem = 0x53;
inline constexpr uint16_t kLongValueMapsEnd = 0xFFFF;
inline constexpr uint32_t kLongValueMapEntrySize = 10;
struct TableDefLayout {
    uint32_t rowCount;
    uint32_t autoNumber;
    uint32_t tableType;
    uint32_t maxColumns;
    uint32_t varColumns;
    uint32_t columnCount;
    uint32_t logicalIndexCount;
    uint32_t realIndexCount;
    uint32_t ownedPagesMap;
    uint32_t freePagesMap;
    uint32_t body;
    uint32_t realIndexStatSize;
};

// ---------------------------------------------------------------------------------------
// Column descriptor, 18 (Jet 3) or 25 (Jet 4) bytes
//
// OFFSET (Jet3/Jet4)  SIZE  DESCRIPTION
//  0x00 / 0x00         1   column type
//    -  / 0x01         4   Jet 4: kJet4Stamp
//  0x01 / 0x05         2   column number (null-mask bit; never reused after a delete)
//  0x03 / 0x07         2   index in the row's variable-offset table
//    -  / 0x09         2   Jet 4: user tables the column's number + 1, system tables 0
//  0x09 / 0x0B         1   Numeric: precision (else part of the sort order / code page)
//  0x0A / 0x0C         1   Numeric: scale
//  0x0D / 0x0F         1   flags (kColumn*)
//    -  / 0x10         1   extended flags (kColumnCompressedUnicode, kColumnCalculated)
//  0x0E / 0x15         2   offset in the row's fixed data
//  0x10 / 0x17         2   length in bytes (Text: Jet 4 bytes = 2 * characters)
// ---------------------------------------------------------------------------------------
struct ColumnLayout {
    uint32_t size;
    uint32_t number;
    uint32_t varIndex;
    uint32_t position;  // 0 = not present
    uint32_t precision;
    uint32_t scale;
    uint32_t flags;
    uint32_t extFlags;  // 0 = not present
    uint32_t fixedOffset;
    uint32_t length;
};

// ---------------------------------------------------------------------------------------
// Real index statistics, 8 (Jet 3) or 12 (Jet 4) bytes per real index, right after the
// definition's header
//
// OFFSET  SIZE  DESCRIPTION
//  0x00     4   unknown
//  0x04     4   number of distinct keys Access has entered (only ever grows)
//  0x08     4   Jet 4 only: unknown
//
// Real index (the B-tree itself), 39 (Jet 3) or 52 (Jet 4) bytes
//
// OFFSET (Jet3/Jet4)  SIZE  DESCRIPTION
//    -  / 0x00         4   Jet 4 only: 1923 in every fixture
//  0x00 / 0x04      10 * 3  (column number: 2, 0xFFFF = unused; order: 1, 1 = ascending;
//                          the order byte of an unused slot holds leftovers)
//  0x1E / 0x22         4   pointer to the usage map of the index's pages
//  0x22 / 0x26         4   first (root) page of the index
//    -  / 0x2A         4   Jet 4 only: leftovers
//  0x26 / 0x2E         1   flags (kIndex*; Jet 4 sets 0x80 on every index)
//    -  / 0x2F         5   Jet 4 only: unknown
//
// Logical index (what the user sees), 20 (Jet 3) or 28 (Jet 4) bytes
//
//    -  / 0x00         4   Jet 4 only: 1625 in every fixture
//  0x00 / 0x04         4   index number
//  0x04 / 0x08         4   number of the real index it uses (several may share one)
//  0x08 / 0x0C         1   foreign keys: this table's side, 1 referenced, 2 referencing
//  0x09 / 0x0D         4   foreign keys: number of the other table's index, -1 if none
//  0x0D / 0x11         4   foreign keys: TDEF page of the other table
//  0x11 / 0x15         1   foreign keys: 1 = cascade updates
//  0x12 / 0x16         1   foreign keys: 1 = cascade deletes, 2 = set NULL on delete
//  0x13 / 0x17         1   index type: 1 primary key, 2 foreign key
// ---------------------------------------------------------------------------------------
struct IndexLayout {
    uint32_t realSize;
    uint32_t realColumns;
    uint32_t realUsageMap;
    uint32_t realFirstPage;
    uint32_t realFlags;
    uint32_t logicalSize;
    uint32_t logicalNumber;
    uint32_t logicalRealIndex;
    uint32_t logicalRelatedTable;
    uint32_t logicalType;
    uint32_t logicalRelatedSide;
    uint32_t logicalRelatedIndex;
    uint32_t logicalCascadeUpdates;
    uint32_t logicalCascadeDeletes;
};
inline constexpr uint32_t kIndexStatUniqueCount = 0x04;
inline constexpr uint32_t kRealIndexMagic = 1923;     // Jet 4, every real index of the fixtures
inline constexpr uint32_t kLogicalIndexMagic = kJet4Stamp;  // 1625, every logical index of the fixtures
inline constexpr uint8_t kIndexNoRelationship = 0x04;  // both cascade bytes of a plain index
inline constexpr uint8_t kIndexFlagJet4 = 0x80;       // set on every Jet 4 real index
inline constexpr uint8_t kIndexRelatedReferenced = 1;
inline constexpr uint8_t kIndexRelatedReferencing = 2;
inline constexpr uint8_t kIndexCascadeDelete = 0x01;
inline constexpr uint8_t kIndexCascadeSetNull = 0x02;
inline constexpr unsigned kIndexMaxColumns = 10;

// ---------------------------------------------------------------------------------------
// Index page: node (type 0x03) or leaf (type 0x04)
//
// OFFSET (Jet3/Jet4)  SIZE  DESCRIPTION
//  0x00                1   page type 0x03 node, 0x04 leaf
//  0x01                1   0x01
//  0x02                2   free space: page size less the end of the last entry
//  0x04                4   owner: the table's TDEF page
//    -  / 0x08         4   Jet 4 only: 0
//  0x08 / 0x0C         4   previous page on the same level, 0 = none
//  0x0C / 0x10         4   next page on the same level, 0 = none
//  0x10 / 0x14         4   node pages: the child after the last entry ("tail"), 0 = none
//  0x14 / 0x18         2   length of the prefix the entries share
//    -  / 0x1A         1   Jet 4 only: 1 on node pages, 0 on leaves
//  0x16 / 0x1B   226 / 453 entry bitmap: bit n set = an entry ends n bytes after the
//                          start of the entries (the first starts there)
//  0xF8 / 0x1E0            the entries; the first holds the shared prefix, every other
//                          entry is stored without it
//
// Entry (index key bytes are big-endian, unlike everything else):
//  [key] [data page: 3] [row: 1] [node pages only: child page: 4]
// A node entry repeats the last entry of its child; keys compare as unsigned bytes, ties
// by data page and row.
// ---------------------------------------------------------------------------------------
struct IndexPageLayout {
    uint32_t prevPage;
    uint32_t nextPage;
    uint32_t tailPage;
    uint32_t prefixLength;
    uint32_t entryMask;
    uint32_t entryMaskSize;
    uint32_t entries;
};
inline constexpr uint32_t kIndexPageFreeSpace = 0x02;
inline constexpr uint32_t kIndexPageOwner = 0x04;
inline constexpr uint32_t kIndexPageNodeFlagJet4 = 0x1A;
inline constexpr uint32_t kIndexEntryRowIdSize = 4;
inline constexpr uint32_t kIndexEntryChildSize = 4;
inline constexpr IndexPageLayout kIndexPageJet3{0x08, 0x0C, 0x10, 0x14, 0x16, 226, 0xF8};
inline constexpr IndexPageLayout kIndexPageJet4{0x0C, 0x10, 0x14, 0x18, 0x1B, 453, 0x1E0};

// Where a text column's descriptor names the sort order its index keys follow: the
// language (LCID, 0x0409 = "General") and, in Jet 4, its version (0 = "General (legacy)"
// of Access 2000-2007, 1 = "General" of Access 2010 and later). Jet 3 knows one order per
// language ("General 97"); its descriptor holds the code page at 0x0B.
inline constexpr uint32_t kColumnSortOrderJet3 = 0x09;
inline constexpr uint32_t kColumnSortOrderJet4 = 0x0B;
inline constexpr uint32_t kColumnSortVersionJet4 = 0x0E;
inline constexpr uint16_t kSortGeneral = 0x0409;

// Everything that differs between Jet 3 and Jet 4 (ACE shares Jet 4's page format).
struct Format {
    bool jet3;
    uint32_t pageSize;
    uint32_t dataRowCount;   // data page: number of slots
    uint32_t dataRowTable;   // data page: first slot
    uint32_t tableDefChainHeader;
    uint32_t nameLengthSize;  // 1 (Jet 3) or 2 (Jet 4) bytes before each name
    uint32_t rowCountSize;    // row: colCount and varCount width
    TableDefLayout tdef;
    ColumnLayout column;
    IndexLayout index;
    // Longest piece of a long value one row of a chain can hold.
    uint32_t maxLongValueRow;

    // The longest row an empty data page holds: the page less its header and one slot.
    uint32_t maxRowSize() const { return pageSize - dataRowTable - 2; }

    static const Format& jet3Format();
    static const Format& jet4Format();
};

inline const Format& Format::jet3Format()
{
    static const Format f{
        true, 2048, 0x08, 0x0A, 8, 1, 1,
        {0x0C, 0x10, 0x14, 0x15, 0x17, 0x19, 0x1B, 0x1F, 0x23, 0x27, 0x2B, 8},
        {18, 0x01, 0x03, 0, 0x09, 0x0A, 0x0D, 0, 0x0E, 0x10},
        {39, 0x00, 0x1E, 0x22, 0x26, 20, 0x00, 0x04, 0x0D, 0x13, 0x08, 0x09, 0x11, 0x12},
        2048 - 16,
    };
    return f;
}

inline const Format& Format::jet4Format()
{
    static const Format f{
        false, 4096, 0x0C, 0x0E, 8, 2, 2,
        {0x10, 0x14, 0x28, 0x29, 0x2B, 0x2D, 0x2F, 0x33, 0x37, 0x3B, 0x3F, 12},
        {25, 0x05, 0x07, 0x09, 0x0B, 0x0C, 0x0F, 0x10, 0x15, 0x17},
        {52, 0x04, 0x22, 0x26, 0x2E, 28, 0x04, 0x08, 0x11, 0x17, 0x0C, 0x0D, 0x15, 0x16},
        4096 - 20,
    };
    return f;
}

}  // namespace db::jet
