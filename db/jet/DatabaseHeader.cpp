// Decoding page 0.
#include "db/jet/DatabaseHeader.h"

#include "db/jet/Rc4.h"
#include "db/jet/Text.h"

#include <cmath>
#include <cstring>

namespace db::jet {

std::vector<uint8_t> unmaskHeader(const std::vector<uint8_t>& page0)
{
    std::vector<uint8_t> plain = page0;
    if (plain.size() <= kHeaderVersionOffset)
        return plain;
    const uint32_t masked =
        plain[kHeaderVersionOffset] == kVersionJet3 ? kHeaderMaskedSizeJet3 : kHeaderMaskedSizeJet4;
    if (plain.size() < kHeaderMaskedOffset + masked)
        return plain;
    Rc4 rc4(kHeaderMaskKey, sizeof kHeaderMaskKey);
    rc4.apply(plain.data() + kHeaderMaskedOffset, masked);
    return plain;
}

uint32_t passwordMask(double d)
{
    const int32_t days =
        (std::isfinite(d) && d > -2147483648.0 && d < 2147483648.0) ? static_cast<int32_t>(d) : 0;
    return static_cast<uint32_t>(days);
}

DatabaseHeader DatabaseHeader::parse(const std::vector<uint8_t>& raw, const std::string& path)
{
    const std::string notAccess = "Die Datei " + path + " ist keine Access-Datenbank.";
    if (raw.size() < kHeaderMinSize || raw[0] != kPageDatabase)
        throw JetError(notAccess);
    DatabaseHeader h;
    const AccessSignature signature = accessSignature(raw.data(), raw.size());
    if (signature == AccessSignature::None)
        throw JetError(notAccess);
    h.ace = signature == AccessSignature::Ace;

    h.version = raw[kHeaderVersionOffset];
    if (h.version > 6 || (h.ace && h.version < 2) || (!h.ace && h.version > kVersionJet4))
        throw JetError("Die Datei " + path + " hat ein unbekanntes Access-Dateiformat (Version "
                       + std::to_string(h.version) + ").");
    h.pageSize = h.format().pageSize;

    const std::vector<uint8_t> plain = unmaskHeader(raw);
    const ByteView v(plain.data(), plain.size(), 0);
    h.codePage = v.u16(kHeaderCodePage, "Codepage");
    h.databaseKey = v.u32(kHeaderDatabaseKey, "Datenbankschlüssel");
    if (h.version == kVersionJet3) {
        h.sortLanguage = v.u16(kHeaderSortOrderJet3, "Sortierfolge");
        const ByteView pw = v.sub(kHeaderPassword, kHeaderPasswordSizeJet3, "Kennwort");
        size_t len = 0;
        while (len < pw.size() && pw.data()[len] != 0)
            ++len;
        h.password = decodeCodePageText(pw.sub(0, len, "Kennwort"), h.codePage);
    } else {
        h.sortLanguage = v.u16(kHeaderSortOrderJet4, "Sortierfolge");
        h.sortVersion = v.u8(kHeaderSortOrderJet4 + 3, "Sortierfolge");
        h.creationDate = v.f64(kHeaderCreationDate, "Erstellungsdatum");
        if (h.ace) {
            // Access 2007+ encrypts a password-protected file as a whole (Office crypto),
            // which this engine does not read; such a file carries a database key.
            if (h.databaseKey != 0)
                throw JetError("Die Datei " + path
                               + " ist eine verschlüsselte Access-2007-Datenbank (.accdb). Verschlüsselte "
                                 ".accdb-Dateien werden nicht unterstützt.");
        } else {
            const uint32_t m = passwordMask(h.creationDate);
            const uint8_t mask[4] = {static_cast<uint8_t>(m), static_cast<uint8_t>(m >> 8),
                                     static_cast<uint8_t>(m >> 16), static_cast<uint8_t>(m >> 24)};
            const ByteView pw = v.sub(kHeaderPassword, kHeaderPasswordSizeJet4, "Kennwort");
            uint8_t bytes[kHeaderPasswordSizeJet4];
            for (uint32_t i = 0; i < kHeaderPasswordSizeJet4; ++i)
                bytes[i] = pw.data()[i] ^ mask[i % 4];
            size_t len = 0;
            while (len + 1 < kHeaderPasswordSizeJet4 && (bytes[len] | bytes[len + 1]) != 0)
                len += 2;
            h.password = utf16ToUtf8(bytes, len);
        }
    }
    return h;
}

bool DatabaseHeader::acceptsPassword(const std::string& given) const
{
    return password.empty() || password == given;
}

}  // namespace db::jet
