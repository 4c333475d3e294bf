// What years of use leave in a school's file, added to a sample target: old images of
// personal rows where the database never erased them, so that the scrub at the end of a
// run has something to remove and a search of the raw bytes something to find.
// Layer: sample tool; changes a finished sample file, never one of a school.
#pragma once

#include <QString>

#include <cstdint>

namespace sample {

struct LeftoverSummary {
    int pagesGivenBack = 0;     // Access: copies of personal pages the free-page map marks free
    std::int64_t gapBytes = 0;  // Access: bytes of personal rows in the gaps of other tables' pages
    int freeListPages = 0;      // SQLite: pages on the free list after a copied table was dropped
};

// Access (as Access leaves them): on every data page of the personal tables a copy of its
// rows above them, where Access keeps the old image of rows it shifted up; old images of
// personal rows in the gaps of the other tables' pages; copies of personal pages appended
// as pages given back, as many as the free-page map marks free beyond the file's end.
// SQLite: copies of the student and teacher tables dropped without secure_delete, whose
// pages keep every row on the free list. Raises util::Error (German) when the file cannot
// be read or written.
LeftoverSummary plantLeftovers(const QString& targetPath, bool access);

}  // namespace sample
