// Atomic changes: a unit that fails at any write leaves the file as it was, a journal left
// by a crash is rolled back by the next open, a torn journal is ignored, and SQLite's
// transactions and savepoints map onto units. Damaged files are reported when read and
// refused before anything is written. A file that survives is judged by Jackcess too.
#include "JetTestSupport.h"
#include "tests/support/Judge.h"

#include "db/jet/Check.h"
#include "db/jet/Database.h"
#include "db/jet/NewDatabaseFile.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace jettest;
using namespace db::jet;

namespace {

// The ids of every row of `t`, in page order.
std::vector<uint64_t> rowIdsOf(Table& t)
{
    std::vector<uint64_t> ids;
    Table::ScanState scan;
    Table::Row row;
    while (t.next(scan, row))
        ids.push_back(row.rowId);
    return ids;
}

// A file with table T (ID, Text, Notiz) of `rows` rows spread over several pages; ID is
// its primary key, so that every unit changes index pages too.
std::string pristine(const TempDir& dir, int rows)
{
    NewDatabaseFile out({"", 0, 45000});
    const size_t t = out.addTable("T", {{"ID", ColumnType::Long, 0}, {"Text", ColumnType::Text, 255},
                                        {"Notiz", ColumnType::Memo, 0}},
                                  {{"PrimaryKey", {"ID"}, true, false}});
    for (int i = 1; i <= rows; ++i)
        out.addRow(t, {Value::ofInteger(i), Value::ofText("Zeile " + std::to_string(i) + repeat("-", 200)),
                       i % 3 ? Value::null() : Value::ofText(repeat("Notiz ", 50))});
    const fs::path file = dir.path() / "vorlage.mdb";
    out.write(file.string());
    return readFile(file);
}

// One unit that touches many pages: rows grow and move, long values come and go, a row
// is added and one removed, and so many rows come that the primary key's leaf splits.
void bigUnit(Database& db)
{
    Table& t = db.table(db.userTables().front());
    db.file().beginUnit();
    const std::vector<uint64_t> ids = rowIdsOf(t);
    for (size_t i = 0; i < ids.size(); ++i)
        t.update(ids[i], {std::nullopt, Value::ofText(repeat("\xE2\x82\xAC", i % 2 ? 250 : 10)),
                          i % 2 ? Value::ofText(repeat("lang ", 2000)) : Value::null()});
    t.insert({Value::ofInteger(999), Value::ofText("neu"), Value::ofText(repeat("neu ", 3000))});
    t.remove(ids.front());
    // Enough new keys for the primary key's leaf to split.
    for (int i = 1000; i < 1400; ++i)
        t.insert({Value::ofInteger(i), Value::ofText("k"), Value::null()});
    db.file().commitUnit();
    db.file().flush();  // written out now, not with the next group
}

bool journalExists(const fs::path& file) { return fs::exists(fs::path(file.string() + "-journal")); }

}  // namespace

TEST(JetJournal, AWriteFailingAnywhereInAUnitLeavesTheFileAsItWas)
{
    TempDir dir;
    const std::string original = pristine(dir, 40);
    const fs::path file = dir.path() / "t.mdb";
    int n = 1;
    for (;; ++n) {
        writeFile(file, original);
        std::string error;
        {
            auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive);
            db->file().failWritesForTest(n);
            error = jetErrorOf([&] { bigUnit(*db); });
        }
        if (error.empty())
            break;  // n is past the unit's last write
        EXPECT_NE(error.find("Die Datei ist unverändert."), std::string::npos) << n << ": " << error;
        ASSERT_TRUE(readFile(file) == original) << "write " << n;
        EXPECT_FALSE(journalExists(file)) << n;
    }
    EXPECT_GT(n, 20);  // the journal, the pages and the journal's end
    {
        auto db = Database::open(file.string(), "", AccessMode::ReadShared);
        EXPECT_EQ(checkErrors(checkDatabase(*db)), std::vector<std::string>{});
    }
    EDVARA_EXPECT_JUDGE_ACCEPTS(file.string());
}

