// Unicode simple case folding (CaseFolding.txt, statuses C and S): the folding under
// which the database layer's NOCASE collation calls two texts equal.
// Layer: helper of the virtual table's in-memory lookups; no format knowledge.
#pragma once

#include <cstdint>
#include <string>

namespace db::jet {

uint32_t foldCase(uint32_t codePoint);

// `text` (UTF-8) folded code point by code point, as UTF-8. False when `text` is not valid
// UTF-8 (the caller then cannot use a folded key).
bool foldedKey(const std::string& text, std::string& key);

}  // namespace db::jet
