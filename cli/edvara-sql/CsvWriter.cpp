// Database-layer values to CSV fields.
#include "cli/edvara-sql/CsvWriter.h"

namespace cli {

namespace {

void appendField(std::string& out, db::ColumnKind kind, const db::Value& v)
{
    if (db::isNull(v))
        return;
    if (const auto* i = std::get_if<qint64>(&v)) {
        appendCsvInteger(out, kind, *i);
    } else if (const auto* d = std::get_if<double>(&v)) {
        if (kind == db::ColumnKind::DateTime)
            out += db::daysToCanonicalText(*d).toStdString();
        else
            appendCsvReal(out, kind, *d);
    } else if (const auto* s = std::get_if<QString>(&v)) {
        const QByteArray utf8 = s->toUtf8();
        appendCsvText(out, kind, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    } else if (const auto* b = std::get_if<QByteArray>(&v)) {
        appendCsvBytes(out, std::string_view(b->constData(), static_cast<size_t>(b->size())));
    }
}

}  // namespace

void writeCsvHeader(std::ostream& out, const db::ResultColumns& columns)
{
    std::string line;
    for (int i = 0; i < columns.names.size(); ++i) {
        if (i)
            line += ',';
        const QByteArray name = columns.names[i].toUtf8();
        appendCsvName(line, std::string_view(name.constData(), static_cast<size_t>(name.size())));
    }
    line += '\n';
    out << line;
}

void writeCsvRow(std::ostream& out, const db::ResultColumns& columns, const std::vector<db::Value>& row)
{
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
        if (i)
            line += ',';
        const db::ColumnKind kind = i < columns.kinds.size() ? columns.kinds[i] : db::ColumnKind::Other;
        appendField(line, kind, row[i]);
    }
    line += '\n';
    out << line;
}

}  // namespace cli
