// The independent judge in the tests: Jackcess (EDVARA_JUDGE, ../shared/judges/jackcess), an
// Access engine no one here wrote, checks a file a test wrote (verify) or writes to it as a
// second program would (mutate), the way the tests use mdb-export as a second reader.
// Layer: test support. It runs the judge on the tests' own temporary files only; without the
// judge or Java the tests that need it skip with a message saying so.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace testsupport {

struct JudgeRun {
    int status = -1;      // the judge's exit status; -1 when it could not be started
    std::string output;   // standard output: a line per table and index, the verdict last
    std::string errors;   // standard error, without the Java runtime's notes about its options
};

// Why the judge cannot run here, in German for the skip message; empty when it can.
inline const std::string& judgeMissing()
{
    static const std::string why = [] {
        if (!std::filesystem::exists(EDVARA_JUDGE))
            return std::string("Der unabhängige Prüfer (Jackcess) fehlt (" EDVARA_JUDGE
                               "); seine Urteile über die geschriebenen Dateien werden übersprungen.");
        if (std::system("java -version >/dev/null 2>&1") != 0)
            return std::string("Java fehlt (Paket openjdk-17-jre-headless); die Urteile des unabhängigen Prüfers "
                               "über die geschriebenen Dateien werden übersprungen.");
        return std::string();
    }();
    return why;
}

namespace judgedetail {

inline std::string shellQuote(const std::string& s)
{
    std::string q = "'";
    for (char ch : s)
        q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return q + "'";
}

inline std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The Java runtime's start is most of a verdict on a small file (some 1.5 s). A class-data
// archive of the judge's classes, made by the first call in this build folder, and the quick
// compiler alone halve it; a file of some MB is judged sooner with the optimising compiler
// as well (a verify of the --large sample: 34 s of CPU against 57). The archive is named
// after the judge's jars, so a changed judge gets a new one; the runtime ignores an archive
// it cannot use.
struct JavaOptions {
    std::string options;
    std::string pendingArchive;  // written by this call, renamed into place afterwards
    std::string archive;
};

inline JavaOptions javaOptions(const std::string& extra, const std::string& file)
{
    namespace fs = std::filesystem;
    JavaOptions o;
    std::error_code ec;
    const bool small = fs::file_size(file, ec) < 4u * 1024 * 1024 || ec;
    o.options = std::string(small ? "-XX:TieredStopAtLevel=1 -XX:+UseSerialGC" : "-XX:+UseParallelGC")
                + " -Xshare:auto -Xlog:disable -Xlog:all=warning:stderr";
    const fs::path lib = fs::path(EDVARA_JUDGE).parent_path() / "lib";
    long long stamp = 0;
    for (const char* jar : {"judge.jar", "jackcess.jar"}) {
        const auto t = fs::last_write_time(lib / jar, ec);
        if (!ec)
            stamp = stamp * 31 + static_cast<long long>(t.time_since_epoch().count() % 1000000007);
    }
    fs::create_directories(EDVARA_JUDGE_CACHE, ec);
    if (!ec && stamp != 0) {
        o.archive = (fs::path(EDVARA_JUDGE_CACHE) / ("judge-" + std::to_string(stamp) + ".jsa")).string();
        if (fs::exists(o.archive)) {
            o.options += " -XX:SharedArchiveFile=" + o.archive;
        } else {
            o.pendingArchive = o.archive + "." + std::to_string(::getpid()) + ".tmp";
            o.options += " -XX:ArchiveClassesAtExit=" + o.pendingArchive;
        }
    }
    if (!extra.empty())
        o.options += " " + extra;
    return o;
}

}  // namespace judgedetail