TEST(JetJournal, AJournalLeftByACrashIsRolledBackWhenTheFileIsNextOpened)
{
    TempDir dir;
    const std::string original = pristine(dir, 40);
    const fs::path file = dir.path() / "t.mdb";
    // Write 1 is the journal; from write 2 on pages reach the file.
    for (int n : {3, 6, 12}) {
        for (AccessMode reopen : {AccessMode::ReadWriteExclusive, AccessMode::ReadShared}) {
            writeFile(file, original);
            {
                // Every write from the n-th on fails, so the pages cannot be put back in
                // place either: as if the process had died with the unit half written.
                auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive);
                db->file().failWritesForTest(n, true);
                EXPECT_NE(jetErrorOf([&] { bigUnit(*db); }).find("beim nächsten Öffnen zurückgenommen"), std::string::npos);
                EXPECT_NE(jetErrorOf([&] { db->file().page(3); }), "");
            }
            EXPECT_TRUE(readFile(file) != original) << n;
            ASSERT_TRUE(journalExists(file)) << n;
            {
                auto db = Database::open(file.string(), "", reopen);
                EXPECT_EQ(checkErrors(checkDatabase(*db)), std::vector<std::string>{});
            }
            EXPECT_TRUE(readFile(file) == original) << n;
            EXPECT_FALSE(journalExists(file)) << n;
        }
    }
    EDVARA_EXPECT_JUDGE_ACCEPTS(file.string());
}

namespace {

// A file whose rows fill more than 300 pages (250 Cyrillic letters each, two bytes apiece),
// and a unit that changes every one of them in place.
std::string manyPages(const TempDir& dir)
{
    NewDatabaseFile out({"", 0, 45000});
    const size_t t = out.addTable("T", {{"ID", ColumnType::Long, 0}, {"Text", ColumnType::Text, 255}},
                                  {{"PrimaryKey", {"ID"}, true, false}});
    for (int i = 1; i <= 2600; ++i)
        out.addRow(t, {Value::ofInteger(i), Value::ofText(repeat("\xD0\x96", 250))});
    const fs::path file = dir.path() / "viele.mdb";
    out.write(file.string());
    return readFile(file);
}

// The file of manyPages, opened for writing with a cache of `cachePages`.
std::unique_ptr<Database> openManyPages(const TempDir& dir, size_t cachePages)
{
    const fs::path file = dir.path() / "t.mdb";
    writeFile(file, manyPages(dir));
    return Database::open(file.string(), "", AccessMode::ReadWriteExclusive, cachePages);
}

void changeEveryPage(Database& db)
{
    Table& t = db.table(db.userTables().front());
    db.file().beginUnit();
    const std::vector<uint64_t> ids = rowIdsOf(t);
    for (uint64_t id : ids)
        t.update(id, {std::nullopt, Value::ofText(repeat("\xD0\x9F", 250))});
    db.file().commitUnit();
    db.file().flush();
}

}  // namespace

TEST(JetJournal, AGroupOfManyPagesIsJournaledInPiecesAndStaysAllOrNothing)
{
    TempDir dir;
    const std::string original = manyPages(dir);
    const fs::path file = dir.path() / "t.mdb";
    const fs::path journal(file.string() + "-journal");
    writeFile(file, original);
    size_t images = 0;
    {
        auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive);
        changeEveryPage(*db);
        images = (fs::file_size(journal) - 128) / (4096 + 8 + 4096 / 512 * 4);
    }
    ASSERT_GT(images, 256u);
    const int pieces = static_cast<int>((images + 255) / 256);
    // Writes 1..pieces are the journal, then the file's pages follow one a write: a failure
    // in the journal leaves the file untouched, one in the file puts the journal's images back.
    for (int n : {1, pieces, pieces + 1, pieces + 30}) {
        writeFile(file, original);
        std::string error;
        {
            auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive);
            db->file().failWritesForTest(n);
            error = jetErrorOf([&] { changeEveryPage(*db); });
        }
        EXPECT_NE(error.find("Die Datei ist unverändert."), std::string::npos) << n << ": " << error;
        ASSERT_TRUE(readFile(file) == original) << "write " << n;
        EXPECT_FALSE(journalExists(file)) << n;
    }
    // Nothing written after the journal: it is whole, and the next open puts it back.
    writeFile(file, original);
    {
        auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive);
        db->file().failWritesForTest(pieces + 2, true);
        EXPECT_NE(jetErrorOf([&] { changeEveryPage(*db); }).find("beim nächsten Öffnen zurückgenommen"),
                  std::string::npos);
    }
    ASSERT_TRUE(journalExists(file));
    EXPECT_TRUE(readFile(file) != original);
    {
        auto db = Database::open(file.string(), "", AccessMode::ReadShared);
        EXPECT_EQ(checkErrors(checkDatabase(*db)), std::vector<std::string>{});
    }
    EXPECT_TRUE(readFile(file) == original);
}

