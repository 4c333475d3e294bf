// The end of every run that got that far: whatever deleted or replaced data left in the
// file is overwritten with zeros (an Access file in place, inside one unit of its journal;
// a SQLite file rebuilt), so that the file no longer holds the people it was meant to hide.
// Layer: anonymisation stage (operations of the main window); the work is the database
// layer's (DbConnection::Scrub).
#include "app/Unit1.h"
#include "util/RawScan.h"

#include <algorithm>

namespace app {

int TForm1::rawScanCount()
{
    const util::RawScanner scanner(m_originals.texts());
    m_rawScan.searched = scanner.textCount();
    const QString path = con.FilePath();
    // A SQLite file's latest pages may still sit in its write-ahead log.
    return static_cast<int>(
        scanner.foundIn({path, path + QStringLiteral("-wal"), path + QStringLiteral("-journal")}).size());
}

void TForm1::ScrubFreeSpace()
{
    SetStatus(QStringLiteral("Freien Speicher überschreiben"));
    ProcessMessages();
    if (m_rawScanWanted && con.Connected())
        m_rawScan.beforeScrub = rawScanCount();
    const db::ScrubResult result = con.Scrub([this](quint64 done, quint64 total) {
        // The bar counts pages; a file beyond two billion pages is no Access file.
        const auto clamp = [](quint64 n) { return static_cast<int>(std::min<quint64>(n, 0x7FFFFFFF)); };
        SetProgress(clamp(done), clamp(total));
        ProcessMessages();
    });
    for (const QString& note : result.notes)
        host().diagnostic(QStringLiteral("Überschreiben: ") + note);
    if (m_rawScanWanted)
        m_rawScan.afterScrub = rawScanCount();
}

}  // namespace app
