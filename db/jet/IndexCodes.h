// The per-character codes of Access's text sort orders, as Access-made fixtures, the
// judge's keys and LibRed's measurements show them, for the index key encoder.
// Layer: index (key encoding data); no pages, no tables. A character missing here has no
// known key: the encoder refuses it rather than guess.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace db::jet {

// How a character enters a text key (the structure of "General" keys):
//  Simple        its code goes into the main part of the key
//  International its code goes into the main part and its extra bytes (an accent, a
//                variant) into the part after it, at the character's place
//  Unprintable   nothing in the main part; its `unprintable` code goes to the last part
//                together with its position
//  Modifier      a combining mark: nothing in the main part; `modifier` is added to the
//                extra byte of the character before it (or stands alone at the start)
//  Ignored       leaves no trace in the key
enum class CharKind : uint8_t { Simple, International, Unprintable, Modifier, Ignored };

struct CharCode {
    CharKind kind = CharKind::Ignored;
    uint8_t inlineLength = 0;
    uint8_t inlineBytes[4] = {};
    uint8_t extraLength = 0;  // International: one or two extra bytes
    uint8_t extraBytes[2] = {};
    uint8_t unprintable = 0;  // Unprintable: its code
    uint8_t modifier = 0;     // Modifier: what it adds
    uint8_t kana = 0;         // 0, or the kana flag (0x02/0x03) of the part after the extras
    // False for codes that only together reproduce an entry (the kana flags of the one
    // Japanese value cannot be told apart); such codes serve to check files, never to
    // write them.
    bool certain = true;
};

// Consecutive characters `first`..`last` whose codes follow one rule: every `group`
// characters share a code, and each next group's varying byte (the last code byte, the
// unprintable code or the modifier) is `increment` higher than the one before.
struct CodeRun {
    char16_t first;
    char16_t last;
    uint8_t group;
    uint8_t increment;
    CharCode code;
};

enum class TextOrder : uint8_t {
    GeneralLegacy,  // Jet 4 "General (legacy)", Access 2000-2007: sort language 0x0409, version 0
    General,        // "General" of Access 2010 and later: 0x0409, version 1
    General97,      // Jet 3 "General", Access 97: 0x0409
};

// The code of `ch` in `order`, or nothing when no source shows it.
std::optional<CharCode> findCharCode(TextOrder order, char16_t ch);

// Every character of `order` whose code is certain, ascending (for documentation and tests).
std::vector<std::pair<char16_t, CharCode>> certainCharacters(TextOrder order);

// Two codes that give the same key bytes in every text.
bool sameCharCode(const CharCode& a, const CharCode& b);

}  // namespace db::jet
