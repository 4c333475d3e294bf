// What both sample files share: the sizes of one run and the school directory, from
// which the target draws its other schools, its own school and the students' former
// schools. Layer: sample tool; plain data, no file access.
#pragma once

#include "tools/sample/SampleRandom.h"

#include <string>
#include <vector>

namespace sample {

struct SampleSize {
    int students = 0;
    int teachers = 0;
    int classesPerGrade = 0;           // parallel classes of grades 5 to 10
    int subjectsPerPeriod = 0;         // performance rows per learning period
    int guardiansBase = 0;             // guardian rows per student: base ...
    int guardiansSpread = 0;           // ... plus 0 to spread-1
    int schoolsInRange = 0;            // K_Schule rows with a number from 100000 to 200000
    int generalAddresses = 0;
};
// The default or the large sample, `factor` times over: students, teachers, parallel
// classes (at most kMaxClassesPerGrade, as class names run from a to z) and general
// addresses grow with it; guardians, telephones and learning periods follow the students.
inline constexpr int kMaxClassesPerGrade = 26;
SampleSize sampleSize(bool large, int factor = 1);

// One school of the directory. Empty texts are stored as NULL; some values carry
// blanks around them or are longer than the target's columns, as real directory
// data does, so that whoever copies them has to trim and cut.
struct DirectorySchool {
    std::string nr;
    std::string formKrz;
    std::string formNr;
    std::string abez1, abez2, abez3;
    std::string kurzBez;
    std::string strasse, plz, ort, kreis;
    std::string telVorw, telefon, faxVorw, fax;
    std::string email, homepage;
};

struct SamplePlan {
    std::vector<DirectorySchool> directory;
    std::vector<std::size_t> otherSchools;  // indexes into directory: the target's K_Schule rows
    std::size_t ownSchool = 0;              // index into directory: the target's own school
    std::vector<std::string> unknownNumbers;  // school numbers neither in K_Schule nor in the directory
};
SamplePlan makePlan(const SampleSize& size, SampleRandom& rng);

// Whether a school number lies in the range 100000 to 200000 whose schools are redrawn.
bool inSchoolRange(const std::string& number);

}  // namespace sample
