// The count of decoded pages all holders keep, and who lets go when it passes the bound.
#include "db/jet/DecodedPages.h"

#include <algorithm>

namespace db::jet {

namespace {
// Decoded pages of all holders together; an index page decodes into some 5 KB.
constexpr size_t kLimit = 256;
}  // namespace

void DecodedPages::add(DecodedHolder& holder) { m_holders.push_back(Entry{&holder, 0}); }

void DecodedPages::remove(DecodedHolder& holder)
{
    const auto it = std::find_if(m_holders.begin(), m_holders.end(), [&](const Entry& e) { return e.holder == &holder; });
    if (it == m_holders.end())
        return;
    m_total -= it->count;
    m_holders.erase(it);
}

DecodedPages::Entry& DecodedPages::entryOf(DecodedHolder& holder)
{
    // The holder that reported last is looked for first: one index is usually at work.
    if (!m_holders.empty() && m_holders.back().holder == &holder)
        return m_holders.back();
    const auto it = std::find_if(m_holders.begin(), m_holders.end(), [&](const Entry& e) { return e.holder == &holder; });
    if (it == m_holders.end()) {
        m_holders.push_back(Entry{&holder, 0});
        return m_holders.back();
    }
    std::iter_swap(it, m_holders.end() - 1);
    return m_holders.back();
}

void DecodedPages::report(DecodedHolder& holder, size_t count)
{
    Entry& e = entryOf(holder);
    m_total = m_total - e.count + count;
    e.count = count;
    if (m_total > kLimit)
        trim(holder);
}

void DecodedPages::trim(DecodedHolder& reporting)
{
    std::vector<Entry*> order;
    order.reserve(m_holders.size());
    for (Entry& e : m_holders)
        if (e.count > 0)
            order.push_back(&e);
    // The reporting holder is at work: it drops last, the others by what they keep.
    std::sort(order.begin(), order.end(), [&](const Entry* a, const Entry* b) {
        const bool aLast = a->holder == &reporting, bLast = b->holder == &reporting;
        if (aLast != bLast)
            return bLast;
        return a->count > b->count;
    });
    for (Entry* e : order) {
        if (m_total <= kLimit / 2)
            break;
        const size_t kept = e->holder->dropDecoded();
        m_total = m_total - e->count + kept;
        e->count = kept;
    }
}

}  // namespace db::jet
