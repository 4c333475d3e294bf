// A search of a file's raw bytes for many texts at once, in every form a database may store
// them: UTF-16LE (Access, SQLite UTF-16), Access's compressed one-byte form, Windows-1252
// and UTF-8. It tells whether a value is still anywhere in the file, live or not.
// Layer: utilities; bytes and texts only, no knowledge of databases.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace util {

class RawScanner {
public:
    // Texts whose shortest form is below `minBytes` are left out: a two-letter name turns up
    // by chance in any binary data. skipped() counts them.
    explicit RawScanner(const QStringList& texts, int minBytes = 4);

    int textCount() const { return static_cast<int>(m_texts.size()); }
    int skipped() const { return m_skipped; }
    const QString& text(int index) const { return m_texts[static_cast<size_t>(index)]; }

    // Marks in `found` (one flag per text, sized by the caller to textCount()) every text
    // that occurs in `data` in any of its forms.
    void scan(const char* data, size_t size, std::vector<bool>& found) const;
    // The texts found in these files (a missing file is no finding), in the order given.
    QStringList foundIn(const QStringList& paths) const;

    // The forms searched for a text (for tests): UTF-16LE, the compressed form, Windows-1252
    // and UTF-8, without repeats.
    static std::vector<QByteArray> forms(const QString& text);

private:
    struct Pattern {
        QByteArray bytes;
        int text;
    };
    std::vector<QString> m_texts;
    std::vector<Pattern> m_patterns;
    std::unordered_map<uint32_t, std::vector<uint32_t>> m_byPrefix;  // first four bytes -> patterns
    std::vector<uint64_t> m_filter;                                   // a bit per hashed prefix
    int m_skipped = 0;
};

}  // namespace util
