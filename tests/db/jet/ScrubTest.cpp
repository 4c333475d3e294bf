// The scrub on Access's own files: afterwards every fixture reads exactly as before,
// through our reader and mdb-export, and passes the check; what Access left behind
// (deleted rows, old images behind moved rows, pages given back, bytes past an index
// page's entries) is zeros; nothing else changed; a failed or stopped scrub leaves the
// file as it was. Jackcess reads every scrubbed file as sound.
#include "JetTestSupport.h"
#include "MdbExport.h"
#include "tests/support/Judge.h"

#include "db/jet/Check.h"
#include "db/jet/DataPage.h"
#include "db/jet/Database.h"
#include "db/jet/Index.h"
#include "db/jet/NewDatabaseFile.h"
#include "db/jet/Scrub.h"
#include "db/jet/UsageMap.h"

#include <sqlite3.h>

using namespace jettest;
using namespace db::jet;

namespace {

constexpr size_t kPage = 4096;

std::string pageOf(const std::string& file, uint32_t page) { return file.substr(page * kPage, kPage); }

uint16_t u16At(const std::string& bytes, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

bool zeros(const std::string& bytes, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}

std::vector<std::string> checkFile(const fs::path& file, const std::string& password)
{
    const auto db = Database::open(file.string(), password, AccessMode::ReadShared);
    return checkErrors(checkDatabase(*db));
}

ScrubReport scrub(const fs::path& file, const std::string& password = "", const ScrubProgress& progress = {})
{
    const auto db = Database::open(file.string(), password, AccessMode::ReadWriteExclusive);
    return scrubDatabase(*db, progress);
}

// Every row of every user table, as our reader gives it.
std::vector<std::vector<std::string>> everyRow(const fs::path& file, const std::string& password)
{
    std::vector<std::vector<std::string>> rows;
    Connection c;
    c.attach(file, password);
    for (const std::string& t : c.attached().tableNames())
        for (auto& row : c.rows("SELECT * FROM [" + t + "]")) {
            row.insert(row.begin(), t);
            rows.push_back(std::move(row));
        }
    return rows;
}

// The dead bytes of a plain data page by its slot table alone: the gap above the rows and
// removed rows (both flags).
bool deadBytesAreZero(const std::string& page)
{
    const unsigned count = u16At(page, 0x0C);
    uint32_t lowest = kPage, previous = kPage;
    for (unsigned i = 0; i < count; ++i) {
        const uint16_t raw = u16At(page, 0x0E + 2 * i);
        const uint32_t start = raw & kRowOffsetMask;
        if ((raw & kRowRemoved) == kRowRemoved && !zeros(page, start, previous))
            return false;
        lowest = std::min(lowest, start);
        previous = start;
    }
    return zeros(page, 0x0E + 2 * count, lowest);
}

}  // namespace

TEST(JetScrub, EveryFixtureReadsAsBeforeAndOnlyDeadBytesBecomeZeros)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    ASSERT_EQ(mdbexport::run({"mdb-export", "--version"}).status, 0) << "mdbtools (mdb-export) must be installed";
    int scrubbed = 0;
    for (const std::string& name : fixtureNames()) {
        TempDir dir;
        const fs::path file = dir.copy(name);
        const std::string password = passwordOf(name);
        const std::string before = readFile(file);
        const bool jet4 = name.find("V1997") == std::string::npos && name.find(".accdb") == std::string::npos;
        if (!jet4) {
            const std::string error = jetErrorOf([&] { scrub(file, password); });
            EXPECT_NE(error.find("kann nicht überschrieben werden"), std::string::npos) << name << ": " << error;
            EXPECT_TRUE(readFile(file) == before) << name;
            continue;
        }
        const auto rows = everyRow(file, password);
        const auto errors = checkFile(file, password);
        const ScrubReport report = scrub(file, password);
        ++scrubbed;
        EXPECT_FALSE(fs::exists(file.string() + "-journal")) << name;
        EXPECT_EQ(everyRow(file, password), rows) << name;
        EXPECT_EQ(checkFile(file, password), errors) << name;
        EXPECT_GT(mdbexport::expectSameAsMdbExport(file.string(), password), 0) << name;
        const std::string after = readFile(file);
        ASSERT_EQ(after.size(), before.size()) << name;
        EXPECT_EQ(after.substr(0, kPage), before.substr(0, kPage)) << name << ": the header";
        if (name.find("encrypted") == std::string::npos) {
            // A scrub only ever writes zeros, and never into a page's header or row table.
            size_t changed = 0;
            for (size_t i = 0; i < after.size(); ++i) {
                if (after[i] == before[i])
                    continue;
                ++changed;
                ASSERT_EQ(after[i], 0) << name << ", byte " << i;
            }
            EXPECT_EQ(changed, report.bytesZeroed) << name;
            for (uint32_t p = 1; p < after.size() / kPage; ++p) {
                const std::string was = pageOf(before, p), now = pageOf(after, p);
                if (now == std::string(kPage, '\0'))
                    continue;  // a free page zeroed whole
                if (was[0] == kPageData) {
                    const size_t table = 0x0E + 2 * u16At(was, 0x0C);
                    EXPECT_EQ(now.substr(0, table), was.substr(0, table)) << name << ", page " << p;
                    EXPECT_TRUE(deadBytesAreZero(now)) << name << ", page " << p;
                } else {
                    EXPECT_EQ(now.substr(0, 0x1E0), was.substr(0, 0x1E0)) << name << ", page " << p;
                }
            }
        }
        // A second scrub finds nothing left to do.
        EXPECT_EQ(scrub(file, password).pagesChanged, 0u) << name;
        EXPECT_TRUE(testsupport::judgeAccepts(file.string())) << name;
    }
    EXPECT_GE(scrubbed, 10);
    EDVARA_SKIP_WITHOUT_JUDGE();
}

