// Power-loss simulation: replays the write log of a run (made by libedvara-writelog) up to
// many points, each time as the disk may hold it after a power failure there: everything up
// to each file's last flush, and of the writes after it a random choice, in random order,
// some torn at a sector boundary. The file is then opened as the next start would open it
// (which rolls back a hot journal) and must be the state after some unit: exactly the file
// as the last finished group (or the one being written) left it, never a mixture and never
// older than what was flushed.
//
//   edvara-power-loss LOG ORIGINAL FILE [POINTS] [SEED]
//
// FILE is the file the logged run wrote (the same inode: its journal names it); ORIGINAL a
// copy of it from before the run. Prints one line per failing point and a summary; exit 1
// when any point fails. Layer: test tool.
#include "db/TargetPassword.h"
#include "db/jet/Check.h"
#include "db/jet/Database.h"
#include "db/jet/JetError.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

struct Op {
    char kind = 0;  // W T S U C
    int file = 0;   // 0 target, 1 journal
    uint64_t at = 0;
    std::vector<uint8_t> data;
    // What the op replaced, to take it back: the bytes under a write, the tail a truncation
    // cut off, and the size before.
    std::vector<uint8_t> before;
    uint64_t sizeBefore = 0;
    bool existedBefore = false;
};

struct FileImage {
    std::vector<uint8_t> bytes;
    bool exists = false;
};

std::vector<uint8_t> readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool writeAll(const std::string& path, const FileImage& f)
{
    if (!f.exists) {
        std::remove(path.c_str());
        return true;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);  // in place: the inode stays
    out.write(reinterpret_cast<const char*>(f.bytes.data()), static_cast<std::streamsize>(f.bytes.size()));
    return static_cast<bool>(out);
}

uint64_t hashOf(const std::vector<uint8_t>& b)
{
    uint64_t h = 1469598103934665603ull;
    for (uint8_t c : b)
        h = (h ^ c) * 1099511628211ull;
    return h ^ b.size();
}

void apply(FileImage& f, Op& op, bool record, size_t tornTo = SIZE_MAX)
{
    if (record) {
        op.sizeBefore = f.bytes.size();
        op.existedBefore = f.exists;
    }
    switch (op.kind) {
    case 'C':
        f.exists = true;
        break;
    case 'U':
        f.exists = false;
        f.bytes.clear();
        break;
    case 'T':
        if (record && op.at < f.bytes.size())
            op.before.assign(f.bytes.begin() + static_cast<std::ptrdiff_t>(op.at), f.bytes.end());
        f.bytes.resize(op.at, 0);
        break;
    case 'W': {
        const size_t n = std::min(op.data.size(), tornTo);
        if (record) {
            const size_t have = f.bytes.size() > op.at ? std::min<size_t>(f.bytes.size() - op.at, op.data.size()) : 0;
            op.before.assign(f.bytes.begin() + static_cast<std::ptrdiff_t>(std::min<uint64_t>(op.at, f.bytes.size())),
                             f.bytes.begin() + static_cast<std::ptrdiff_t>(std::min<uint64_t>(op.at, f.bytes.size()) + have));
        }
        if (f.bytes.size() < op.at + n)
            f.bytes.resize(op.at + n, 0);
        std::memcpy(f.bytes.data() + op.at, op.data.data(), n);
        break;
    }
    default:
        break;
    }
}

