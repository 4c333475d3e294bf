// The engine's two error types: JetError for every failure a user can cause (German
// message, UTF-8), CorruptError for bytes on disk that contradict the format.
// Layer: shared by every engine layer; knows nothing of pages or SQL.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace db::jet {

// Every failure of the engine: a German message (UTF-8) that names what is wrong.
class JetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A structure on disk that cannot be right. The message names the page and the field;
// sourceFile/sourceLine tell the developer which check fired.
class CorruptError : public JetError {
public:
    CorruptError(int64_t page, const std::string& field, const std::string& detail,
                 const char* sourceFile, int sourceLine);
    int64_t page() const noexcept { return m_page; }
    const char* sourceFile() const noexcept { return m_sourceFile; }
    int sourceLine() const noexcept { return m_sourceLine; }

private:
    int64_t m_page;
    const char* m_sourceFile;
    int m_sourceLine;
};

// Page number for structures that are not tied to one page (a reassembled definition).
inline constexpr int64_t kNoPage = -1;

[[noreturn]] void throwCorrupt(int64_t page, const std::string& field, const std::string& detail,
                               const char* sourceFile, int sourceLine);

}  // namespace db::jet

#define JET_CORRUPT(page, field, detail) \
    ::db::jet::throwCorrupt((page), (field), (detail), __FILE__, __LINE__)