TEST(JetScrub, WhatAccessLeftOfDeletedRowsMovedRowsAndFreePagesIsGone)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    {
        // delTestV2000.mdb: Access deleted the middle row of page 31 and shifted the row
        // below it up, leaving that row's old image in the gap; the long-value page 16
        // keeps an old property blob above its rows.
        const fs::path file = dir.copy("delTestV2000.mdb");
        const std::string before = readFile(file);
        const std::string leftover = pageOf(before, 31).substr(0xFD3, 0xFE2 - 0xFD3);
        ASSERT_NE(leftover, std::string(leftover.size(), '\0'));
        const std::string blob("A\0N\0S\0I\0 \0Q\0u\0e\0r\0y", 20);
        const auto count = [&](const std::string& bytes) {
            size_t n = 0;
            for (size_t at = bytes.find(blob); at != std::string::npos; at = bytes.find(blob, at + 1))
                ++n;
            return n;
        };
        ASSERT_EQ(count(before), 2u);  // the live property blob and its old copy
        ASSERT_FALSE(deadBytesAreZero(pageOf(before, 31)));
        const ScrubReport report = scrub(file);
        const std::string after = readFile(file);
        EXPECT_TRUE(zeros(pageOf(after, 31), 0x14, 0xFE2));
        EXPECT_EQ(pageOf(after, 31).substr(0xFE2), pageOf(before, 31).substr(0xFE2));  // the two live rows
        EXPECT_EQ(count(after), 1u);
        for (uint32_t p = 1; p < after.size() / kPage; ++p) {
            if (after[p * kPage] == kPageData) {
                EXPECT_TRUE(deadBytesAreZero(pageOf(after, p))) << "page " << p;
            }
        }
        EXPECT_GE(report.pagesChanged, 2u);
    }
    {
        // overflowTestV2000.mdb: rows 2 and 4 of page 27 moved; Access kept their old bytes
        // behind the 4-byte pointer. Its free pages 29, 30 and 32 still hold old rows.
        const fs::path file = dir.copy("overflowTestV2000.mdb");
        const std::string before = readFile(file);
        const ScrubReport report = scrub(file);
        const std::string after = readFile(file);
        const std::string home = pageOf(after, 27);
        for (unsigned slot : {2u, 4u}) {
            const uint16_t raw = u16At(home, 0x0E + 2 * slot);
            ASSERT_EQ(raw & 0xC000, kRowFlagOverflow);
            const uint32_t start = raw & kRowOffsetMask, end = u16At(home, 0x0E + 2 * (slot - 1)) & kRowOffsetMask;
            EXPECT_EQ(home.substr(start, 4), pageOf(before, 27).substr(start, 4)) << slot;
            EXPECT_TRUE(zeros(home, start + 4, end)) << slot;
            EXPECT_FALSE(zeros(pageOf(before, 27), start + 4, end)) << slot;
        }
        for (uint32_t p : {29u, 30u, 32u})
            EXPECT_EQ(pageOf(after, p), std::string(kPage, '\0')) << p;
        EXPECT_GE(report.freePagesZeroed, 1u);
    }
    {
        // testUnicodeCompV2003.mdb: pages 52 and 63 to 66 were given back by Access.
        const fs::path file = dir.copy("testUnicodeCompV2003.mdb");
        scrub(file);
        const std::string after = readFile(file);
        for (uint32_t p : {52u, 63u, 64u, 65u, 66u})
            EXPECT_EQ(pageOf(after, p), std::string(kPage, '\0')) << p;
    }
}

