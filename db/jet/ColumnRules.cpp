// Reading the rules among a table's properties, filling in an insert's defaults and
// refusing the values and changes Access's engine would refuse.
#include "db/jet/ColumnRules.h"

#include "db/jet/CaseFold.h"
#include "db/jet/JetError.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace db::jet {

namespace {

const char* const kRequired = "Required";
const char* const kAllowZeroLength = "AllowZeroLength";
const char* const kValidationRule = "ValidationRule";
const char* const kDefaultValue = "DefaultValue";
const char* const kCheckConstraints = "CheckConstraints";

std::string folded(const std::string& name)
{
    std::string key;
    return foldedKey(name, key) ? key : name;
}

std::string trimmed(const std::string& s)
{
    const auto blank = [](char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; };
    size_t from = 0, to = s.size();
    while (from < to && blank(s[from]))
        ++from;
    while (to > from && blank(s[to - 1]))
        --to;
    return s.substr(from, to - from);
}

std::string lowered(const std::string& s)
{
    std::string out;
    for (char ch : s)
        out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(ch))));
    return out;
}

std::string describe(const std::string& table, const ColumnDef& c)
{
    return "Das Feld \"" + c.name + "\" der Tabelle \"" + table + "\"";
}

bool isString(ColumnType t) { return t == ColumnType::Text || t == ColumnType::Memo; }

// [+-]digits, with `fraction` also [+-]digits.digits; the sign is dropped from `digits`.
bool numberLiteral(const std::string& t, bool fraction, std::string& digits)
{
    size_t i = t.empty() || (t[0] != '+' && t[0] != '-') ? 0 : 1;
    const size_t start = i;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
        ++i;
    if (i == start)
        return false;
    if (fraction && i < t.size() && t[i] == '.') {
        const size_t point = ++i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            ++i;
        if (i == point)
            return false;
    }
    if (i != t.size())
        return false;
    digits = t[0] == '+' ? t.substr(1) : t;
    return true;
}

std::optional<int64_t> wholeLiteral(const std::string& t)
{
    std::string digits;
    int64_t n = 0;
    if (!numberLiteral(t, false, digits))
        return std::nullopt;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return n;
}

std::optional<std::string> quotedLiteral(const std::string& t)
{
    if (t.size() < 2 || (t[0] != '"' && t[0] != '\''))
        return std::nullopt;
    const char q = t[0];
    std::string out;
    for (size_t i = 1; i < t.size();) {
        if (t[i] != q) {
            out.push_back(t[i++]);
            continue;
        }
        if (i + 1 < t.size() && t[i + 1] == q) {
            out.push_back(q);
            i += 2;
            continue;
        }
        if (i + 1 == t.size())
            return out;
        return std::nullopt;  // something follows the closing quote: an expression
    }
    return std::nullopt;
}

}  // namespace

std::optional<Value> literalDefault(const ColumnDef& column, const std::string& text)
{
    const std::string t = trimmed(text);
    switch (column.type) {
    case ColumnType::Byte:
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::BigInt:
        if (const std::optional<int64_t> n = wholeLiteral(t))
            return Value::ofInteger(*n);
        return std::nullopt;
    case ColumnType::Currency:
    case ColumnType::Single:
    case ColumnType::Double: {
        std::string digits;
        double d = 0;
        if (!numberLiteral(t, true, digits))
            return std::nullopt;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), d);
        if (ec != std::errc() || end != digits.data() + digits.size())
            return std::nullopt;
        return Value::ofReal(d);
    }
    case ColumnType::Numeric: {
        std::string digits;
        if (!numberLiteral(t, true, digits))
            return std::nullopt;
        return Value::ofText(digits);
    }
    case ColumnType::Boolean: {
        const std::string word = lowered(t);
        if (word == "true" || word == "yes")
            return Value::ofInteger(1);
        if (word == "false" || word == "no")
            return Value::ofInteger(0);
        if (const std::optional<int64_t> n = wholeLiteral(t))
            return Value::ofInteger(*n != 0 ? 1 : 0);
        return std::nullopt;
    }
    case ColumnType::Text:
    case ColumnType::Memo:
        if (std::optional<std::string> s = quotedLiteral(t))
            return Value::ofText(std::move(*s));
        return std::nullopt;
    default: return std::nullopt;
    }
}