TEST(JetPageFile, PagesAChangeHoldsCountAgainstTheCache)
{
    TempDir dir;
    auto db = openManyPages(dir, 64);
    PageFile& f = db->file();
    ASSERT_GT(f.pageCount(), 150u);
    for (uint32_t p = 0; p < 100; ++p)
        f.page(p);
    EXPECT_EQ(f.cachedPages(), 64u);
    f.beginUnit();
    for (uint32_t p = 100; p < 160; ++p)
        f.edit(p)->bytes[f.pageSize() - 1] ^= 0;
    EXPECT_LE(f.cachedPages(), 8u);  // the cache gives way as the change grows
    for (uint32_t p = 0; p < 100; ++p)
        EXPECT_EQ(f.page(p)->number, p);
    EXPECT_LE(f.cachedPages(), 8u);  // 60 pages held: an eighth of the cache stays
    f.commitUnit();
    f.flush();
    for (uint32_t p = 0; p < f.pageCount(); ++p)
        EXPECT_EQ(f.page(p)->number, p);
    EXPECT_LE(f.cachedPages(), 64u);
    EXPECT_GT(f.cachedPages(), 8u);
}

// What a layer derived from a page (a decoded map or index page) stays good while the file
// holds the bytes it came from, even when the cache dropped the page in between.
TEST(JetPageFile, APageReadAgainKeepsItsStampUntilTheFileHoldsOtherBytes)
{
    TempDir dir;
    auto db = openManyPages(dir, 16);
    PageFile& f = db->file();
    ASSERT_GT(f.pageCount(), 150u);
    const auto evict = [&] {
        for (uint32_t p = 100; p < 150; ++p)
            f.page(p);
    };
    const uint32_t page = 60;
    const uint64_t read = f.page(page)->stamp;
    evict();
    const uint64_t reads = f.pageReads();
    EXPECT_EQ(f.stampOf(page), read);
    EXPECT_EQ(f.pageReads(), reads);  // known without reading the page
    EXPECT_EQ(f.page(page)->stamp, read);
    EXPECT_EQ(f.pageReads(), reads + 1);

    // A change undone leaves the file's bytes, and their stamp.
    f.beginUnit();
    f.edit(page)->bytes[f.pageSize() - 1] ^= 0;
    EXPECT_NE(f.stampOf(page), read);
    f.rollbackUnit();
    evict();
    EXPECT_EQ(f.page(page)->stamp, read);

    // A change written out: the page carries the stamp of the written bytes from then on.
    f.beginUnit();
    f.edit(page)->bytes[f.pageSize() - 1] ^= 0;
    const uint64_t changed = f.stampOf(page);
    EXPECT_NE(changed, read);
    f.commitUnit();
    EXPECT_EQ(f.stampOf(page), changed);
    f.flush();
    evict();
    EXPECT_EQ(f.stampOf(page), changed);
    EXPECT_EQ(f.page(page)->stamp, changed);
}

namespace {

// Every row's Text rewritten (to a length by `round`), so that the unit changes every data
// page and the primary key's pages are read again and again.
void rewriteTexts(Table& t, int round)
{
    for (uint64_t id : rowIdsOf(t))
        t.update(id, {std::nullopt, Value::ofText(repeat("r" + std::to_string(round), 20 + 30 * round))});
}

std::vector<std::string> textsOf(Table& t)
{
    std::vector<std::string> texts;
    Table::ScanState scan;
    Table::Row row;
    while (t.next(scan, row))
        texts.push_back(std::to_string(t.value(row, 0).integer) + "=" + t.value(row, 1).bytes);
    return texts;
}
}  // namespace

