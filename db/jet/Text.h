// Text as Access stores it, turned into UTF-8: Jet 4's UTF-16LE with its compressed form,
// and Jet 3's single-byte code page text.
// Layer: row codec helper; works on bytes only.
#pragma once

#include "db/jet/ByteView.h"

#include <cstdint>
#include <string>

namespace db::jet {

void appendUtf8(std::string& out, uint32_t codePoint);

// UTF-16LE to UTF-8; an unpaired surrogate becomes U+FFFD, an odd last byte is dropped.
std::string utf16ToUtf8(const uint8_t* data, size_t length);

// Jet 4 text: UTF-16LE, or after the marker FF FE one byte per character, where each 0x00
// switches between one-byte and two-byte characters.
std::string decodeJet4Text(ByteView bytes);

// Jet 3 text in the database's code page. 1252 is built in; other code pages go through
// the C library's iconv and fall back to 1252 where it lacks them.
std::string decodeCodePageText(ByteView bytes, uint16_t codePage);

// UTF-8 to code points; false when the text is not valid UTF-8.
bool decodeUtf8(const std::string& text, std::u32string& out);

}  // namespace db::jet