ColumnRules::ColumnRules(const std::vector<PropertyBlock>& blocks)
{
    const auto unreadableAs = [this](const std::string& owner, const Property& p, const char* expected) {
        m_unreadable = "die Eigenschaft " + p.name + (owner.empty() ? std::string() : " des Feldes \"" + owner + "\"")
                       + " hat den Typ " + std::to_string(static_cast<int>(p.type)) + " statt " + expected;
    };
    for (const PropertyBlock& block : blocks) {
        for (const Property& p : block.properties) {
            const bool boolean = p.type == ColumnType::Boolean;
            const bool text = isString(p.type);
            if (block.column.empty()) {
                if (p.name == kValidationRule || p.name == kCheckConstraints) {
                    if (!text) {
                        unreadableAs(block.column, p, "Text");
                        continue;
                    }
                    if (p.name == kValidationRule) {
                        m_tableRule = trimmed(p.text);
                        continue;
                    }
                    // name\0expression\0 ... \0
                    std::vector<std::string> parts(1);
                    for (char ch : p.text) {
                        if (ch == '\0')
                            parts.emplace_back();
                        else
                            parts.back().push_back(ch);
                    }
                    for (size_t i = 0; i + 1 < parts.size(); i += 2)
                        if (!parts[i].empty() || !parts[i + 1].empty())
                            m_checks.push_back({parts[i], parts[i + 1]});
                    if (m_checks.empty() && !trimmed(p.text).empty())
                        m_checks.push_back({std::string(), p.text});
                }
                continue;
            }
            if (p.name != kRequired && p.name != kAllowZeroLength && p.name != kValidationRule
                && p.name != kDefaultValue)
                continue;  // display settings of Access's user interface
            Column& rule = m_columns[folded(block.column)];
            if (p.name == kRequired || p.name == kAllowZeroLength) {
                if (!boolean) {
                    unreadableAs(block.column, p, "Ja/Nein");
                    continue;
                }
                if (p.name == kRequired) {
                    rule.required = p.number != 0;
                    if (rule.required)
                        m_required.insert(block.column);
                } else {
                    rule.noZeroLength = p.number == 0;
                }
            } else if (p.name == kValidationRule || p.name == kDefaultValue) {
                if (!text) {
                    unreadableAs(block.column, p, "Text");
                    continue;
                }
                (p.name == kValidationRule ? rule.validationRule : rule.defaultValue) = trimmed(p.text);
            }
        }
    }
    // "Required: No" and "AllowZeroLength: Yes", in most columns of Access's files, rule nothing.
    for (auto it = m_columns.begin(); it != m_columns.end();) {
        const Column& c = it->second;
        m_hasDefaults = m_hasDefaults || !c.defaultValue.empty();
        if (!c.required && !c.noZeroLength && c.validationRule.empty() && c.defaultValue.empty())
            it = m_columns.erase(it);
        else
            ++it;
    }
}

ColumnRules::ColumnRules(const ColumnRules& other)
    : m_columns(other.m_columns),
      m_required(other.m_required),
      m_tableRule(other.m_tableRule),
      m_checks(other.m_checks),
      m_unreadable(other.m_unreadable),
      m_hasDefaults(other.m_hasDefaults)
{
}

ColumnRules& ColumnRules::operator=(const ColumnRules& other)
{
    if (this != &other) {
        ColumnRules copy(other);
        *this = std::move(copy);
    }
    return *this;
}

ColumnRules ColumnRules::unreadable(std::string why)
{
    ColumnRules rules;
    rules.m_unreadable = why.empty() ? std::string("unbekannter Fehler") : std::move(why);
    return rules;
}

const ColumnRules::Column* ColumnRules::column(const std::string& name) const
{
    const auto it = m_columns.find(folded(name));
    return it == m_columns.end() ? nullptr : &it->second;
}

const std::vector<const ColumnRules::Column*>& ColumnRules::bind(const std::vector<ColumnDef>& columns) const
{
    // A table's columns stay as they are while it is open: fold their names once.
    bool same = m_boundNames.size() == columns.size();
    for (size_t i = 0; same && i < columns.size(); ++i)
        same = m_boundNames[i] == columns[i].name;
    if (!same) {
        m_boundNames.clear();
        m_bound.clear();
        for (const ColumnDef& c : columns) {
            const auto it = m_columns.find(folded(c.name));
            m_boundNames.push_back(c.name);
            m_bound.push_back(it == m_columns.end() ? nullptr : &it->second);
        }
    }
    return m_bound;
}

void ColumnRules::checkValue(const std::string& table, const ColumnDef& c, const Column& rule, const Value& value,
                             bool inserting) const
{
    // An autonumber given nothing takes the next number; Yes/No has no NULL (it is false).
    if (rule.required && value.kind == Value::Kind::Null && c.type != ColumnType::Boolean
        && !(inserting && c.isAutoNumber()))
        throw JetError(describe(table, c) + " muss einen Wert haben (Eingabe erforderlich).");
    if (rule.noZeroLength && isString(c.type) && value.kind == Value::Kind::Text && value.bytes.empty())
        throw JetError(describe(table, c)
                       + " darf keine leere Zeichenfolge enthalten (Eigenschaft \"Leere Zeichenfolge\": Nein).");
}

void ColumnRules::refuseTableRules(const std::string& table, const std::string& what) const
{
    const std::string tail = ", die dieses Programm nicht prüfen kann; " + what
                             + " wird nicht geschrieben, weil Access sie abweisen könnte.";
    if (!m_tableRule.empty())
        throw JetError("Die Tabelle \"" + table + "\" hat die Gültigkeitsregel \"" + m_tableRule + "\"" + tail);
    if (!m_checks.empty())
        throw JetError("Die Tabelle \"" + table + "\" hat die Einschränkung "
                       + (m_checks.front().name.empty() ? std::string() : "\"" + m_checks.front().name + "\" ") + "("
                       + m_checks.front().expression + ")" + tail);
}

