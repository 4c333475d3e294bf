// One bound for the decoded copies of pages that layers keep beside the page file (each
// index tree keeps the pages it searched, decoded into entries): however many indexes a
// file has and however large they grow, together they keep at most kLimit pages, so that
// this memory does not grow with the file (kLimit, in DecodedPages.cpp).
// Layer: pages; counts only, the holders keep and drop their copies themselves.
#pragma once

#include <cstddef>
#include <vector>

namespace db::jet {

class DecodedHolder {
public:
    // Lets go of the decoded pages it may drop (none while its own changes are not yet laid
    // out); returns how many it keeps.
    virtual size_t dropDecoded() = 0;

protected:
    ~DecodedHolder() = default;
};

class DecodedPages {
public:
    void add(DecodedHolder& holder);
    void remove(DecodedHolder& holder);
    // `holder` keeps `count` decoded pages now. Beyond the limit holders drop theirs until
    // half the limit is left: those that keep the most first, `holder` (at work) last.
    void report(DecodedHolder& holder, size_t count);
    size_t total() const { return m_total; }

private:
    struct Entry {
        DecodedHolder* holder;
        size_t count;
    };
    Entry& entryOf(DecodedHolder& holder);
    void trim(DecodedHolder& reporting);

    std::vector<Entry> m_holders;
    size_t m_total = 0;
};

}  // namespace db::jet
