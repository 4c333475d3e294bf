// Page 0: format version, page size, code page, sort order, page-encoding key and the
// database password check.
// Layer: header; reads nothing but page 0 and never rewrites it.
#pragma once

#include "db/jet/ByteView.h"
#include "db/jet/JetFormat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace db::jet {

struct DatabaseHeader {
    uint8_t version = 0;      // kVersionJet3, kVersionJet4, 2.. ACE
    bool ace = false;         // "Standard ACE DB" (.accdb)
    uint32_t pageSize = 0;
    uint16_t codePage = 0;
    uint16_t sortLanguage = 0;  // LCID of the text sort order
    uint8_t sortVersion = 0;
    uint32_t databaseKey = 0;   // 0: pages stored plain
    double creationDate = 0;
    std::string password;       // UTF-8; empty: none

    const Format& format() const { return version == kVersionJet3 ? Format::jet3Format() : Format::jet4Format(); }
    bool encodedPages() const { return databaseKey != 0; }

    // Decodes page 0 as stored in the file (at least kHeaderMinSize bytes). Throws JetError
    // naming `path` when the bytes are not an Access database this engine can read.
    static DatabaseHeader parse(const std::vector<uint8_t>& page0, const std::string& path);

    // True when `given` opens the database: always for a file without password, otherwise
    // only the exact (case-sensitive) password.
    bool acceptsPassword(const std::string& given) const;
};

// Jet 4 masks the stored password further with the whole days of the creation date, as
// four little-endian bytes repeated; 0 for a date beyond 32 bits.
uint32_t passwordMask(double creationDate);

// The bytes 0x18.. of page 0 with the fixed RC4 mask removed (for tests and tools).
std::vector<uint8_t> unmaskHeader(const std::vector<uint8_t>& page0);

}  // namespace db::jet