TEST(JetScrub, IndexPagesKeepTheirEntriesAndLoseWhatLiesBeyond)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    for (const std::string name : {"indexTestV2000.mdb", "bigIndexTestV2000.mdb", "compIndexTestV2000.mdb"}) {
        TempDir dir;
        const fs::path file = dir.copy(name);
        const std::string before = readFile(file);
        const auto errors = checkFile(file, "");
        scrub(file);
        const std::string after = readFile(file);
        int pages = 0;
        for (uint32_t p = 1; p < after.size() / kPage; ++p) {
            const std::string was = pageOf(before, p);
            if (was[0] != kPageIndexNode && was[0] != kPageIndexLeaf)
                continue;
            Page page;
            page.number = p;
            page.bytes.assign(was.begin(), was.end());
            const IndexPage decoded = readIndexPage(page, Format::jet4Format());
            const std::string now = pageOf(after, p);
            if (now == std::string(kPage, '\0'))
                continue;  // an index page Access gave back
            ++pages;
            EXPECT_EQ(now.substr(0, decoded.entriesEnd), was.substr(0, decoded.entriesEnd)) << name << " " << p;
            EXPECT_TRUE(zeros(now, decoded.entriesEnd, kPage)) << name << " " << p;
        }
        EXPECT_GT(pages, 0) << name;
        EXPECT_EQ(checkFile(file, ""), errors) << name;
    }
}

TEST(JetScrub, UnaccountedPagesAreLeftAndFreeOnesZeroed)
{
    // A new file with two extra pages full of text: one marked free, one not. Only the
    // free one may go; the other is nothing the scrub can account for.
    TempDir dir;
    const fs::path file = dir.path() / "extra.mdb";
    {
        NewDatabaseFile out({"", 0, 45000});
        const size_t t = out.addTable("T", {{"ID", ColumnType::Long, 0}, {"Name", ColumnType::Text, 50}});
        out.addRow(t, {Value::ofInteger(1), Value::ofText("Anna")});
        out.write(file.string());
    }
    std::string bytes = readFile(file);
    const uint32_t freePage = static_cast<uint32_t>(bytes.size() / kPage);
    const uint32_t strayPage = freePage + 1;
    bytes += std::string(2 * kPage, 'X');
    writeFile(file, bytes);
    {
        // Page 1's map marks pages past the old end free already; the stray page is
        // taken out of it, as if something used it.
        auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive);
        ASSERT_TRUE(FreePageMap(db->file(), db->format()).isFree(freePage));
        ASSERT_TRUE(FreePageMap(db->file(), db->format()).isFree(strayPage));
        db->file().beginUnit();
        {
            const PageEdit one = db->file().edit(kFreePageMapPage);
            const DataPage d(one, db->format());
            const uint32_t start = d.slot(0).start;
            const uint32_t bit = strayPage;
            one->bytes[start + kUsageMapBitmap + bit / 8] &= static_cast<uint8_t>(~(1u << (bit % 8)));
        }
        db->file().commitUnit();
    }
    const ScrubReport report = scrub(file);
    const std::string after = readFile(file);
    EXPECT_EQ(pageOf(after, freePage), std::string(kPage, '\0'));
    EXPECT_EQ(pageOf(after, strayPage), std::string(kPage, 'X'));
    EXPECT_EQ(report.freePagesZeroed, 1u);
    EXPECT_EQ(report.pagesLeft, 1u);
    EXPECT_EQ(checkFile(file, ""), std::vector<std::string>{});
    // The check names the stray page, as a note: Access leaves such pages too.
    {
        auto db = Database::open(file.string(), "", AccessMode::ReadShared);
        const std::vector<CheckFinding> findings = checkDatabase(*db);
        ASSERT_EQ(findings.size(), 1u);
        EXPECT_FALSE(findings[0].error);
        EXPECT_EQ(findings[0].text.rfind("Seite " + std::to_string(strayPage) + " gehört zu keiner Struktur", 0), 0u)
            << findings[0].text;
    }
    EDVARA_EXPECT_JUDGE_ACCEPTS(file.string());
}