TEST(JetPageFile, AUnitLargerThanTheCacheSpillsItsPagesAndStaysExact)
{
    TempDir dir;
    const std::string original = manyPages(dir);
    const fs::path file = dir.path() / "t.mdb";
    // The same change with room for all its pages in memory: what the file must hold after.
    writeFile(file, original);
    std::vector<std::string> afterFirst;
    {
        auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive);
        Table& t = db->table(db->userTables().front());
        db->file().beginUnit();
        rewriteTexts(t, 1);
        EXPECT_EQ(db->file().spilledPages(), 0u);
        afterFirst = textsOf(t);
        db->file().commitUnit();
    }
    const std::string expected = readFile(file);
    ASSERT_TRUE(expected != original);

    writeFile(file, original);
    {
        auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive, 16);
        PageFile& f = db->file();
        Table& t = db->table(db->userTables().front());
        const std::vector<std::string> before = textsOf(t);
        // Undone whole: nothing of the spilled pages stays.
        f.beginUnit();
        rewriteTexts(t, 2);
        EXPECT_GT(f.spilledPages(), 100u);
        EXPECT_LE(f.changedPages() - f.spilledPages(), 16u);
        f.rollbackUnit();
        EXPECT_EQ(f.spilledPages(), 0u);
        EXPECT_EQ(textsOf(t), before);
        // Rows read back from the spill file, a mark rolled back across spilled pages.
        f.beginUnit();
        rewriteTexts(t, 1);
        EXPECT_EQ(textsOf(t), afterFirst);
        f.savepoint(0);
        rewriteTexts(t, 3);
        f.rollbackTo(0);
        f.release(0);
        EXPECT_EQ(textsOf(t), afterFirst);
        f.commitUnit();
        EXPECT_EQ(f.spilledPages(), 0u);  // the group's now
        EXPECT_EQ(textsOf(t), afterFirst);
    }
    EXPECT_FALSE(journalExists(file));
    EXPECT_TRUE(readFile(file) == expected);
}

// Finished units whose pages do not fit into memory wait in the spill file, not in the
// file: the group goes out whole later, a unit undone meanwhile leaves it alone, and a
// failing write of it leaves the file as it was.
TEST(JetPageFile, AGroupLargerThanMemoryWaitsInTheSpillFileUntilItIsWritten)
{
    TempDir dir;
    const std::string original = manyPages(dir);
    const fs::path file = dir.path() / "t.mdb";
    writeFile(file, original);
    std::vector<std::string> after;
    {
        auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive);
        Table& t = db->table(db->userTables().front());
        for (int round : {1, 2}) {
            db->file().beginUnit();
            rewriteTexts(t, round);
            db->file().commitUnit();
        }
        after = textsOf(t);
    }
    const std::string expected = readFile(file);

    for (const bool failing : {false, true}) {
        writeFile(file, original);
        std::string error;
        {
            auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive, 16);
            PageFile& f = db->file();
            Table& t = db->table(db->userTables().front());
            f.beginUnit();
            rewriteTexts(t, 1);
            f.commitUnit();
            EXPECT_GT(f.groupPagesAside(), 100u);
            EXPECT_LE(f.heldPages(), f.cacheLimit());
            EXPECT_EQ(f.pageWrites(), 0u);
            const std::vector<std::string> first = textsOf(t);
            f.beginUnit();
            rewriteTexts(t, 3);
            f.rollbackUnit();
            EXPECT_EQ(textsOf(t), first);
            if (failing)
                f.failWritesForTest(1);
            error = jetErrorOf([&] {
                f.beginUnit();
                rewriteTexts(t, 2);
                f.commitUnit();
                EXPECT_EQ(textsOf(t), after);
                f.flush();
            });
        }
        if (failing)
            EXPECT_NE(error.find("Die Datei ist unverändert."), std::string::npos) << error;
        else
            EXPECT_EQ(error, "");
        EXPECT_TRUE(readFile(file) == (failing ? original : expected));
        EXPECT_FALSE(journalExists(file));
    }
}

namespace {

// Pages 1..count-1 of f as they read now.
std::vector<std::vector<uint8_t>> pagesOf(PageFile& f, uint32_t count)
{
    std::vector<std::vector<uint8_t>> pages;
    for (uint32_t p = 1; p < count; ++p)
        pages.push_back(f.page(p)->bytes);
    return pages;
}

// Savepoints over many more pages than the cache holds: their images go to the spill
// file, come back exact when a savepoint is undone, and the file is as it was after a unit
// whose only lasting change left every byte alone.
void imagesGoAsideAndComeBack(const fs::path& file, const std::string& password)
{
    const std::string original = readFile(file);
    {
        auto db = Database::open(file.string(), password, AccessMode::ReadWriteExclusive, 8);
        PageFile& f = db->file();
        const uint32_t count = std::min<uint32_t>(f.pageCount(), 120);
        ASSERT_GT(count, 20u);
        const auto round = [&](uint8_t value) {
            for (uint32_t p = 1; p < count; ++p)
                f.edit(p)->bytes[f.pageSize() - 1 - p % 7] ^= value;
        };
        f.beginUnit();
        round(0);  // every page changed by the unit, none in content
        const auto atFirst = pagesOf(f, count);
        f.savepoint(0);
        round(0x11);
        EXPECT_GT(f.imagesAside(), 0u);
        EXPECT_LE(f.heldPages(), f.cacheLimit());
        const auto atSecond = pagesOf(f, count);
        f.savepoint(1);
        round(0x22);
        EXPECT_LE(f.heldPages(), f.cacheLimit());
        f.rollbackTo(1);
        EXPECT_TRUE(pagesOf(f, count) == atSecond);
        round(0x44);  // images again after a savepoint went back
        f.release(1);
        f.rollbackTo(0);
        f.release(0);
        EXPECT_TRUE(pagesOf(f, count) == atFirst);
        EXPECT_EQ(f.imagesAside(), 0u);
        f.commitUnit();
        f.flush();
        EXPECT_EQ(f.spilledPages(), 0u);
    }
    EXPECT_FALSE(journalExists(file));
    EXPECT_TRUE(readFile(file) == original);
}

}  // namespace

