// The per-character codes of Access's text sort orders, as far as Access-written index
// entries in the fixtures show them, for the index key encoder.
// Layer: index (key encoding data); no pages, no tables. A character missing here has no
// known key: the encoder refuses it rather than guess.
#pragma once

#include <cstdint>
#include <vector>

namespace db::jet {

// How a character enters a text key (the structure of "General" keys):
//  Simple        its code goes into the main part of the key
//  International its code goes into the main part and its `extra` byte (an accent, a
//                variant) into the part after it, in character position
//  Unprintable   nothing in the main part; its `unprintable` code goes to the last part
//                together with its position
//  Ignored       leaves no trace in the key
enum class CharKind : uint8_t { Simple, International, Unprintable, Ignored };

struct CharCode {
    char16_t ch;
    CharKind kind;
    uint8_t inlineLength;
    uint8_t inlineBytes[4];
    uint8_t extra;        // International: the extra byte; otherwise the placeholder 0x02
    uint8_t unprintable;  // Unprintable: its code
    uint8_t kana;         // 0, or the kana flag (0x02/0x03) of the part after the extras
    // True when the fixtures pin this character's code down alone. False for characters
    // whose codes only together reproduce an entry (the kana flags of the one Japanese
    // value cannot be told apart); such codes serve to check files, never to write them.
    bool certain;
};

enum class TextOrder : uint8_t {
    GeneralLegacy,  // Jet 4 "General (legacy)", Access 2000-2007: sort language 0x0409, version 0
    General,        // "General" of Access 2010 and later: 0x0409, version 1
    General97,      // Jet 3 "General", Access 97: 0x0409
};

// The code of `ch` in `order`, or nullptr when no fixture shows it.
const CharCode* findCharCode(TextOrder order, char16_t ch);

// Every character of `order` whose code is certain, ascending (for documentation and tests).
std::vector<const CharCode*> certainCharacters(TextOrder order);

}  // namespace db::jet
