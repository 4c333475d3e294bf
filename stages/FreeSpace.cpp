// The end of every run that got that far: whatever deleted or replaced data left in the
// file is overwritten with zeros (an Access file in place, inside one unit of its journal;
// a SQLite file rebuilt), so that the file no longer holds the people it was meant to hide.
// Layer: anonymisation stage (operations of the main window); the work is the database
// layer's (DbConnection::Scrub).
#include "app/Unit1.h"
#include "util/Error.h"
#include "util/RawScan.h"

#include <QSet>

#include <algorithm>

namespace app {

int TForm1::rawScanCount(bool countLive)
{
    const util::RawScanner scanner(m_originals.texts());
    m_rawScan.searched = scanner.textCount();
    const QString path = con.FilePath();
    // A SQLite file's latest pages may still sit in its write-ahead log.
    const QStringList inFile =
        scanner.foundIn({path, path + QStringLiteral("-wal"), path + QStringLiteral("-journal")});
    if (countLive) {
        // The same search over every live text cell (as UTF-8, one of the forms searched).
        std::vector<bool> live(static_cast<size_t>(scanner.textCount()), false);
        for (const QString& table : con.TableNames()) {
            try {
                con.Query(QStringLiteral("select * from [%1]").arg(table),
                          [&](const db::ResultColumns&, const std::vector<db::Value>& row) {
                              // The row's texts one after the other, in both orders: a
                              // record stores neighbouring values side by side, and the end
                              // of a phone number with the start of a mail address can
                              // spell an original by chance.
                              QString forward, backward;
                              for (const db::Value& v : row)
                                  if (const auto* text = std::get_if<QString>(&v)) {
                                      forward += *text;
                                      backward.prepend(*text);
                                  }
                              for (const QString* joined : {&forward, &backward}) {
                                  const QByteArray bytes = joined->toUtf8();
                                  scanner.scan(bytes.constData(), static_cast<size_t>(bytes.size()), live);
                              }
                          });
            } catch (const util::Error&) {
                // A table the layer cannot read: its cells count as not live.
            }
        }
        QSet<QString> liveTexts;
        for (int i = 0; i < scanner.textCount(); ++i)
            if (live[static_cast<size_t>(i)])
                liveTexts.insert(scanner.text(i));
        m_rawScan.afterScrubLive = static_cast<int>(
            std::count_if(inFile.begin(), inFile.end(), [&](const QString& t) { return liveTexts.contains(t); }));
    }
    return static_cast<int>(inFile.size());
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
        m_rawScan.afterScrub = rawScanCount(true);
}

}  // namespace app
