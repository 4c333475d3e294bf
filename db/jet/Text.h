// Text as Access stores it, turned into UTF-8: Jet 4's UTF-16LE with its compressed form,
// and Jet 3's single-byte code page text.
// Layer: row codec helper; works on bytes only.
#pragma once

#include "db/jet/ByteView.h"

#include <cstdint>
#include <string>
#include <vector>

namespace db::jet {

void appendUtf8(std::string& out, uint32_t codePoint);

// UTF-16LE to UTF-8; an unpaired surrogate becomes U+FFFD, an odd last byte is dropped.
std::string utf16ToUtf8(const uint8_t* data, size_t length);

// Jet 4 text: UTF-16LE, or after the marker FF FE one byte per character, where each 0x00
// switches between one-byte and two-byte characters.
std::string decodeJet4Text(ByteView bytes);
// The same text as UTF-16 code units (what decodeJet4Text gives, converted), without the
// detour through UTF-8: an unpaired surrogate becomes U+FFFD.
std::u16string decodeJet4TextUtf16(ByteView bytes);

// Jet 3 text in the database's code page. 1252 is built in; other code pages go through
// the C library's iconv and fall back to 1252 where it lacks them.
std::string decodeCodePageText(ByteView bytes, uint16_t codePage);

// UTF-8 to code points; false when the text is not valid UTF-8.
bool decodeUtf8(const std::string& text, std::u32string& out);

// UTF-8 to UTF-16 code units; false when the text is not valid UTF-8.
bool utf8ToUtf16(const std::string& text, std::u16string& out);

// Code units as UTF-16LE bytes.
std::vector<uint8_t> utf16Bytes(const std::u16string& units);

// Jet 4 text as Access stores it in a column with compression: the compressed form (FF FE,
// one byte per character) when every character is U+0001..U+00FF and that is shorter,
// otherwise UTF-16LE. The inverse of decodeJet4Text.
std::vector<uint8_t> encodeJet4Text(const std::u16string& units);

}  // namespace db::jet