TEST(JetPageFile, ImagesAtSavepointsBeyondTheCacheGoAsideAndComeBackExact)
{
    TempDir dir;
    const fs::path file = dir.path() / "t.mdb";
    writeFile(file, manyPages(dir));
    imagesGoAsideAndComeBack(file, "");
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    imagesGoAsideAndComeBack(dir.copy("encryptedV2000.mdb"), "");
}

TEST(JetJournal, ATornOrForeignJournalIsIgnored)
{
    TempDir dir;
    const std::string original = pristine(dir, 10);
    const fs::path file = dir.path() / "t.mdb";
    const fs::path journal = dir.path() / "t.mdb-journal";
    // A real journal whose last image was cut short, one with a wrong checksum, noise.
    writeFile(file, original);
    {
        auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive);
        db->file().failWritesForTest(3, true);
        jetErrorOf([&] { bigUnit(*db); });
    }
    writeFile(file, original);  // as if the unit had not reached the file yet
    const std::string hot = readFile(journal);
    ASSERT_GT(hot.size(), 4096u);
    std::string wrongSum = hot;
    wrongSum[40] ^= 1;
    for (const std::string& bad : {hot.substr(0, hot.size() - 100), wrongSum, std::string(5000, 'x'), std::string()}) {
        writeFile(journal, bad);
        {
            auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive);
            EXPECT_EQ(checkErrors(checkDatabase(*db)), std::vector<std::string>{});
        }
        EXPECT_TRUE(readFile(file) == original);
        EXPECT_FALSE(fs::exists(journal));
    }
}

// A unit on `file` that dies half-way, leaving its journal hot (every write from the third
// on fails, so the pages cannot be put back in place either).
void crashedUnit(const fs::path& file)
{
    auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive);
    db->file().failWritesForTest(3, true);
    const std::string error = jetErrorOf([&] { bigUnit(*db); });
    EXPECT_NE(error.find("beim nächsten Öffnen zurückgenommen"), std::string::npos) << error;
}

// Opening by writer and by reader refuses with the German reason; file and journal stay.
void expectRefused(const fs::path& file, const std::string& journalBytes, const std::string& fileBytes)
{
    const fs::path journal(file.string() + "-journal");
    for (AccessMode mode : {AccessMode::ReadWriteExclusive, AccessMode::ReadShared}) {
        const std::string error = jetErrorOf([&] { Database::open(file.string(), "", mode); });
        EXPECT_NE(error.find("Das Journal " + journal.string() + " gehört nicht zu dieser Datei"), std::string::npos)
            << error;
        EXPECT_NE(error.find("bleibt unverändert"), std::string::npos) << error;
        EXPECT_TRUE(readFile(file) == fileBytes);
        ASSERT_TRUE(fs::exists(journal));
        EXPECT_TRUE(readFile(journal) == journalBytes);
    }
}