void undo(FileImage& f, const Op& op)
{
    switch (op.kind) {
    case 'C':
    case 'U':
        f.exists = op.existedBefore;
        if (op.kind == 'U')
            f.bytes.assign(op.sizeBefore, 0);  // not used: a removal is only ever the last op
        break;
    case 'T':
        f.bytes.resize(op.sizeBefore, 0);
        if (!op.before.empty())
            std::memcpy(f.bytes.data() + op.at, op.before.data(), op.before.size());
        break;
    case 'W':
        if (!op.before.empty())
            std::memcpy(f.bytes.data() + op.at, op.before.data(), op.before.size());
        f.bytes.resize(op.sizeBefore, 0);
        break;
    default:
        break;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::cerr << "Aufruf: edvara-power-loss LOG ORIGINAL DATEI [PUNKTE] [STARTWERT]\n";
        return 64;
    }
    const std::string logPath = argv[1];
    const std::string file = argv[3];
    const int points = argc > 4 ? std::stoi(argv[4]) : 300;
    std::mt19937_64 random(argc > 5 ? std::stoull(argv[5]) : 1);

    std::vector<Op> ops;
    {
        const std::vector<uint8_t> log = readAll(logPath);
        size_t at = 0;
        while (at + 18 <= log.size()) {
            Op op;
            op.kind = static_cast<char>(log[at]);
            op.file = log[at + 1];
            uint64_t length = 0;
            std::memcpy(&op.at, &log[at + 2], 8);
            std::memcpy(&length, &log[at + 10], 8);
            at += 18;
            if (op.kind == 'W') {
                if (at + length > log.size())
                    break;
                op.data.assign(log.begin() + static_cast<std::ptrdiff_t>(at),
                               log.begin() + static_cast<std::ptrdiff_t>(at + length));
                at += length;
            }
            ops.push_back(std::move(op));
        }
    }

    // Replay in full once: the state after every op, taken back op by op when needed.
    FileImage target{readAll(argv[2]), true};
    FileImage journal;
    // Commit points: a flush of the journal while its header is cleared (a group written
    // and finished), and the end of the log. Their target states are the states after a unit.
    std::vector<size_t> commitAt;
    std::vector<uint64_t> commitHash;
    commitAt.push_back(0);
    commitHash.push_back(hashOf(target.bytes));
    std::vector<std::array<size_t, 2>> syncedBefore(ops.size() + 1);
    std::array<size_t, 2> synced{0, 0};
    syncedBefore[0] = synced;
    auto headerClear = [&] {
        if (!journal.exists || journal.bytes.size() < 128)
            return journal.exists;
        for (size_t i = 0; i < 128; ++i)
            if (journal.bytes[i])
                return false;
        return true;
    };
    for (size_t i = 0; i < ops.size(); ++i) {
        Op& op = ops[i];
        apply(op.file == 0 ? target : journal, op, true);
        if (op.kind == 'S' || op.kind == 'C' || op.kind == 'U')
            synced[op.file] = i + 1;  // creation and removal: the folder is flushed with them
        if (op.kind == 'S' && op.file == 1 && headerClear()) {
            commitAt.push_back(i + 1);
            commitHash.push_back(hashOf(target.bytes));
        }
        syncedBefore[i + 1] = synced;
    }
    commitAt.push_back(ops.size());
    commitHash.push_back(hashOf(target.bytes));

    // Walk back from the end to each point (highest first), so that each op is undone once.
    // Evenly spread; where a run has fewer ops than points, a point takes several draws.
    std::vector<size_t> chosen;
    for (int p = 1; p <= points; ++p)
        chosen.push_back(static_cast<size_t>(static_cast<double>(ops.size()) * p / (points + 1)));
    int failures = 0, refused = 0, checked = 0, tested = 0, droppedAny = 0;
    size_t k = ops.size();
    for (auto it = chosen.rbegin(); it != chosen.rend(); ++it) {
        while (k > *it) {
            --k;
            undo(ops[k].file == 0 ? target : journal, ops[k]);
        }
        // The disk after a power failure at point k: per file, the ops since its last flush
        // are taken back, then a random choice of them applied again in random order.
        FileImage t = target, j = journal;
        std::vector<size_t> pending;
        for (int f = 0; f < 2; ++f)
            for (size_t i = k; i > syncedBefore[k][f]; --i)
                if (ops[i - 1].file == f) {
                    undo(f == 0 ? t : j, ops[i - 1]);
                    pending.push_back(i - 1);
                }
        std::shuffle(pending.begin(), pending.end(), random);
        for (size_t i : pending) {
            const unsigned r = static_cast<unsigned>(random() % 4);
            if (r == 0) {
                ++droppedAny;
                continue;  // never reached the disk
            }
            Op copy = ops[i];
            const size_t torn = r == 1 && copy.data.size() > 512 ? 512 * (1 + random() % (copy.data.size() / 512)) : SIZE_MAX;
            apply(copy.file == 0 ? t : j, copy, false, torn);
        }
        writeAll(file, t);
        writeAll(file + "-journal", j);
        ++tested;
        // The states after a unit that may be found: the last group finished before k, or
        // the one after it (written completely before the power went).
        size_t c = 0;
        while (c + 1 < commitAt.size() && commitAt[c + 1] <= k)
            ++c;
        std::set<uint64_t> allowed{commitHash[c]};
        if (c + 1 < commitHash.size())
            allowed.insert(commitHash[c + 1]);
        try {
            auto db = db::jet::Database::open(file, db::kTargetPassword, db::jet::AccessMode::ReadWriteExclusive);
            if (tested % 25 == 1) {
                ++checked;
                const auto errors = db::jet::checkErrors(db::jet::checkDatabase(*db));
                if (!errors.empty()) {
                    ++failures;
                    std::cout << "Punkt " << k << ": --check: " << errors.front() << "\n";
                }
            }
        } catch (const std::exception& e) {
            ++refused;
            ++failures;
            std::cout << "Punkt " << k << ": nicht zu öffnen: " << e.what() << "\n";
            continue;
        }
        const uint64_t h = hashOf(readAll(file));
        if (!allowed.count(h)) {
            ++failures;
            bool older = false;
            for (size_t o = 0; o < c; ++o)
                older = older || commitHash[o] == h;
            std::cout << "Punkt " << k << ": "
                      << (older ? "ein älterer Stand: eine abgeschlossene Einheit fehlt"
                                : "kein Stand nach einer Einheit (gemischt)")
                      << "\n";
        }
    }
    std::cout << "Operationen: " << ops.size() << ", abgeschlossene Gruppen: " << commitAt.size() - 2
              << ", Punkte: " << tested << ", davon geprüft: " << checked << ", Fehler: " << failures
              << " (nicht zu öffnen: " << refused << "), verlorene Schreibvorgänge: " << droppedAny << "\n";
    return failures == 0 ? 0 : 1;
}