// Runs the judge with `args` (a verb and its file), `javaOptions` added to the runtime's.
// EDVARA_JUDGE_TIMES=FILE appends each call's verb, seconds and file to FILE: what the
// judge adds to the suite's time.
inline JudgeRun runJudge(const std::vector<std::string>& args, const std::string& javaOptions = "")
{
    JudgeRun r;
    if (!judgeMissing().empty())
        return r;
    const auto started = std::chrono::steady_clock::now();
    const judgedetail::JavaOptions java = judgedetail::javaOptions(javaOptions, args.size() > 1 ? args[1] : "");
    char errTemplate[] = "/tmp/judge-err-XXXXXX";
    const int fd = ::mkstemp(errTemplate);
    if (fd < 0)
        return r;
    ::close(fd);
    std::string cmd = "JAVA_TOOL_OPTIONS=" + judgedetail::shellQuote(java.options) + " "
                      + judgedetail::shellQuote(EDVARA_JUDGE);
    for (const std::string& a : args)
        cmd += " " + judgedetail::shellQuote(a);
    cmd += " 2>" + judgedetail::shellQuote(errTemplate);
    std::fflush(nullptr);
    if (FILE* p = ::popen(cmd.c_str(), "r")) {
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            r.output.append(buf, n);
        const int st = ::pclose(p);
        r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    std::istringstream err(judgedetail::readAll(errTemplate));
    for (std::string line; std::getline(err, line);)
        if (line.rfind("Picked up JAVA_TOOL_OPTIONS", 0) != 0)
            r.errors += line + "\n";
    std::remove(errTemplate);
    if (!java.pendingArchive.empty()) {
        std::error_code ec;
        if (std::filesystem::exists(java.pendingArchive, ec))
            std::filesystem::rename(java.pendingArchive, java.archive, ec);
    }
    if (const char* times = std::getenv("EDVARA_JUDGE_TIMES"); times && *times) {
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        std::ofstream(times, std::ios::app) << (args.empty() ? "" : args[0]) << " " << took.count() << " "
                                            << (args.size() > 1 ? args[1] : "") << "\n";
    }
    return r;
}

// What a failed verdict says: every line that is not OK, the verdict, and the tail of
// standard error; the whole output when no line says more.
inline std::string judgeDigest(const JudgeRun& r)
{
    std::string out;
    std::istringstream lines(r.output);
    int kept = 0;
    for (std::string line; std::getline(lines, line);) {
        // (verify's notes on a definition's unique-entry count are no verdict, and many)
        const bool telling = line.find("FAIL") != std::string::npos || line.find("ERROR") != std::string::npos
                             || line.find("exception") != std::string::npos || line.rfind("RESULT", 0) == 0
                             || line.rfind("MUTATE OK", 0) == 0 || line.rfind("MUTATE ERRORS", 0) == 0;
        if (telling && ++kept <= 60)
            out += "  " + line + "\n";
    }
    if (kept == 0)
        out = r.output;
    if (!r.errors.empty())
        out += "  stderr: " + r.errors.substr(0, 2000);
    return out;
}

// Jackcess reads every table and index of `file` and finds nothing wrong (judge verify).
// Succeeds without a verdict where the judge is missing (EDVARA_SKIP_WITHOUT_JUDGE then says so).
inline ::testing::AssertionResult judgeAccepts(const std::string& file)
{
    if (!judgeMissing().empty())
        return ::testing::AssertionSuccess();
    const JudgeRun r = runJudge({"verify", file});
    if (r.status == 0 && r.output.find("RESULT OK") != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "Jackcess (judge verify) rejects " << file << " (status " << r.status
                                         << "):\n" << judgeDigest(r);
}

// Jackcess writes to `file` as a second program would (judge mutate: updates of indexed
// columns, inserts and deletes in every table, or in `tables`); its refusals under Access's
// rules are counted, anything else fails. Run judgeAccepts and our own check after it.
inline ::testing::AssertionResult judgeMutates(const std::string& file, const std::vector<std::string>& tables = {})
{
    if (!judgeMissing().empty())
        return ::testing::AssertionSuccess();
    std::vector<std::string> args = {"mutate", file};
    args.insert(args.end(), tables.begin(), tables.end());
    const JudgeRun r = runJudge(args);
    if (r.status == 0 && r.output.find("MUTATE OK") != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "Jackcess (judge mutate) cannot write to " << file << " (status "
                                         << r.status << "):\n" << judgeDigest(r);
}

}  // namespace testsupport

// The end of a test that judged files with judgeAccepts/judgeMutates: where the judge is
// missing, the test says so and counts as skipped (its own checks have run).
#define EDVARA_SKIP_WITHOUT_JUDGE()                                   \
    do {                                                              \
        if (!testsupport::judgeMissing().empty())                     \
            GTEST_SKIP() << testsupport::judgeMissing();              \
    } while (false)

// The last word of a test on a file it wrote: Jackcess accepts it.
#define EDVARA_EXPECT_JUDGE_ACCEPTS(file)                             \
    do {                                                              \
        EDVARA_SKIP_WITHOUT_JUDGE();                                  \
        EXPECT_TRUE(testsupport::judgeAccepts(file));                 \
    } while (false)
