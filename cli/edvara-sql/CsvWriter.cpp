// Formatting result values as CSV fields.
#include "cli/edvara-sql/CsvWriter.h"

#include <charconv>
#include <cmath>

namespace cli {

namespace {

void writeQuoted(std::ostream& out, const QByteArray& utf8)
{
    out << '"';
    for (const char ch : utf8) {
        if (ch == '"')
            out << '"';
        out << ch;
    }
    out << '"';
}

bool needsQuotes(const QByteArray& s)
{
    for (const char ch : s)
        if (ch == ',' || ch == '"' || ch == '\n' || ch == '\r')
            return true;
    return s.isEmpty();
}

void writeField(std::ostream& out, db::ColumnKind kind, const db::Value& v)
{
    if (db::isNull(v))
        return;
    if (const auto* i = std::get_if<qint64>(&v)) {
        out << (kind == db::ColumnKind::Boolean ? (*i != 0 ? 1 : 0) : *i);
        return;
    }
    if (const auto* d = std::get_if<double>(&v)) {
        if (kind == db::ColumnKind::Boolean)
            out << (*d != 0 ? 1 : 0);
        else if (kind == db::ColumnKind::DateTime)
            out << db::daysToCanonicalText(*d).toStdString();
        else
            out << formatNumber(*d);
        return;
    }
    if (const auto* s = std::get_if<QString>(&v)) {
        const QByteArray utf8 = s->toUtf8();
        // Date-times and exact decimals arrive as text but are not text to the reader.
        if ((kind == db::ColumnKind::DateTime || kind == db::ColumnKind::Float) && !needsQuotes(utf8))
            out.write(utf8.constData(), utf8.size());
        else
            writeQuoted(out, utf8);
        return;
    }
    if (const auto* b = std::get_if<QByteArray>(&v)) {
        out << "0x" << b->toHex().toUpper().toStdString();
    }
}

}  // namespace

std::string formatNumber(double v)
{
    if (std::isnan(v))
        return "NaN";
    if (std::isinf(v))
        return v > 0 ? "Infinity" : "-Infinity";
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

void writeCsvHeader(std::ostream& out, const db::ResultColumns& columns)
{
    for (int i = 0; i < columns.names.size(); ++i) {
        if (i)
            out << ',';
        const QByteArray name = columns.names[i].toUtf8();
        if (needsQuotes(name))
            writeQuoted(out, name);
        else
            out.write(name.constData(), name.size());
    }
    out << '\n';
}

void writeCsvRow(std::ostream& out, const db::ResultColumns& columns, const std::vector<db::Value>& row)
{
    for (size_t i = 0; i < row.size(); ++i) {
        if (i)
            out << ',';
        const db::ColumnKind kind = i < columns.kinds.size() ? columns.kinds[i] : db::ColumnKind::Other;
        writeField(out, kind, row[i]);
    }
    out << '\n';
}

}  // namespace cli