std::vector<Value> ColumnRules::insertRow(const std::string& table, const std::vector<ColumnDef>& columns,
                                          const std::vector<Value>& values, const std::vector<ColumnGiven>& given) const
{
    if (!m_unreadable.empty())
        throw JetError("Die Tabelle \"" + table + "\" kann nicht geändert werden: Ihre Eigenschaften (Eingabe "
                       "erforderlich, Gültigkeitsregeln, Standardwerte) sind nicht lesbar (" + m_unreadable + ").");
    std::vector<Value> row = values;
    if (m_columns.empty() && m_tableRule.empty() && m_checks.empty())
        return row;
    const std::vector<const Column*>& rules = bind(columns);
    for (size_t i = 0; i < columns.size() && i < row.size(); ++i) {
        const ColumnDef& c = columns[i];
        const Column* rule = rules[i];
        if (!rule)
            continue;
        if (row[i].kind == Value::Kind::Null && !rule->defaultValue.empty()) {
            const std::string compact = [&] {
                std::string s;
                for (char ch : lowered(rule->defaultValue))
                    if (ch != ' ')
                        s.push_back(ch);
                return s;
            }();
            if (c.isAutoNumber() && compact == "genuniqueid()")
                throw JetError(describe(table, c) + " vergibt zufällige AutoWerte (Standardwert \"" + rule->defaultValue
                               + "\"); solche Werte vergibt dieses Programm nicht, eine neue Zeile braucht hier einen "
                                 "Wert.");
            // Access applies no default to autonumbers and OLE objects, and none to a
            // column the insert names, even with NULL.
            const ColumnGiven how = i < given.size() ? given[i] : ColumnGiven::Named;
            if (!c.isAutoNumber() && c.type != ColumnType::Ole && how == ColumnGiven::Unknown)
                throw JetError(describe(table, c) + " hat den Standardwert \"" + rule->defaultValue
                               + "\", und ob die Anweisung das Feld auslässt (dann gilt er) oder ausdrücklich auf NULL "
                                 "setzt, ist ihrem Text nicht zu entnehmen; nennen Sie das Feld mit seinem Wert.");
            if (!c.isAutoNumber() && c.type != ColumnType::Ole && how == ColumnGiven::Omitted) {
                std::optional<Value> literal = literalDefault(c, rule->defaultValue);
                if (!literal)
                    throw JetError(describe(table, c) + " hat den Standardwert \"" + rule->defaultValue
                                   + "\", den dieses Programm nicht berechnen kann; eine neue Zeile braucht hier einen "
                                     "Wert.");
                row[i] = std::move(*literal);
            }
        }
        checkValue(table, c, *rule, row[i], true);
        if (!rule->validationRule.empty())
            throw JetError(describe(table, c) + " hat die Gültigkeitsregel \"" + rule->validationRule
                           + "\", die dieses Programm nicht prüfen kann; die neue Zeile wird nicht geschrieben, weil "
                             "Access sie abweisen könnte.");
    }
    refuseTableRules(table, "die neue Zeile");
    return row;
}

void ColumnRules::checkUpdate(const std::string& table, const std::vector<ColumnDef>& columns,
                              const std::vector<std::optional<Value>>& values, const std::vector<bool>& changed) const
{
    if (!m_unreadable.empty())
        throw JetError("Die Tabelle \"" + table + "\" kann nicht geändert werden: Ihre Eigenschaften (Eingabe "
                       "erforderlich, Gültigkeitsregeln, Standardwerte) sind nicht lesbar (" + m_unreadable + ").");
    if (m_columns.empty() && m_tableRule.empty() && m_checks.empty())
        return;
    const std::vector<const Column*>& rules = bind(columns);
    const ColumnDef* firstChanged = nullptr;
    for (size_t i = 0; i < columns.size() && i < values.size() && i < changed.size(); ++i) {
        const ColumnDef& c = columns[i];
        if (changed[i] && !firstChanged)
            firstChanged = &c;
        const Column* rule = rules[i];
        if (!rule)
            continue;
        if (values[i])
            checkValue(table, c, *rule, *values[i], false);
        // Access checks a column's rule when the column's value changes.
        if (changed[i] && !rule->validationRule.empty())
            throw JetError(describe(table, c) + " hat die Gültigkeitsregel \"" + rule->validationRule
                           + "\", die dieses Programm nicht prüfen kann; der neue Wert wird nicht geschrieben, weil "
                             "Access ihn abweisen könnte.");
    }
    // The table's rules are checked whenever a row is saved with any change.
    if (firstChanged)
        refuseTableRules(table, "die Änderung des Feldes \"" + firstChanged->name + "\"");
}

}  // namespace db::jet
