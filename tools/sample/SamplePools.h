// Fixed word pools of the sample content: the "real" people, streets and places that
// the sample pretends to hold, school forms and subjects.
// Layer: sample tool. The person names and streets are chosen so that none of them is
// an entry of the substitute name lists in data/: after a complete anonymisation run no
// original name or street may be left, and a test can look for them.
#pragma once

#include <string>
#include <vector>

namespace sample {

const std::vector<std::string>& originalSurnames();
const std::vector<std::string>& originalMaleFirstNames();
const std::vector<std::string>& originalFemaleFirstNames();
const std::vector<std::string>& originalStreets();

struct Place {
    const char* plz;  // nullptr: no postal code stored
    const char* name;
    const char* kreis;
};
// The places of the target's K_Ort: five-digit codes, some four-character codes from
// before 1993 (one of three digits and a blank) and one without a code.
const std::vector<Place>& targetPlaces();
// Further places that only the school directory knows.
const std::vector<Place>& directoryOnlyPlaces();

struct SchoolForm {
    const char* krz;   // SchulformKrz of K_Schule and EigeneSchule
    const char* nr;    // SchulformNr, the directory's SF
    const char* name;  // SchulformBez
};
const std::vector<SchoolForm>& schoolForms();
const SchoolForm& schoolForm(const std::string& krz);

struct Subject {
    const char* krz;
    const char* name;
    const char* statistik;
};
const std::vector<Subject>& subjects();

// Free texts in the style of remarks and report texts.
const std::vector<std::string>& remarkTexts();
const std::vector<std::string>& reportTexts();

}  // namespace sample
