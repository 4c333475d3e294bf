// The sample's schema as the judge is to make it, with the additions a school's own file has.
#include "tools/judge-target/TargetPlan.h"

#include "tools/sample/TargetSchema.h"

#include <algorithm>
#include <stdexcept>

namespace judgetarget {

namespace {

using sample::ColumnKind;

// The Access type tools/sample/AccessExport.cpp gives a column of this kind.
std::string accessType(const sample::ColumnDef& c)
{
    switch (c.kind) {
    case ColumnKind::Key: return "COUNTER";
    case ColumnKind::Integer: return "LONG";
    case ColumnKind::Text: return "TEXT(" + std::to_string(c.size) + ")";
    case ColumnKind::Memo: return "MEMO";
    case ColumnKind::SmallInt: return "INTEGER";
    case ColumnKind::Byte: return "BYTE";
    case ColumnKind::DateTime: return "DATETIME";
    case ColumnKind::Boolean: return "BOOLEAN";
    case ColumnKind::Binary: return "OLE";
    case ColumnKind::Double: return "DOUBLE";
    }
    return "LONG";
}

std::string joined(const std::vector<std::string>& columns)
{
    std::string name;
    for (const std::string& c : columns)
        name += (name.empty() ? "" : "_") + c;
    return name;
}

PlanTable& tableOf(TargetPlan& plan, const std::string& name)
{
    for (PlanTable& t : plan.tables)
        if (t.name == name)
            return t;
    throw std::logic_error("judge target: no table " + name);
}

PlanColumn& columnOf(PlanTable& t, const std::string& name)
{
    for (PlanColumn& c : t.columns)
        if (c.name == name)
            return c;
    throw std::logic_error("judge target: no column " + t.name + "." + name);
}

PlanIndex* indexOver(PlanTable& t, const std::vector<std::string>& columns)
{
    for (PlanIndex& x : t.indexes)
        if (x.columns == columns)
            return &x;
    return nullptr;
}

void addIndex(TargetPlan& plan, const std::string& table, const std::string& name, std::vector<std::string> columns,
              bool unique = false, bool ignoreNulls = false)
{
    PlanTable& t = tableOf(plan, table);
    for (const std::string& c : columns)
        columnOf(t, c.size() > 5 && c.compare(c.size() - 5, 5, " DESC") == 0 ? c.substr(0, c.size() - 5) : c);
    PlanIndex x;
    x.name = name;
    x.columns = std::move(columns);
    x.unique = unique;
    x.ignoreNulls = ignoreNulls;
    t.indexes.push_back(std::move(x));
}

// A Yes/No column the sample does not have, with an index of its own: schools keep such
// flags in their teacher and school tables.
void addFlag(TargetPlan& plan, const std::string& table, const std::string& column, int everyNth)
{
    PlanTable& t = tableOf(plan, table);
    PlanColumn c;
    c.name = column;
    c.type = "BOOLEAN";
    c.fromSample = false;
    c.everyNth = everyNth;
    t.columns.push_back(c);
    addIndex(plan, table, column, {column});
}

// Indexes of every type Access keys, on columns a school's file plausibly indexes.
void addExtraIndexes(TargetPlan& plan)
{
    // A learning period is one per student, year, half and change of class.
    addIndex(plan, "SchuelerLernabschnittsdaten", "Schueler_Jahr_Abschnitt_WechselNr",
             {"Schueler_ID", "Jahr", "Abschnitt", "WechselNr"}, true);
    // The owner number with an Integer column: the stamping of the owner number writes it.
    addIndex(plan, "SchuelerLernabschnittsdaten", "SchulnrEigner_Schulbesuchsjahre", {"SchulnrEigner", "Schulbesuchsjahre"});
    addIndex(plan, "SchuelerLeistungsdaten", "Abschnitt_Wochenstunden", {"Abschnitt_ID", "Wochenstunden DESC"});
    addIndex(plan, "SchuelerErzFunktion", "Person", {"Person"});              // Byte
    addIndex(plan, "SchuelerAnkreuzfloskeln", "Stufe", {"Stufe"});            // Byte
    addIndex(plan, "Users", "US_Aktiv", {"US_Aktiv"});                        // Yes/No
    addIndex(plan, "SchuelerFehlstunden", "FehlStd", {"FehlStd"});            // Double
    addIndex(plan, "KursLehrer", "Anteil", {"Anteil DESC"});                  // Double, descending
    addIndex(plan, "Schueler", "Geburtsdatum", {"Geburtsdatum DESC"});        // Date/Time, descending, NULLs
    addIndex(plan, "Schueler", "Entlassdatum", {"Entlassdatum"}, false, true);  // NULLs left out
    addIndex(plan, "K_Lehrer", "Nachname_absteigend", {"Nachname DESC", "Vorname"});
    // An Integer sex, as some schools' files keep it, indexed.
    PlanTable& teachers = tableOf(plan, "K_Lehrer");
    columnOf(teachers, "Geschlecht").type = "INTEGER";
    addIndex(plan, "K_Lehrer", "Geschlecht", {"Geschlecht"});
    addFlag(plan, "K_Lehrer", "Referendar", 5);
    addFlag(plan, "K_Schule", "Partnerschule", 3);
}

PlanRelationship relationship(const std::string& parent, const std::string& parentColumn, const std::string& child,
                              const std::string& childColumn, Relationships kind, const std::string& name)
{
    PlanRelationship r;
    r.name = name;
    r.parent = parent;
    r.parentColumn = parentColumn;
    r.child = child;
    r.childColumn = childColumn;
    r.cascade = kind == Relationships::Cascade;
    return r;
}

}  // namespace

const std::vector<std::pair<std::string, std::string>>& teacherReferences()
{
    static const std::vector<std::pair<std::string, std::string>> kReferences = {
        {"SchuelerLeistungsdaten", "Fachlehrer"},       {"SchuelerLeistungsdaten", "Zusatzkraft"},
        {"SchuelerLernabschnittsdaten", "Klassenlehrer"}, {"EigeneSchule_Abteilungen", "Abteilungsleiter"},
        {"Kurse", "LehrerKrz"},                         {"Versetzung", "KlassenlehrerKrz"},
        {"Versetzung", "StvKlassenlehrerKrz"},
    };
    return kReferences;
}

TargetPlan makePlan(const PlanOptions& options)
{
    TargetPlan plan;
    plan.password = options.password;
    for (const sample::TableDef& st : sample::targetTables()) {
        PlanTable t;
        t.name = st.name;
        for (const sample::ColumnDef& c : st.columns) {
            t.columns.push_back({c.name, accessType(c)});
            if (c.kind == ColumnKind::Key || c.primaryKey)
                t.indexes.push_back({"PrimaryKey", {c.name}, true, false, false});
        }
        for (const sample::IndexDef& x : st.indexes)
            t.indexes.push_back({joined(x.columns), x.columns, false, x.unique, false});
        plan.tables.push_back(std::move(t));
    }
    if (options.extraIndexes)
        addExtraIndexes(plan);

    if (options.references != Relationships::None) {
        for (const auto& [table, column] : teacherReferences())
            plan.relationships.push_back(
                relationship("K_Lehrer", "Kuerzel", table, column, options.references, "K_Lehrer" + table + column));
        for (const PlanTable& t : plan.tables)
            if (t.name != "Schueler"
                && std::any_of(t.columns.begin(), t.columns.end(), [](const PlanColumn& c) { return c.name == "Schueler_ID"; }))
                plan.relationships.push_back(
                    relationship("Schueler", "ID", t.name, "Schueler_ID", options.references, "Schueler" + t.name));
    }
    if (options.schools != Relationships::None || options.teacherSchools != Relationships::None) {
        // Access enforces a relationship only from a unique key.
        PlanTable& schools = tableOf(plan, "K_Schule");
        if (PlanIndex* x = indexOver(schools, {"SchulNr"}))
            x->unique = true;
        else
            addIndex(plan, "K_Schule", "SchulNr", {"SchulNr"}, true);
    }
    if (options.teacherSchools != Relationships::None) {
        PlanRelationship t = relationship("K_Schule", "SchulNr", "K_Lehrer", "StammschulNr", options.teacherSchools,
                                          "K_SchuleK_Lehrer");
        t.fitData = true;
        plan.relationships.push_back(t);
    }
    if (options.schools != Relationships::None) {
        PlanRelationship s = relationship("K_Schule", "SchulNr", "Schueler", "LSSchulnr", options.schools, "K_SchuleSchueler");
        s.fitData = true;
        plan.relationships.push_back(s);
        PlanRelationship u = relationship("Users", "ID", "Logins", "LI_UserID", options.schools, "UsersLogins");
        u.fitData = true;
        plan.relationships.push_back(u);
    }
    return plan;
}

}  // namespace judgetarget
