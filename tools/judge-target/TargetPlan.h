// What a school-shaped Access target made by the judge holds: the sample's tables with the
// Access types the sample's own Access export gives their columns, its primary keys and
// indexes, and on request what a school's file gains over years of use (indexes of every
// type, enforced relationships). Layer: test tool (judge targets); it only describes, it
// reads and writes no file.
#pragma once

#include <string>
#include <vector>

namespace judgetarget {

enum class Relationships { None, Plain, Cascade };  // none, enforced, enforced with cascades

struct PlanOptions {
    bool extraIndexes = false;
    // K_Lehrer.Kuerzel to the seven teacher references, Schueler.ID to the student's tables.
    Relationships references = Relationships::None;
    // K_Schule.SchulNr to Schueler.LSSchulnr and Users.ID to Logins.LI_UserID.
    Relationships schools = Relationships::None;
    // K_Schule.SchulNr to K_Lehrer.StammschulNr (a teacher's home school).
    Relationships teacherSchools = Relationships::None;
    std::string password = "tulvan";
};

struct PlanColumn {
    std::string name;
    std::string type;        // the judge's type: TEXT(n), MEMO, LONG, COUNTER, INTEGER, BYTE, ...
    bool fromSample = true;  // false: a Yes/No column the sample has not, true in every everyNth row by ID
    int everyNth = 0;
};

struct PlanIndex {
    std::string name;
    std::vector<std::string> columns;  // a name ending in " DESC" is a descending column
    bool primary = false;
    bool unique = false;
    bool ignoreNulls = false;
};

struct PlanTable {
    std::string name;
    std::vector<PlanColumn> columns;
    std::vector<PlanIndex> indexes;
};

struct PlanRelationship {
    std::string name;
    std::string parent;  // the table whose unique key the child rows name
    std::string parentColumn;
    std::string child;
    std::string childColumn;
    bool cascade = false;  // updates and deletes
    // References that name no parent row become NULL (in the target and in its SQLite twin):
    // Access lets no such row exist, and the sample has some on purpose.
    bool fitData = false;
};

struct TargetPlan {
    std::vector<PlanTable> tables;
    std::vector<PlanRelationship> relationships;
    std::string password;
};

TargetPlan makePlan(const PlanOptions& options);

// The seven columns that name a teacher by K_Lehrer.Kuerzel, as "table", "column".
const std::vector<std::pair<std::string, std::string>>& teacherReferences();

}  // namespace judgetarget
