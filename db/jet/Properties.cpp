// Reading every property of a catalog entry; laying out the properties of a new object.
#include "db/jet/Properties.h"

#include "db/jet/ByteView.h"
#include "db/jet/JetError.h"
#include "db/jet/JetFormat.h"
#include "db/jet/Text.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace db::jet {

namespace {

constexpr uint16_t kBlockNames = 0x80;
constexpr uint16_t kBlockTable = 0x00;
constexpr uint16_t kBlockColumn = 0x01;

std::string nameAt(ByteView v, size_t pos, size_t length, bool jet3, uint16_t codePage)
{
    const ByteView bytes = v.sub(pos, length, "Eigenschaftsname");
    return jet3 ? decodeCodePageText(bytes, codePage) : decodeJet4Text(bytes);
}

}  // namespace

std::vector<PropertyBlock> decodeProperties(const std::string& blob, bool jet3, uint16_t codePage)
{
    std::vector<PropertyBlock> blocks;
    if (blob.empty())
        return blocks;
    const ByteView v(reinterpret_cast<const uint8_t*>(blob.data()), blob.size());
    if (blob.size() < 4 || (std::memcmp(blob.data(), "MR2\0", 4) != 0 && std::memcmp(blob.data(), "KKD\0", 4) != 0))
        JET_CORRUPT(kNoPage, "Eigenschaften", "unbekannte Kennung am Anfang");
    std::vector<std::string> names;
    size_t pos = 4;
    while (pos + 6 <= blob.size()) {
        const uint32_t length = v.u32(pos, "Eigenschaftsblock");
        const uint16_t type = v.u16(pos + 4, "Eigenschaftsblock");
        if (length < 6)
            JET_CORRUPT(kNoPage, "Eigenschaften", "Block der Länge " + std::to_string(length));
        const ByteView block = v.sub(pos, length, "Eigenschaftsblock");
        if (type == kBlockNames) {
            for (size_t p = 6; p + 2 <= block.size();) {
                const uint16_t n = block.u16(p, "Eigenschaftsname");
                names.push_back(nameAt(block, p + 2, n, jet3, codePage));
                p += 2 + static_cast<size_t>(n);
            }
        } else if (type == kBlockTable || type == kBlockColumn) {
            const uint32_t ownerLength = block.u32(6, "Eigentümer");
            const uint16_t nameLength = block.u16(10, "Eigentümer");
            PropertyBlock owner;
            owner.column = nameAt(block, 12, nameLength, jet3, codePage);
            if (ownerLength < 6u + nameLength)
                JET_CORRUPT(kNoPage, "Eigenschaften", "Eigentümer der Länge " + std::to_string(ownerLength));
            for (size_t p = 6 + static_cast<size_t>(ownerLength); p + 8 <= block.size();) {
                const uint16_t entryLength = block.u16(p, "Eigenschaft");
                if (entryLength < 8)
                    JET_CORRUPT(kNoPage, "Eigenschaften", "Eintrag der Länge " + std::to_string(entryLength));
                const ByteView entry = block.sub(p, entryLength, "Eigenschaft");
                const uint16_t nameIndex = entry.u16(4, "Eigenschaftsname");
                if (nameIndex >= names.size())
                    JET_CORRUPT(kNoPage, "Eigenschaften",
                                "Eigenschaftsname Nummer " + std::to_string(nameIndex) + " von " + std::to_string(names.size()));
                const ByteView value = entry.sub(8, entry.u16(6, "Eigenschaftswert"), "Eigenschaftswert");
                Property prop;
                prop.name = names[nameIndex];
                prop.ddl = (entry.u8(2, "DDL-Kennzeichen") & 1) != 0;
                prop.type = static_cast<ColumnType>(entry.u8(3, "Eigenschaftstyp"));
                switch (prop.type) {
                case ColumnType::Boolean:
                case ColumnType::Byte: prop.number = value.u8(0, "Eigenschaftswert"); break;
                case ColumnType::Integer:
                    prop.number = static_cast<int16_t>(value.u16(0, "Eigenschaftswert"));
                    break;
                case ColumnType::Long: prop.number = static_cast<int32_t>(value.u32(0, "Eigenschaftswert")); break;
                case ColumnType::Text:
                case ColumnType::Memo:
                    prop.text = jet3 ? decodeCodePageText(value, codePage) : decodeJet4Text(value);
                    break;
                default: break;
                }
                owner.properties.push_back(std::move(prop));
                p += entryLength;
            }
            blocks.push_back(std::move(owner));
        }
        pos += length;
    }
    return blocks;
}

std::string encodeProperties(const std::vector<PropertyBlock>& blocks)
{
    std::vector<std::string> names;
    ByteBuilder nameList;
    auto nameIndex = [&](const std::string& name) {
        const auto at = std::find(names.begin(), names.end(), name);
        if (at != names.end())
            return static_cast<uint32_t>(at - names.begin());
        std::u16string units;
        if (!utf8ToUtf16(name, units))
            throw JetError("Der Eigenschaftsname \"" + name + "\" ist kein gültiger Text.");
        nameList.u16(static_cast<uint32_t>(units.size() * 2));
        nameList.append(utf16Bytes(units));
        names.push_back(name);
        return static_cast<uint32_t>(names.size() - 1);
    };
    ByteBuilder owners;
    for (const PropertyBlock& block : blocks) {
        ByteBuilder entries;
        for (const Property& p : block.properties) {
            ByteBuilder value;
            switch (p.type) {
            case ColumnType::Boolean: value.u8(p.number ? 1 : 0); break;
            case ColumnType::Long: value.u32(static_cast<uint32_t>(p.number)); break;
            case ColumnType::Text:
            case ColumnType::Memo: {
                std::u16string text;
                if (!utf8ToUtf16(p.text, text))
                    throw JetError("Der Wert der Eigenschaft " + p.name + " ist kein gültiger Text.");
                value.append(utf16Bytes(text));
                break;
            }
            default: throw JetError("Eigenschaft " + p.name + ": dieser Typ wird nicht geschrieben.");
            }
            const size_t size = value.bytes().size();
            entries.u16(static_cast<uint32_t>(8 + size));  // the entry's length counts itself
            entries.u8(p.ddl ? 1 : 0);
            entries.u8(static_cast<uint8_t>(p.type));
            entries.u16(nameIndex(p.name));
            entries.u16(static_cast<uint32_t>(size));
            entries.append(value.bytes());
        }
        std::u16string owner;
        if (!utf8ToUtf16(block.column, owner))
            throw JetError("Der Spaltenname \"" + block.column + "\" ist kein gültiger Text.");
        const std::vector<uint8_t> ownerBytes = utf16Bytes(owner);
        // The owner's length counts itself and the name's length field.
        const size_t ownerSize = 6 + ownerBytes.size();
        owners.u32(static_cast<uint32_t>(6 + ownerSize + entries.bytes().size()));
        owners.u16(block.column.empty() ? kBlockTable : kBlockColumn);
        owners.u32(static_cast<uint32_t>(ownerSize));
        owners.u16(static_cast<uint32_t>(ownerBytes.size()));
        owners.append(ownerBytes);
        owners.append(entries.bytes());
    }
    ByteBuilder blob;
    blob.append(std::vector<uint8_t>{'M', 'R', '2', 0});
    blob.u32(static_cast<uint32_t>(6 + nameList.bytes().size()));
    blob.u16(kBlockNames);
    blob.append(nameList.bytes());
    blob.append(owners.bytes());
    return std::string(blob.bytes().begin(), blob.bytes().end());
}

}  // namespace db::jet
