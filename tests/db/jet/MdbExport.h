// Running Debian's mdbtools and edvara-sql side by side: their CSV parsed and normalised
// into a form both readers agree on, so that a table can be compared row for row.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace mdbexport {

struct Output {
    std::string out;
    int status = -1;
};

inline std::string shellQuote(const std::string& s)
{
    std::string q = "'";
    for (char ch : s)
        q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return q + "'";
}

inline Output run(const std::vector<std::string>& args)
{
    std::string cmd;
    for (const std::string& a : args)
        cmd += shellQuote(a) + " ";
    cmd += "2>/dev/null";
    Output o;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return o;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        o.out.append(buf, n);
    const int st = ::pclose(p);
    o.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return o;
}

struct Field {
    bool quoted = false;
    std::string text;
};
using CsvRow = std::vector<Field>;

inline std::vector<CsvRow> parseCsv(const std::string& s)
{
    std::vector<CsvRow> rows;
    CsvRow row;
    size_t i = 0;
    while (i < s.size()) {
        Field f;
        if (s[i] == '"') {
            f.quoted = true;
            ++i;
            while (i < s.size()) {
                if (s[i] == '"') {
                    if (i + 1 < s.size() && s[i + 1] == '"') {
                        f.text += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                f.text += s[i++];
            }
        } else {
            while (i < s.size() && s[i] != ',' && s[i] != '\n')
                f.text += s[i++];
        }
        row.push_back(f);
        if (i < s.size() && s[i] == ',') {
            ++i;
            continue;
        }
        if (i < s.size() && s[i] == '\n')
            ++i;
        rows.push_back(std::move(row));
        row.clear();
    }
    return rows;
}

// One value in a form both readers agree on: NULL, a number (rounded to 12 significant
// digits, since mdb-export prints fewer digits than a double holds), or text; binary
// values as bare upper-case hex. mdb-export prints a zero-length text as it prints NULL, so
// an empty text counts as NULL here (the engine tests tell the two apart).
inline std::string normalise(const Field& f)
{
    if (f.text.empty())
        return "<NULL>";
    std::string t = f.text;
    if (!f.quoted && t.rfind("0x", 0) == 0)
        t = t.substr(2);
    // mdb-export's "-b hex" prints a GUID as the hex of its text, and that text without
    // the dash before the last group: both sides compare as "{" 32 digits "}".
    if (t.size() >= 68 && t.size() % 2 == 0 && t.rfind("7B", 0) == 0 && t.compare(t.size() - 2, 2, "7D") == 0
        && t.find_first_not_of("0123456789ABCDEF") == std::string::npos) {
        std::string text;
        for (size_t i = 0; i < t.size(); i += 2)
            text += static_cast<char>(std::stoi(t.substr(i, 2), nullptr, 16));
        t = text;
    }
    if (t.size() >= 34 && t.front() == '{' && t.back() == '}'
        && t.find_first_not_of("0123456789ABCDEFabcdef-", 1) == t.size() - 1) {
        std::string digits;
        for (char c : t)
            if (c != '-' && c != '{' && c != '}')
                digits += c;
        if (digits.size() == 32)
            t = "{" + digits + "}";
    }
    char* end = nullptr;
    const double d = std::strtod(t.c_str(), &end);
    if (!t.empty() && end == t.c_str() + t.size() && std::isfinite(d) && t.find_first_of("xX") == std::string::npos) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.12g", d == 0 ? 0.0 : d);
        return std::string("#") + buf;
    }
    return "'" + t;
}

inline std::vector<std::string> normaliseRows(const std::vector<CsvRow>& rows)
{
    std::vector<std::string> out;
    for (size_t r = 1; r < rows.size(); ++r) {
        std::string line;
        for (const Field& f : rows[r])
            line += normalise(f) + "\x1F";
        out.push_back(line);
    }
    // Row order is the engine's choice (mdbtools lists moved rows where they now live).
    std::sort(out.begin(), out.end());
    return out;
}

inline std::vector<std::string> header(const std::vector<CsvRow>& rows)
{
    std::vector<std::string> h;
    if (!rows.empty())
        for (const Field& f : rows[0])
            h.push_back(f.text);
    return h;
}

inline const std::string kTool = std::string(EDVARA_BIN_DIR) + "/edvara-sql";

// Compares every user table of an Access file as edvara-sql and mdb-export print it;
// returns the number of tables compared.
inline int expectSameAsMdbExport(const std::string& path, const std::string& password)
{
    std::vector<std::string> args = {kTool, "--read-only"};
    if (!password.empty())
        args.insert(args.end(), {"--password", password});
    const Output list = run({"mdb-tables", "-1", path});
    std::istringstream names(list.out);
    std::string table;
    int tables = 0;
    while (std::getline(names, table)) {
        if (table.empty())
            continue;
        ++tables;
        const Output theirs = run({"mdb-export", "-D", "%Y-%m-%d %H:%M:%S", "-T", "%Y-%m-%d %H:%M:%S", "-b", "hex",
                                   path, table});
        std::vector<std::string> ours = args;
        ours.insert(ours.end(), {path, "select * from [" + table + "]"});
        const Output mine = run(ours);
        EXPECT_EQ(mine.status, 0) << path << " " << table;
        const auto a = parseCsv(theirs.out), b = parseCsv(mine.out);
        EXPECT_EQ(header(b), header(a)) << path << " " << table;
        EXPECT_EQ(normaliseRows(b), normaliseRows(a)) << path << " " << table;
    }
    return tables;
}

}  // namespace mdbexport