TEST(JetScrub, AFailedOrStoppedScrubLeavesTheFileAsItWas)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    const fs::path file = dir.copy("overflowTestV2000.mdb");
    const std::string original = readFile(file);
    int n = 1;
    for (;; ++n) {
        std::string error;
        {
            auto db = Database::open(file.string(), "", AccessMode::ReadWriteExclusive);
            db->file().failWritesForTest(n);
            error = jetErrorOf([&] { scrubDatabase(*db); });
        }
        if (error.empty())
            break;
        EXPECT_NE(error.find("Die Datei ist unverändert."), std::string::npos) << n << ": " << error;
        ASSERT_TRUE(readFile(file) == original) << "write " << n;
        EXPECT_FALSE(fs::exists(file.string() + "-journal")) << n;
    }
    EXPECT_GT(n, 2);
    EXPECT_TRUE(readFile(file) != original);

    // Stopped half-way through the page sweep: nothing of it reaches the file.
    writeFile(file, original);
    uint64_t calls = 0;
    const std::string stopped = jetErrorOf([&] {
        scrub(file, "", [&](uint64_t done, uint64_t total) { return ++calls < 2 || done < total / 2; });
    });
    EXPECT_NE(stopped.find("abgebrochen"), std::string::npos) << stopped;
    EXPECT_TRUE(readFile(file) == original);
}

TEST(JetScrub, AnAttachedFileScrubbedBetweenStatementsReadsOnAndKeepsWriting)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    const fs::path file = dir.copy("delTestV2000.mdb");
    {
        Connection c;
        c.attach(file, "", AccessMode::ReadWriteExclusive);
        const auto before = c.rows("SELECT a, b FROM [Table] ORDER BY a");
        const ScrubReport report = c.attached().scrub({});
        EXPECT_GT(report.bytesZeroed, 0u);
        // The journal beside the open file no longer keeps the before-images of the zeroed
        // pages (a committed journal is otherwise only cleared at its header).
        EXPECT_TRUE(!fs::exists(file.string() + "-journal") || fs::file_size(file.string() + "-journal") == 0);
        EXPECT_EQ(c.rows("SELECT a, b FROM [Table] ORDER BY a"), before);
        ASSERT_EQ(c.failure("UPDATE [Table] SET b = 'neu' WHERE a = 'v'"), "");
        EXPECT_EQ(c.one("SELECT b FROM [Table] WHERE a = 'v'"), "neu");
    }
    EDVARA_EXPECT_JUDGE_ACCEPTS(file.string());
}

TEST(JetScrub, EdvaraSqlScrubsAnAccessOrASqliteFileOnItsOwn)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    const fs::path mdb = dir.copy("delTestV2000.mdb");
    const std::string before = readFile(mdb);
    const int checkBefore = mdbexport::run({mdbexport::kTool, "--check", mdb.string()}).status;
    const mdbexport::Output scrubbed = mdbexport::run({mdbexport::kTool, "--scrub", mdb.string()});
    EXPECT_EQ(scrubbed.status, 0);
    EXPECT_NE(scrubbed.out.find("Bytes auf"), std::string::npos) << scrubbed.out;
    EXPECT_TRUE(readFile(mdb) != before);
    EXPECT_EQ(mdbexport::run({mdbexport::kTool, "--check", mdb.string()}).status, checkBefore);
    EXPECT_FALSE(fs::exists(mdb.string() + "-journal"));
    // --scrub does nothing else: with a statement it is a mistake, and the file stays.
    const std::string scrubbedBytes = readFile(mdb);
    EXPECT_EQ(mdbexport::run({mdbexport::kTool, "--scrub", mdb.string(), "DELETE FROM [Table]"}).status, 2);
    EXPECT_TRUE(readFile(mdb) == scrubbedBytes);
    EXPECT_TRUE(testsupport::judgeAccepts(mdb.string()));

    // A SQLite file with a dropped table's rows on its free list.
    const fs::path lite = dir.path() / "t.sqlite";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(lite.string().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA secure_delete=OFF; CREATE TABLE t(x TEXT); "
                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<2000) "
                           "INSERT INTO t SELECT 'Geheimnis-' || i FROM n; CREATE TABLE keep(y TEXT); "
                           "INSERT INTO keep VALUES ('bleibt'); DROP TABLE t;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ASSERT_NE(readFile(lite).find("Geheimnis-1999"), std::string::npos);
    const mdbexport::Output vacuumed = mdbexport::run({mdbexport::kTool, "--scrub", lite.string()});
    EXPECT_EQ(vacuumed.status, 0);
    EXPECT_NE(vacuumed.out.find("VACUUM"), std::string::npos) << vacuumed.out;
    EXPECT_EQ(readFile(lite).find("Geheimnis-"), std::string::npos);
    EXPECT_EQ(mdbexport::run({mdbexport::kTool, lite.string(), "SELECT y FROM keep"}).out, "y\n\"bleibt\"\n");
    for (const char* suffix : {"-wal", "-journal", "-shm"})
        EXPECT_FALSE(fs::exists(lite.string() + suffix)) << suffix;
    EDVARA_SKIP_WITHOUT_JUDGE();
}