TEST(JetJournal, AJournalOfAnotherFileOrOfAStateBeforeARestoredBackupIsLeftAlone)
{
    TempDir dir;
    const fs::path a = dir.path() / "a.mdb";
    const fs::path b = dir.path() / "b.mdb";
    const std::string small = pristine(dir, 10);
    fs::remove(dir.path() / "vorlage.mdb");
    const std::string large = pristine(dir, 60);
    // Both directions: the journal of the small file beside the large one and back.
    for (const auto& [from, to] : {std::pair{small, large}, std::pair{large, small}}) {
        writeFile(a, from);
        writeFile(b, to);
        crashedUnit(a);
        const std::string journal = readFile(fs::path(a.string() + "-journal"));
        fs::remove(a.string() + "-journal");
        writeFile(fs::path(b.string() + "-journal"), journal);
        expectRefused(b, journal, to);
        fs::remove(b.string() + "-journal");
    }
    // A copy of the file is another file, even with every page as the journal expects.
    writeFile(a, small);
    crashedUnit(a);
    const std::string cut = readFile(a);
    const std::string journal = readFile(fs::path(a.string() + "-journal"));
    writeFile(dir.path() / "kopie.mdb", cut);
    fs::rename(dir.path() / "kopie.mdb", a);  // another inode
    expectRefused(a, journal, cut);
    fs::remove(a.string() + "-journal");

    // A backup from before the run copied back over the file (same inode) while the
    // journal of a crash late in the run still lies beside it.
    for (bool sameInode : {true, false}) {
        writeFile(a, small);
        {
            // An earlier unit of the run, finished: every row changed.
            auto db = Database::open(a.string(), "", AccessMode::ReadWriteExclusive);
            Table& t = db->table(db->userTables().front());
            std::vector<uint64_t> ids;
            Table::ScanState scan;
            Table::Row row;
            while (t.next(scan, row))
                ids.push_back(row.rowId);
            db->file().beginUnit();
            for (uint64_t id : ids)
                t.update(id, {std::nullopt, Value::ofText("früher"), std::nullopt});
            db->file().commitUnit();
        }
        crashedUnit(a);
        const std::string hot = readFile(fs::path(a.string() + "-journal"));
        if (sameInode) {
            writeFile(a, small);
        } else {
            writeFile(dir.path() / "sicherung.mdb", small);
            fs::rename(dir.path() / "sicherung.mdb", a);
        }
        expectRefused(a, hot, small);
        fs::remove(a.string() + "-journal");
    }
    // The journal's own file is still rolled back.
    writeFile(a, small);
    crashedUnit(a);
    {
        auto db = Database::open(a.string(), "", AccessMode::ReadShared);
        EXPECT_EQ(checkErrors(checkDatabase(*db)), std::vector<std::string>{});
    }
    EXPECT_TRUE(readFile(a) == small);
    EXPECT_FALSE(journalExists(a));
}

