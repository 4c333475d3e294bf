// Column kinds and the date-time representation shared by all database files.
#include "db/Value.h"
#include "db/SqliteAccess.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>

#include <cmath>

namespace db {

ColumnKind columnKindFromDeclaredType(const QString& declared)
{
    return columnKindFromDeclaredType(std::string_view(declared.toUtf8().toStdString()));
}

namespace {
const QDateTime& epoch()
{
    static const QDateTime e(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    return e;
}
}  // namespace

double dateTimeToDays(const QDateTime& dt)
{
    // Work in UTC with the wall-clock fields, so no time-zone shift enters the count.
    const QDateTime wall(dt.date(), dt.time(), Qt::UTC);
    const qint64 ms = epoch().msecsTo(wall);
    const double whole = std::floor(static_cast<double>(ms) / 86400000.0);
    const double frac = static_cast<double>(ms - static_cast<qint64>(whole) * 86400000) / 86400000.0;
    // Before the zero day the integer part counts backwards while the fraction still
    // counts forward from midnight, as the Access engine stores such dates.
    return whole < 0 ? whole - frac : whole + frac;
}

QDateTime daysToDateTime(double days)
{
    double whole = std::trunc(days);
    double frac = std::fabs(days - whole);
    qint64 ms = static_cast<qint64>(std::llround(frac * 86400000.0));
    if (ms >= 86400000) {
        ms -= 86400000;
        whole += days < 0 ? -1 : 1;
    }
    const QDateTime day = epoch().addDays(static_cast<qint64>(whole));
    return QDateTime(day.date(), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)), Qt::UTC);
}

QString daysToCanonicalText(double days)
{
    QDateTime dt = daysToDateTime(days);
    // Whole seconds are stored; round rather than cut so that 23:59:59.9996 stays a
    // valid time of the same instant.
    const int msPart = dt.time().msec();
    dt = dt.addMSecs(msPart >= 500 ? 1000 - msPart : -msPart);
    return dt.toString(QLatin1String(kDateTimeFormat));
}

bool canonicalTextToDays(const QString& text, double& days)
{
    // Parsed field by field: a date-time is wall-clock time without a zone, so no
    // daylight-saving gap of the local zone may turn a stored value invalid.
    static const QRegularExpression iso(QStringLiteral(
        R"(^\s*(\d{4})-(\d{1,2})-(\d{1,2})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2})(?:\.(\d{1,3}))?)?)?\s*$)"));
    static const QRegularExpression german(QStringLiteral(
        R"(^\s*(\d{1,2})\.(\d{1,2})\.(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    QDate date;
    QRegularExpressionMatch m = iso.match(text);
    if (m.hasMatch()) {
        date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    } else {
        m = german.match(text);
        if (!m.hasMatch())
            return false;
        date = QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    }
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(),
                     m.lastCapturedIndex() >= 7 ? m.captured(7).leftJustified(3, QLatin1Char('0')).toInt() : 0);
    if (!date.isValid() || !time.isValid())
        return false;
    days = dateTimeToDays(QDateTime(date, time, Qt::UTC));
    return true;
}

}  // namespace db
