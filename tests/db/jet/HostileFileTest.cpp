// Damaged and hostile files: truncated copies, pages overwritten with noise, pointers
// bent past the end. Opening and reading every table must end in a German error message
// or in rows, never in a crash, a hang or unbounded memory.
#include "JetTestSupport.h"

#include <random>

using namespace jettest;

namespace {

// Attaches and reads every column of every table; returns the first error or "".
std::string readEverything(const fs::path& file, const std::string& password)
{
    Connection c;
    try {
        c.attach(file, password);
    } catch (const db::jet::JetError& e) {
        return e.what();
    }
    for (const std::string& t : c.attached().tableNames()) {
        std::string error;
        std::string quoted = "\"";
        for (char ch : t)
            quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
        c.rows("SELECT * FROM " + quoted + "\"", &error);
        if (!error.empty())
            return error;
        c.rows("SELECT * FROM " + quoted + "\" WHERE rowid = 1000", &error);
        if (!error.empty())
            return error;
    }
    return "";
}

bool looksGerman(const std::string& message)
{
    for (const char* word : {"Datei", "Seite", "Spalte", "Tabelle", "beschädigt", "Kennwort", "Access"})
        if (message.find(word) != std::string::npos)
            return true;
    return false;
}

}  // namespace

TEST(JetHostileFiles, TruncatedCopiesFailWithAMessage)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    for (const std::string& name : fixtureNames()) {
        const std::string bytes = readFile(fixture(name));
        for (const size_t size : {size_t(100), size_t(3000), size_t(4096 * 3 + 17), bytes.size() / 2,
                                  bytes.size() - 1}) {
            const fs::path file = dir.path() / ("cut-" + name);
            writeFile(file, bytes.substr(0, std::min(size, bytes.size())));
            const std::string error = readEverything(file, passwordOf(name));
            if (!error.empty()) {
                EXPECT_TRUE(looksGerman(error)) << name << " @" << size << ": " << error;
            }
        }
    }
}

TEST(JetHostileFiles, NoiseInPagesNeverCrashes)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    std::mt19937 random(20261209);
    for (const std::string& name : fixtureNames()) {
        const std::string original = readFile(fixture(name));
        const size_t pageSize = name.find("1997") != std::string::npos ? 2048 : 4096;
        const size_t pages = original.size() / pageSize;
        for (int round = 0; round < 24; ++round) {
            std::string bytes = original;
            const int edits = 1 + static_cast<int>(random() % 8);
            for (int e = 0; e < edits; ++e) {
                // Mostly the catalog and the first table pages, where the structure lives.
                const size_t page = 1 + random() % std::min<size_t>(pages - 1, round % 2 ? pages - 1 : 12);
                const size_t at = page * pageSize + random() % pageSize;
                switch (random() % 4) {
                case 0: bytes[at] = static_cast<char>(random()); break;
                case 1: bytes[at] = static_cast<char>(0xFF); break;
                case 2:
                    for (size_t k = 0; k < 4 && at + k < bytes.size(); ++k)
                        bytes[at + k] = static_cast<char>(random());
                    break;
                default:
                    // A pointer to a page past the end (page number in the upper 3 bytes).
                    if (at + 4 <= bytes.size()) {
                        bytes[at + 1] = static_cast<char>(0xF0);
                        bytes[at + 2] = static_cast<char>(0xFF);
                        bytes[at + 3] = 0;
                    }
                }
            }
            const fs::path file = dir.path() / ("noise-" + name);
            writeFile(file, bytes);
            const std::string error = readEverything(file, passwordOf(name));
            if (!error.empty()) {
                EXPECT_TRUE(looksGerman(error)) << name << " round " << round << ": " << error;
            }
        }
    }
}

TEST(JetHostileFiles, ACatalogPointingIntoItselfIsReportedNotFollowedForever)
{
    EDVARA_REQUIRE_ACCESS_FIXTURES();
    TempDir dir;
    std::string bytes = readFile(fixture("testV2000.mdb"));
    // The catalog's definition page names itself as its continuation.
    bytes[2 * 4096 + 4] = 2;
    bytes[2 * 4096 + 5] = bytes[2 * 4096 + 6] = bytes[2 * 4096 + 7] = 0;
    const fs::path file = dir.path() / "loop.mdb";
    writeFile(file, bytes);
    Connection c;
    const std::string error = jetErrorOf([&] { c.attach(file); });
    EXPECT_NE(error.find("Schleife"), std::string::npos) << error;
    EXPECT_NE(error.find(file.string()), std::string::npos) << error;
}