// Another process holding a POSIX byte-range lock on `path` (as Jet's locks reach us through
// a share) until the object goes.
class LockHolder {
public:
    LockHolder(const fs::path& path, off_t start, off_t length)
    {
        int ready[2];
        if (::pipe(ready) != 0 || ::pipe(m_release) != 0)
            return;
        std::fflush(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            lock.l_start = start;
            lock.l_len = length;
            const char ok = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
            (void)!::write(ready[1], &ok, 1);
            char c;
            (void)!::read(m_release[0], &c, 1);
            ::_exit(0);
        }
        char ok = 0;
        m_locked = ::read(ready[0], &ok, 1) == 1 && ok == 'y';
    }
    ~LockHolder()
    {
        if (m_pid > 0) {
            (void)!::write(m_release[1], "x", 1);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    bool locked() const { return m_locked; }

private:
    pid_t m_pid = -1;
    int m_release[2] = {-1, -1};
    bool m_locked = false;
};

// Whether another process could lock any byte of `path` now.
bool otherProcessCanLock(const fs::path& path)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(path.c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0x10000000;
        lock.l_len = 1;
        ::_exit(fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(JetLocks, AccessLockFilesAndOtherProgramsByteRangeLocksAreHonouredAndHeld)
{
    TempDir dir;
    const std::string original = pristine(dir, 5);
    const fs::path file = dir.path() / "t.mdb";
    const fs::path ldb = dir.path() / "t.ldb";
    writeFile(file, original);
    const std::string refusal = "Die Datenbank ist geöffnet";
    {
        // A live lock in the lock file, and one on the file itself: no writer opens it;
        // reading stays possible.
        for (const fs::path& locked : {ldb, file}) {
            LockHolder holder(locked, 0x10000000, 1);
            ASSERT_TRUE(holder.locked());
            const std::string error =
                jetErrorOf([&] { Database::open(file.string(), "", AccessMode::ReadWriteExclusive); });
            EXPECT_NE(error.find(refusal), std::string::npos) << error;
            EXPECT_NO_THROW(Database::open(file.string(), "", AccessMode::ReadShared));
        }
        EXPECT_TRUE(readFile(file) == original);
    }
    // Left behind without a lock: no obstacle, and not ours to remove.
    ASSERT_TRUE(fs::exists(ldb));
    {
        auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive);
        EXPECT_FALSE(otherProcessCanLock(ldb));
        EXPECT_FALSE(otherProcessCanLock(file));
    }
    EXPECT_TRUE(fs::exists(ldb));
    EXPECT_TRUE(otherProcessCanLock(file));
    fs::remove(ldb);
    {
        // None there: ours while we write, gone afterwards.
        auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive);
        EXPECT_TRUE(fs::exists(ldb));
        EXPECT_FALSE(otherProcessCanLock(ldb));
    }
    EXPECT_FALSE(fs::exists(ldb));
    // Named after the database, its extension replaced.
    {
        PageFile f(file.string(), AccessMode::ReadShared);
        EXPECT_EQ(f.lockFilePath(), (dir.path() / "t.ldb").string());
    }
}

TEST(JetJournal, ARenamedOrDeletedFileIsNotWrittenOnAsIfItWereStillThere)
{
    TempDir dir;
    const std::string original = pristine(dir, 5);
    const fs::path file = dir.path() / "t.mdb";
    for (bool remove : {false, true}) {
        writeFile(file, original);
        Connection c;
        c.attach(file, "", AccessMode::ReadWriteExclusive);
        ASSERT_EQ(c.failure("DELETE FROM T WHERE ID = 1"), "");
        if (remove)
            fs::remove(file);
        else
            fs::rename(file, dir.path() / "anders.mdb");
        const std::string error = c.failure("DELETE FROM T WHERE ID = 2");
        EXPECT_NE(error.find("umbenannt, ersetzt oder gelöscht"), std::string::npos) << error;
        fs::remove(dir.path() / "anders.mdb");
    }
}

TEST(JetJournal, TransactionsAndSavepointsSpanStatements)
{
    TempDir dir;
    const std::string original = pristine(dir, 30);
    const fs::path file = dir.path() / "t.mdb";
    writeFile(file, original);
    {
        Connection c;
        c.attach(file, "", AccessMode::ReadWriteExclusive);
        // A whole transaction rolled back changes nothing.
        ASSERT_EQ(c.failure("BEGIN"), "");
        ASSERT_EQ(c.failure("UPDATE T SET Text = 'weg' WHERE ID < 10"), "");
        ASSERT_EQ(c.failure("DELETE FROM T WHERE ID > 20"), "");
        EXPECT_EQ(c.one("SELECT count(*) FROM T"), "20");
        ASSERT_EQ(c.failure("ROLLBACK"), "");
        EXPECT_EQ(c.one("SELECT count(*) || ' ' || sum(Text = 'weg') FROM T"), "30 0");
    }
    EXPECT_TRUE(readFile(file) == original);
    {
        Connection c;
        c.attach(file, "", AccessMode::ReadWriteExclusive);
        ASSERT_EQ(c.failure("SAVEPOINT einheit"), "");
        ASSERT_EQ(c.failure("UPDATE T SET Text = 'eins' WHERE ID = 1"), "");
        ASSERT_EQ(c.failure("SAVEPOINT teil"), "");
        ASSERT_EQ(c.failure("DELETE FROM T WHERE ID = 2"), "");
        ASSERT_EQ(c.failure("INSERT INTO T (ID, Text) VALUES (31, 'neu')"), "");
        ASSERT_EQ(c.failure("ROLLBACK TO teil"), "");
        // A statement that fails half-way through its rows takes back only its own rows.
        EXPECT_NE(c.failure("UPDATE T SET Text = CASE WHEN ID = 25 THEN printf('%0300d', 1) ELSE 'x' END"), "");
        ASSERT_EQ(c.failure("RELEASE einheit"), "");
        EXPECT_EQ(c.one("SELECT group_concat(ID || Text, ' ') FROM (SELECT * FROM T WHERE ID < 3 OR ID > 29 ORDER BY ID)"),
                  "1eins 2Zeile 2" + repeat("-", 200) + " 30Zeile 30" + repeat("-", 200));
        EXPECT_EQ(c.one("SELECT count(*) FROM T WHERE Text = 'x'"), "0");
    }
    EXPECT_FALSE(journalExists(file));
    {
        auto db = Database::open(file.string(), "", AccessMode::ReadShared);
        EXPECT_EQ(checkErrors(checkDatabase(*db)), std::vector<std::string>{});
    }
    EDVARA_EXPECT_JUDGE_ACCEPTS(file.string());
}

TEST(JetDamage, IsReportedWhenReadingAndRefusedBeforeWriting)
{
    TempDir dir;
    const std::string original = pristine(dir, 60);
    const fs::path file = dir.path() / "t.mdb";
    uint32_t victim = 0;
    writeFile(file, original);
    {
        auto db = Database::open(file.string(), "", AccessMode::ReadShared);
        victim = db->table(db->userTables().front()).dataPages().at(1);
    }
    // A data page the table's map names, zeroed.
    std::string damaged = original;
    std::fill_n(damaged.begin() + static_cast<std::ptrdiff_t>(victim) * 4096, 4096, '\0');
    writeFile(file, damaged);
    {
        Connection c;
        c.attach(file, "", AccessMode::ReadWriteExclusive);
        std::string error;
        c.rows("SELECT count(*) FROM T", &error);
        EXPECT_NE(error.find("Seite " + std::to_string(victim)), std::string::npos) << error;
        EXPECT_NE(error.find("keine Datenseite"), std::string::npos) << error;
        // Refused by the check before the first change, even where the statement itself
        // would never read the damaged page.
        for (const char* sql : {"UPDATE T SET Text = 'x' WHERE ID = 1", "UPDATE T SET Text = 'x'", "DELETE FROM T"}) {
            const std::string refusal = c.failure(sql);
            EXPECT_NE(refusal.find("ist beschädigt und wird nicht geändert"), std::string::npos) << refusal;
        }
    }
    EXPECT_TRUE(readFile(file) == damaged);
    // A file cut short of the pages its maps name does not even open.
    const std::string cut = original.substr(0, original.size() - 3 * 4096);
    writeFile(file, cut);
    Connection c;
    EXPECT_NE(jetErrorOf([&] { c.attach(file, "", AccessMode::ReadWriteExclusive); }).find("hinter dem Dateiende"),
              std::string::npos);
    EXPECT_TRUE(readFile(file) == cut);
    EXPECT_FALSE(journalExists(file));
}

TEST(JetJournal, WithoutAPlaceForTheJournalNothingIsChanged)
{
    TempDir dir;
    const std::string original = pristine(dir, 5);
    const fs::path file = dir.path() / "t.mdb";
    writeFile(file, original);
    // Where the journal would go there is a folder: as in a folder the user may not write to.
    fs::create_directory(dir.path() / "t.mdb-journal");
    {
        Connection c;
        c.attach(file, "", AccessMode::ReadWriteExclusive);
        EXPECT_EQ(c.one("SELECT count(*) FROM T"), "5");
        const std::string error = c.failure("DELETE FROM T");
        EXPECT_NE(error.find("Die Journaldatei " + file.string() + "-journal kann nicht angelegt werden"), std::string::npos)
            << error;
    }
    EXPECT_TRUE(readFile(file) == original);
}

TEST(JetJournal, AReaderLeavesAWritersJournalAlone)
{
    TempDir dir;
    const std::string original = pristine(dir, 5);
    const fs::path file = dir.path() / "t.mdb";
    writeFile(file, original);
    Connection writer;
    writer.attach(file, "", AccessMode::ReadWriteExclusive);
    ASSERT_EQ(writer.failure("DELETE FROM T WHERE ID = 1"), "");
    ASSERT_TRUE(journalExists(file));  // kept open for the writer's next unit
    Connection reader;
    EXPECT_NE(jetErrorOf([&] { reader.attach(file, "", AccessMode::ReadShared); }).find("ist gesperrt"),
              std::string::npos);
    EXPECT_TRUE(journalExists(file));
    ASSERT_EQ(writer.failure("DELETE FROM T WHERE ID = 2"), "");
    EXPECT_EQ(writer.one("SELECT count(*) FROM T"), "3");
}

TEST(JetWrites, AScanGoesOnWhileItsRowsAreDeletedAndTheirPagesGivenBack)
{
    TempDir dir;
    const std::string original = pristine(dir, 60);
    const fs::path file = dir.path() / "t.mdb";
    writeFile(file, original);
    {
        Connection c;
        c.attach(file, "", AccessMode::ReadWriteExclusive);
        sqlite3_stmt* scan = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(c.db(), "SELECT rowid FROM T", -1, &scan, nullptr), SQLITE_OK);
        int seen = 0;
        while (sqlite3_step(scan) == SQLITE_ROW) {
            ++seen;
            EXPECT_EQ(c.failure("DELETE FROM T WHERE rowid = " + std::to_string(sqlite3_column_int64(scan, 0))), "");
        }
        EXPECT_EQ(sqlite3_errcode(c.db()), SQLITE_DONE);
        sqlite3_finalize(scan);
        EXPECT_EQ(seen, 60);
        EXPECT_EQ(c.one("SELECT count(*) FROM T"), "0");
    }
    EDVARA_EXPECT_JUDGE_ACCEPTS(file.string());
}
