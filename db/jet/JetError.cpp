// Messages of the engine's error types.
#include "db/jet/JetError.h"

namespace db::jet {

namespace {

std::string corruptMessage(int64_t page, const std::string& field, const std::string& detail)
{
    std::string m = "Die Access-Datei ist beschädigt";
    if (page >= 0)
        m += " (Seite " + std::to_string(page) + ", " + field + ")";
    else
        m += " (" + field + ")";
    m += ": " + detail;
    return m;
}

}  // namespace

CorruptError::CorruptError(int64_t page, const std::string& field, const std::string& detail,
                           const char* sourceFile, int sourceLine)
    : JetError(corruptMessage(page, field, detail)),
      m_page(page),
      m_sourceFile(sourceFile),
      m_sourceLine(sourceLine)
{
}

void throwCorrupt(int64_t page, const std::string& field, const std::string& detail,
                  const char* sourceFile, int sourceLine)
{
    throw CorruptError(page, field, detail, sourceFile, sourceLine);
}

}  // namespace db::jet
