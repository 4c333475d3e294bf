// The school directory's rows: one per school of the plan, empty texts as NULL.
// Layer: sample tool; the untidiness of the data is decided in the plan, not here.
#include "tools/sample/SampleContent.h"

#include "tools/sample/SqliteFile.h"
#include "tools/sample/TargetSchema.h"

namespace sample {

namespace {

Value textOrNull(const std::string& s) { return s.empty() ? Value() : Value(s); }

}  // namespace

void writeDirectory(SqliteFile& file, const SamplePlan& plan)
{
    Inserter dbs(file, "DBS", columnNames(directoryTable()));
    for (const DirectorySchool& s : plan.directory) {
        dbs.set("Schulnr", s.nr)
            .set("SF", s.formNr)
            .set("ABez1", textOrNull(s.abez1))
            .set("ABez2", textOrNull(s.abez2))
            .set("ABez3", textOrNull(s.abez3))
            .set("KurzBez", textOrNull(s.kurzBez))
            .set("Strasse", textOrNull(s.strasse))
            .set("PLZ", textOrNull(s.plz))
            .set("Ort", textOrNull(s.ort))
            .set("TelVorw", textOrNull(s.telVorw))
            .set("Telefon", textOrNull(s.telefon))
            .set("FaxVorw", textOrNull(s.faxVorw))
            .set("Fax", textOrNull(s.fax))
            .set("EMail", textOrNull(s.email))
            .set("Homepage", textOrNull(s.homepage))
            .set("Kreis", textOrNull(s.kreis));
        dbs.insert();
    }
}

}  // namespace sample
