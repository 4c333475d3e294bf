// Column kinds and the date-time representation shared by all database files.
#include "db/Value.h"
#include "db/SqliteAccess.h"
#include "db/jet/ValueFormat.h"

#include <QDateTime>
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

// The text forms of date-times are the Access engine's own, so that the engine reads
// exactly what this layer writes and both round alike.
QString daysToCanonicalText(double days)
{
    const std::optional<std::string> text = jet::formatDateTime(days);
    return text ? QString::fromStdString(*text) : QString();
}

bool canonicalTextToDays(const QString& text, double& days)
{
    const std::optional<double> parsed = jet::parseDateTime(text.toStdString());
    if (!parsed)
        return false;
    days = *parsed;
    return true;
}

}  // namespace db
