// The state of one target generation, shared by the school part (TargetContent.cpp)
// and the student part (StudentContent.cpp). Layer: sample tool; private to it.
#pragma once

#include "tools/sample/SamplePlan.h"
#include "tools/sample/SampleRandom.h"
#include "tools/sample/SqliteFile.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sample {

struct Period {
    int jahr;
    int abschnitt;
};

class TargetWriter {
public:
    TargetWriter(SqliteFile& file, const SamplePlan& plan, const SampleSize& size, SampleRandom rng);
    void write();

private:
    struct Teacher {
        std::int64_t id;
        std::string kuerzel;  // as stored, blanks included
        std::string surname;
        std::string firstName;
        bool female;
    };
    struct SchoolClass {
        std::string name;
        int grade;  // 0 = 05 ... 5 = 10, 6 = EF, 7 = Q1, 8 = Q2
        std::int64_t jahrgangId;
        std::string teacher;  // reference text as stored in Versetzung
        std::string deputy;
    };
    struct PlaceRow {
        std::int64_t id;
        std::string plz;
        std::string name;
    };
    struct Course {
        std::int64_t id;
        std::string teacher;
        std::string kursart;
    };

    // TargetContent.cpp
    void writeOwnSchool();
    void writeCatalogs();
    void writePlaces();
    void writeOtherSchools();
    void writeTeachers();
    void writeTeacherDetails();
    void writeClasses();
    void writeCourses();
    void writeGeneralAddresses();
    void writeUsers();
    void writeGroupsAndTexts();
    std::int64_t lookupTable(const char* table, const std::vector<std::string>& names,
                             std::vector<std::int64_t>* ids = nullptr);
    std::string makeAbbreviation(const std::string& surname);

    // StudentContent.cpp
    struct StudentTables;
    struct Student {
        std::int64_t id;
        int index;
        int grade;
        std::size_t classIndex;
        std::string name;
        std::string firstName;
        std::string street;
        PlaceRow place;
    };
    void writeStudents();
    void writeStudentRow(StudentTables& t, const Student& s);
    void writeGuardians(StudentTables& t, const Student& s);
    void writeTelephones(StudentTables& t, const Student& s);
    void writePeriods(StudentTables& t, const Student& s);
    void writeStudentExtras(StudentTables& t, const Student& s);
    std::size_t classIndexOf(const std::string& name) const;
    std::string formerSchool();
    std::string fullName(bool female);
    static std::string gradeName(int grade);

    std::string street();
    const PlaceRow& homePlace();
    std::string personSurname();
    std::string personFirstName(bool female);
    Blob photo(std::size_t size);
    std::int64_t owner() const { return m_owner; }

    SqliteFile& m_file;
    const SamplePlan& m_plan;
    SampleSize m_size;
    SampleRandom m_rng;
    std::int64_t m_owner = 0;

    std::vector<Teacher> m_teachers;
    std::vector<std::string> m_abbreviationsInUse;  // upper case, trimmed
    std::vector<SchoolClass> m_classes;
    std::vector<PlaceRow> m_places;          // rows with a five-digit postal code
    std::vector<std::int64_t> m_subjectIds;  // parallel to subjects()
    std::map<std::string, Course> m_courses; // key: jahr/abschnitt/grade/subject
    std::vector<std::vector<std::string>> m_subjectTeacher;  // [class][subject]
    std::vector<std::int64_t> m_userIds;
    std::vector<std::string> m_loginNames;
    std::vector<std::int64_t> m_erzieherartIds, m_telefonartIds, m_religionIds, m_vermerkartIds, m_datenschutzIds,
        m_haltestelleIds, m_ortsteilIds, m_adressIds, m_sportbefreiungIds, m_fahrschuelerIds;
    std::vector<std::string> m_haltestellen;
    std::int64_t m_nextLeistung = 1;
    std::int64_t m_nextAbschnitt = 1;
    std::int64_t m_zusatzkraftCountdown = 0;
};

extern const std::vector<Period> kPeriods;

}  // namespace sample
