// B-tree maintenance as the fixtures and the public notes show Access doing it.
// Layer: index; pages through the page file and the space layer, never rows or SQL.
#include "db/jet/IndexWriter.h"

#include "db/jet/Space.h"

#include <algorithm>
#include <cstring>

// What Access does, and so this file (docs/access-format.md, "Writing indexes"):
// - a page keeps its entries whole while they fit and shares the prefix of its first and
//   last key only when they would not (compIndexTestV2000.mdb, leaf 32);
// - a node page names its last child in the header ("tail") instead of giving it an entry,
//   and a node with a single child gives that child an entry (node 29 of the same file;
//   Jackcess keeps every node this way, and Access reads what Jackcess writes);
// - the root keeps its page: when it is full its entries move to a new page below it,
//   which then splits (node 29 still holds the bytes of the leaf it was, leaf 32 the
//   entries it took over);
// - a split moves the entries after the split point to a new page to the right; an entry
//   appended at the end of the last page of a level starts the new page alone (leaf 33
//   holds only what came after the split);
// - leaves are linked from the first to the last; node pages only to the siblings under
//   the same parent (Jackcess's notes; no fixture has node pages below the root);
// - a page that loses its last entry is given back, the root becomes an empty leaf.

namespace db::jet {

namespace {

constexpr unsigned kMaxDepth = 32;
// Changed pages held decoded before they are laid out without being asked: a bound on the
// memory a long statement keeps beside the page file's.
constexpr size_t kMaxHeldPages = 64;

int compareBytes(const uint8_t* a, size_t an, const uint8_t* b, size_t bn)
{
    const size_t n = std::min(an, bn);
    if (n > 0) {
        if (const int c = std::memcmp(a, b, n))
            return c < 0 ? -1 : 1;
    }
    return an < bn ? -1 : (an > bn ? 1 : 0);
}

// Entry i of `p` against (key, row).
int compareEntry(const IndexPageData& p, size_t i, const uint8_t* key, size_t keyLength, uint64_t rowId)
{
    if (const int c = compareBytes(p.entry(i), p.keyLength(i), key, keyLength))
        return c;
    const uint64_t r = p.rowId(i);
    return r < rowId ? -1 : (r > rowId ? 1 : 0);
}

// The first entry not below (key, row).
size_t lowerBound(const IndexPageData& p, const uint8_t* key, size_t keyLength, uint64_t rowId)
{
    size_t lo = 0, hi = p.count();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (compareEntry(p, mid, key, keyLength, rowId) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

bool sameKey(const IndexPageData& p, size_t i, const std::vector<uint8_t>& key)
{
    return p.keyLength(i) == key.size() && std::equal(key.begin(), key.end(), p.entry(i));
}

// Key and row of a leaf entry: the key, the data page (3 bytes) and the row, big-endian.
std::vector<uint8_t> leafEntry(const uint8_t* key, size_t keyLength, uint64_t rowId)
{
    std::vector<uint8_t> e(key, key + keyLength);
    appendBigEndian(e, rowId, kIndexEntryRowIdSize);
    return e;
}

// A node entry: key and row of the child's last entry, then the child.
std::vector<uint8_t> nodeEntry(const std::vector<uint8_t>& keyAndRow, uint32_t child)
{
    std::vector<uint8_t> e = keyAndRow;
    appendBigEndian(e, child, kIndexEntryChildSize);
    return e;
}

// Key and row of entry i (without a node entry's child).
std::vector<uint8_t> keyAndRow(const IndexPageData& p, size_t i)
{
    return std::vector<uint8_t>(p.entry(i), p.entry(i) + p.keyLength(i) + kIndexEntryRowIdSize);
}

void insertEntry(IndexPageData& p, size_t i, const std::vector<uint8_t>& e)
{
    const uint32_t at = p.start(i);
    p.bytes.insert(p.bytes.begin() + at, e.begin(), e.end());
    p.ends.insert(p.ends.begin() + static_cast<std::ptrdiff_t>(i), at);
    const uint32_t n = static_cast<uint32_t>(e.size());
    for (size_t k = i; k < p.ends.size(); ++k)
        p.ends[k] += n;
}

void removeEntry(IndexPageData& p, size_t i)
{
    const uint32_t at = p.start(i);
    const uint32_t n = p.size(i);
    p.bytes.erase(p.bytes.begin() + at, p.bytes.begin() + at + n);
    p.ends.erase(p.ends.begin() + static_cast<std::ptrdiff_t>(i));
    for (size_t k = i; k < p.ends.size(); ++k)
        p.ends[k] -= n;
}

void replaceEntry(IndexPageData& p, size_t i, const std::vector<uint8_t>& e)
{
    removeEntry(p, i);
    insertEntry(p, i, e);
}

// The entries [from, to) of `p` as a page of their own (links left empty).
IndexPageData slice(const IndexPageData& p, size_t from, size_t to)
{
    IndexPageData out;
    out.leaf = p.leaf;
    const uint32_t a = p.start(from), b = from < to ? p.ends[to - 1] : a;
    out.bytes.assign(p.bytes.begin() + a, p.bytes.begin() + b);
    for (size_t i = from; i < to; ++i)
        out.ends.push_back(p.ends[i] - a);
    return out;
}

// The bytes entries [from, to) of `p` take on a page of their own: whole while they fit,
// else without the prefix their first and last keys share (as planIndexPage lays out).
size_t storedSize(const IndexPageData& p, size_t from, size_t to, uint32_t capacity)
{
    const size_t whole = p.ends[to - 1] - p.start(from);
    if (whole <= capacity || to - from < 2)
        return whole;
    const uint8_t* a = p.entry(from);
    const uint8_t* b = p.entry(to - 1);
    const size_t limit = std::min(p.keyLength(from), p.keyLength(to - 1));
    size_t prefix = 0;
    while (prefix < limit && a[prefix] == b[prefix])
        ++prefix;
    return whole - prefix * (to - from - 1);
}

// Where to cut `p` (the number of entries the left part keeps, 1 to count - 1): where
// both parts fit and the larger is smallest. Cutting by whole bytes alone is not enough:
// a page may fit only through its shared prefix, and an entry that does not share it
// (a NULL before names that do) leaves the half it lands in without one.
size_t middle(const IndexPageData& p, uint32_t capacity)
{
    size_t best = std::max<size_t>(1, p.count() / 2);
    size_t bestLarger = SIZE_MAX;
    for (size_t s = 1; s < p.count(); ++s) {
        const size_t left = storedSize(p, 0, s, capacity), right = storedSize(p, s, p.count(), capacity);
        const size_t larger = std::max(left, right);
        const bool fits = left <= capacity && right <= capacity;
        if (fits && larger < bestLarger) {
            best = s;
            bestLarger = larger;
        }
    }
    return best;
}

}  // namespace

// A place to start reading: the first entry above `lower` (IndexReader's bound), or the
// first entry not below (key, row) when `exact` is given.
struct IndexTree::Bound {
    const KeyBound* lower = nullptr;
    const std::vector<uint8_t>* key = nullptr;
    uint64_t rowId = 0;

    // Whether entry i of `p` lies at or after the place.
    bool reached(const IndexPageData& p, size_t i) const
    {
        if (key)
            return compareEntry(p, i, key->data(), key->size(), rowId) >= 0;
        if (!lower)
            return true;
        const int c = compareBytes(p.entry(i), p.keyLength(i), lower->key.data(), lower->key.size());
        const bool startsWith = p.keyLength(i) >= lower->key.size()
                                && std::equal(lower->key.begin(), lower->key.end(), p.entry(i));
        return lower->inclusive ? c >= 0 : c > 0 && !startsWith;
    }
};

namespace {

template <typename B>
size_t firstReached(const IndexPageData& p, const B& from)
{
    size_t lo = 0, hi = p.count();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (from.reached(p, mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

}  // namespace

IndexTree::IndexTree(PageFile& file, const Format& format, Space& space, uint32_t tablePage, const IndexDef& index,
                     std::string name)
    : m_file(file),
      m_format(format),
      m_space(space),
      m_tablePage(tablePage),
      m_root(index.rootPage),
      m_usagePointer(index.usageMap),
      m_name(std::move(name)),
      m_generation(file.generation())
{
    m_file.decodedPages().add(*this);
}

IndexTree::~IndexTree()
{
    m_file.decodedPages().remove(*this);
    if (m_held)
        m_file.forgetDeferred(*this);
}

size_t IndexTree::maxKeyLength() const
{
    return indexPageCapacity(m_format) / 4 - kIndexEntryRowIdSize - kIndexEntryChildSize;
}

void IndexTree::sync()
{
    if (m_generation != m_file.generation()) {
        // A rollback may have put other bytes back.
        dropAll();
        m_generation = m_file.generation();
    }
    m_file.decodedPages().report(*this, m_pages.size());
}

size_t IndexTree::dropDecoded()
{
    // Changed pages not yet laid out are the only copy of their bytes; the root stays.
    if (m_dirty.empty() && !m_changing) {
        const auto root = m_pages.find(m_root);
        std::optional<Cached> keep;
        if (root != m_pages.end())
            keep = std::move(root->second);
        m_pages.clear();
        if (keep)
            m_pages.emplace(m_root, std::move(*keep));
    }
    return m_pages.size();
}

void IndexTree::dropAll()
{
    m_pages.clear();
    m_dirty.clear();
    m_usage.reset();
    if (m_held) {
        m_file.forgetDeferred(*this);
        m_held = false;
    }
}

// A change of the tree: while it runs its pages may be half done (a page over its size
// before the split), so a request of the page file to lay them out waits for its end.
template <typename F>
auto IndexTree::changing(F&& body) -> decltype(body())
{
    struct Changing {
        bool& flag;
        explicit Changing(bool& f) : flag(f) { flag = true; }
        ~Changing() { flag = false; }
    } changing(m_changing);
    return guarded(std::forward<F>(body));
}

void IndexTree::writeDeferred()
{
    if (m_changing) {
        // Asked by a reader in the middle of a change (the walk of the whole file on the
        // first allocation of a unit): it reads the pages as the last whole change left
        // them, and the page file asks again later.
        for (uint32_t number : m_dirty)
            m_file.deferWrite(number, *this);
        m_held = !m_dirty.empty();
        return;
    }
    writePending();
}

template <typename F>
auto IndexTree::guarded(F&& body) -> decltype(body())
{
    sync();
    try {
        return body();
    } catch (...) {
        // Half-done changes live only here and in the unit the caller rolls back.
        dropAll();
        throw;
    }
}

IndexTree::PagePtr IndexTree::load(uint32_t number)
{
    const auto it = m_pages.find(number);
    if (it != m_pages.end() && m_dirty.count(number))
        return it->second.page;
    if (number == 0 || !m_file.hasPage(number))
        JET_CORRUPT(number, "Indexseite",
                    "der Index \"" + m_name + "\" verweist auf eine Seite hinter dem Dateiende");
    const PageRef ref = m_file.page(number, "Indexseite");
    if (it != m_pages.end() && it->second.stamp == ref->stamp)
        return it->second.page;
    IndexPageHeader h;
    auto page = std::make_shared<IndexPageData>(decodeIndexPage(*ref, m_format, &h));
    if (h.owner != m_tablePage)
        JET_CORRUPT(number, "Besitzer",
                    "Indexseite des Index \"" + m_name + "\" gehört zur Tabellendefinition " + std::to_string(h.owner)
                        + ", nicht " + std::to_string(m_tablePage));
    m_pages.insert_or_assign(number, Cached{page, ref->stamp});
    return page;
}

void IndexTree::dirty(uint32_t number)
{
    if (m_dirty.insert(number).second && !m_deferred) {
        m_file.deferWrite(number, *this);
        m_held = true;
    }
}

void IndexTree::flush()
{
    if (m_held) {
        m_file.forgetDeferred(*this);
        m_held = false;
    }
    for (uint32_t number : m_dirty) {
        Cached& c = m_pages.at(number);
        const PageEdit e = m_file.edit(number, "Indexseite");
        encodeIndexPage(*e, m_format, m_tablePage, *c.page);
        c.stamp = e->stamp;
    }
    m_dirty.clear();
}

void IndexTree::writePending()
{
    guarded([&] { flush(); });
}

UsageMap& IndexTree::usage()
{
    if (!m_usage) {
        if (m_usagePointer == 0)
            throw JetError("Der Index \"" + m_name + "\" hat keine Liste seiner Seiten; er kann nicht geändert werden.");
        m_usage.emplace(m_file, m_format, m_usagePointer);
    }
    m_usage->refresh();
    return *m_usage;
}

uint32_t IndexTree::allocate(PagePtr data)
{
    const uint32_t number = m_space.allocate()->number;
    usage().add(number, [this] { return m_space.allocate()->number; });
    m_pages.insert_or_assign(number, Cached{std::move(data), 0});
    dirty(number);
    return number;
}

void IndexTree::release(uint32_t number)
{
    m_pages.erase(number);
    if (m_dirty.erase(number) && m_held)
        m_file.cancelDeferred(number);
    usage().remove(number);
    m_space.release(number);
}

bool IndexTree::descend(const uint8_t* key, size_t keyLength, uint64_t rowId, bool forInsert, std::vector<Step>& path)
{
    path.clear();
    uint32_t number = m_root;
    for (unsigned depth = 0;; ++depth) {
        if (depth > kMaxDepth)
            JET_CORRUPT(number, "Indexbaum", "der Index \"" + m_name + "\" hat mehr als 32 Ebenen");
        const PagePtr p = load(number);
        path.push_back({number, kTail});
        if (p->leaf)
            return true;
        const size_t i = lowerBound(*p, key, keyLength, rowId);
        if (i < p->count()) {
            path.back().child = static_cast<int>(i);
            number = p->child(i);
        } else if (p->tail) {
            number = p->tail;
        } else if (forInsert && p->count() > 0) {
            // Above everything: the last child takes it, and its entry grows with it.
            path.back().child = static_cast<int>(p->count() - 1);
            number = p->child(p->count() - 1);
        } else if (p->count() == 0) {
            JET_CORRUPT(number, "Indexbaum", "die Knotenseite des Index \"" + m_name + "\" hat keine Unterseite");
        } else {
            return false;
        }
    }
}

std::vector<uint8_t> IndexTree::lastEntryOf(const IndexPageData& page)
{
    if (page.leaf || page.tail == 0) {
        if (page.count() == 0)
            throw JetError("Interner Fehler: leere Seite im Index \"" + m_name + "\".");
        return keyAndRow(page, page.count() - 1);
    }
    return lastEntryOf(page.tail);
}

std::vector<uint8_t> IndexTree::lastEntryOf(uint32_t number)
{
    for (unsigned depth = 0; depth <= kMaxDepth; ++depth) {
        const PagePtr p = load(number);
        if (p->leaf || p->tail == 0) {
            if (p->count() == 0)
                JET_CORRUPT(number, "Indexbaum", "eine Seite des Index \"" + m_name + "\" ist leer");
            if (p->leaf)
                return keyAndRow(*p, p->count() - 1);
            number = p->child(p->count() - 1);
            continue;
        }
        number = p->tail;
    }
    JET_CORRUPT(number, "Indexbaum", "der Index \"" + m_name + "\" hat mehr als 32 Ebenen");
}

void IndexTree::propagateLast(const std::vector<Step>& path, size_t level)
{
    const std::vector<uint8_t> last = lastEntryOf(path[level].page);
    for (size_t lvl = level; lvl > 0; --lvl) {
        const Step& up = path[lvl - 1];
        if (up.child == kTail)
            continue;  // the tail has no entry; the parent's own last changes as well
        const PagePtr p = load(up.page);
        const size_t i = static_cast<size_t>(up.child);
        replaceEntry(*p, i, nodeEntry(last, path[lvl].page));
        dirty(up.page);
        if (!(i + 1 == p->count() && p->tail == 0))
            return;
    }
}

void IndexTree::normalizeNode(IndexPageData& node)
{
    if (node.leaf)
        return;
    if (node.tail == 0 && node.count() >= 2) {
        // More than one child: the last is the tail and has no entry.
        node.tail = node.child(node.count() - 1);
        removeEntry(node, node.count() - 1);
    } else if (node.tail != 0 && node.count() == 0) {
        // A single child has an entry.
        const uint32_t only = node.tail;
        node.tail = 0;
        insertEntry(node, 0, nodeEntry(lastEntryOf(only), only));
    }
}

void IndexTree::nestRoot(std::vector<Step>& path)
{
    const PagePtr root = load(m_root);
    auto below = std::make_shared<IndexPageData>(*root);
    below->prev = below->next = 0;
    const std::vector<uint8_t> last = lastEntryOf(*below);
    const uint32_t number = allocate(below);
    root->leaf = false;
    root->bytes.clear();
    root->ends.clear();
    root->tail = 0;
    root->prev = root->next = 0;
    insertEntry(*root, 0, nodeEntry(last, number));
    dirty(m_root);
    path.insert(path.begin() + 1, Step{number, path[0].child});
    path[0].child = 0;
}

bool IndexTree::split(std::vector<Step>& path, size_t level, bool append)
{
    const uint32_t left = path[level].page;
    const PagePtr x = load(left);
    const Step up = path[level - 1];
    auto right = std::make_shared<IndexPageData>();
    std::vector<uint8_t> leftLast;
    bool appended = false;
    if (x->leaf) {
        const size_t n = x->count();
        if (n < 2)
            throw JetError("Der Schlüssel ist zu lang für eine Seite des Index \"" + m_name + "\".");
        const size_t s = append && x->next == 0 ? n - 1 : middle(*x, indexPageCapacity(m_format));
        appended = append && x->next == 0;
        *right = slice(*x, s, n);
        *x = [&] {
            IndexPageData keep = slice(*x, 0, s);
            keep.prev = x->prev;
            keep.next = x->next;
            return keep;
        }();
        leftLast = keyAndRow(*x, x->count() - 1);
    } else {
        // Children in order: the stored entries, then the tail.
        struct Child {
            std::vector<uint8_t> last;  // empty for the tail (not known without reading it)
            uint32_t page;
        };
        std::vector<Child> children;
        for (size_t i = 0; i < x->count(); ++i)
            children.push_back({keyAndRow(*x, i), x->child(i)});
        if (x->tail)
            children.push_back({{}, x->tail});
        const size_t m = children.size();
        if (m < 2)
            throw JetError("Der Schlüssel ist zu lang für eine Seite des Index \"" + m_name + "\".");
        const size_t s =
            append && x->next == 0 ? m - 1 : x->count() >= 2 ? std::min(middle(*x, indexPageCapacity(m_format)), m - 1) : 1;
        appended = append && x->next == 0;
        auto layout = [&](IndexPageData& node, size_t from, size_t to) {
            node.leaf = false;
            node.bytes.clear();
            node.ends.clear();
            node.tail = 0;
            if (to - from == 1) {
                const Child& c = children[from];
                insertEntry(node, 0, nodeEntry(c.last.empty() ? lastEntryOf(c.page) : c.last, c.page));
                return;
            }
            // Only the last child may be the old tail; it becomes the tail here as well.
            for (size_t i = from; i + 1 < to; ++i)
                insertEntry(node, node.count(), nodeEntry(children[i].last, children[i].page));
            node.tail = children[to - 1].page;
        };
        const uint32_t prev = x->prev, next = x->next;
        layout(*right, s, m);
        layout(*x, 0, s);
        x->prev = prev;
        x->next = next;
        leftLast = children[s - 1].last;
        // Node levels are linked only under one parent: the two halves' children part.
        const PagePtr a = load(children[s - 1].page), b = load(children[s].page);
        if (!a->leaf) {
            a->next = 0;
            b->prev = 0;
            dirty(children[s - 1].page);
            dirty(children[s].page);
        }
    }
    right->prev = left;
    right->next = x->next;
    const uint32_t rightPage = allocate(right);
    if (x->next) {
        load(x->next)->prev = rightPage;
        dirty(x->next);
    }
    x->next = rightPage;
    dirty(left);

    // The parent: the right page takes over the left page's place (its last entry is the
    // old last), the left page gets an entry before it.
    const PagePtr p = load(up.page);
    if (up.child == kTail) {
        p->tail = rightPage;
        insertEntry(*p, p->count(), nodeEntry(leftLast, left));
    } else {
        const size_t i = static_cast<size_t>(up.child);
        replaceEntry(*p, i, nodeEntry(keyAndRow(*p, i), rightPage));
        insertEntry(*p, i, nodeEntry(leftLast, left));
    }
    const bool atEnd = up.child == kTail || (p->tail == 0 && static_cast<size_t>(up.child) + 2 == p->count());
    normalizeNode(*p);
    dirty(up.page);
    return appended && atEnd;
}

void IndexTree::fixOverflow(std::vector<Step>& path, bool append)
{
    for (size_t level = path.size(); level-- > 0;) {
        if (planIndexPage(*load(path[level].page), m_format).fits) {
            append = false;
            continue;
        }
        if (level == 0) {
            nestRoot(path);
            level = 1;
        }
        append = split(path, level, append);
        const PagePtr left = load(path[level].page);
        if (!planIndexPage(*left, m_format).fits || !planIndexPage(*load(left->next), m_format).fits)
            throw JetError("Der Schlüssel ist zu lang für eine Seite des Index \"" + m_name + "\".");
    }
}

size_t IndexTree::removePage(std::vector<Step>& path, size_t level)
{
    const uint32_t number = path[level].page;
    const PagePtr x = load(number);
    if (x->prev) {
        load(x->prev)->next = x->next;
        dirty(x->prev);
    }
    if (x->next) {
        load(x->next)->prev = x->prev;
        dirty(x->next);
    }
    const Step up = path[level - 1];
    release(number);
    const PagePtr p = load(up.page);
    bool lastChanged;
    if (up.child == kTail) {
        p->tail = 0;
        lastChanged = true;
    } else {
        const size_t i = static_cast<size_t>(up.child);
        lastChanged = i + 1 == p->count() && p->tail == 0;
        removeEntry(*p, i);
    }
    dirty(up.page);
    if (p->count() == 0 && p->tail == 0) {
        if (level - 1 == 0) {
            // An index without entries is an empty leaf.
            p->leaf = true;
            p->prev = p->next = 0;
            return 0;
        }
        return removePage(path, level - 1);
    }
    normalizeNode(*p);
    if (lastChanged)
        propagateLast(path, level - 1);
    return level - 1;
}

bool IndexTree::insert(const std::vector<uint8_t>& key, uint64_t rowId)
{
    return changing([&] {
        if (key.size() > maxKeyLength())
            throw JetError("Der Schlüssel für den Index \"" + m_name + "\" ist mit " + std::to_string(key.size())
                           + " Bytes zu lang (höchstens " + std::to_string(maxKeyLength()) + ").");
        std::vector<Step> path;
        path.reserve(8);
        descend(key.data(), key.size(), rowId, true, path);
        const uint32_t leafPage = path.back().page;
        const PagePtr leaf = load(leafPage);
        const size_t i = lowerBound(*leaf, key.data(), key.size(), rowId);
        if (i < leaf->count() && compareEntry(*leaf, i, key.data(), key.size(), rowId) == 0)
            JET_CORRUPT(leafPage, "Indexeintrag",
                        "der Index \"" + m_name + "\" hat schon einen Eintrag für die Zeile, die neu hinzukommt");
        bool duplicate = (i > 0 && sameKey(*leaf, i - 1, key)) || (i < leaf->count() && sameKey(*leaf, i, key));
        if (!duplicate && i == 0 && leaf->prev) {
            const PagePtr prev = load(leaf->prev);
            duplicate = prev->count() > 0 && sameKey(*prev, prev->count() - 1, key);
        }
        if (!duplicate && i == leaf->count() && leaf->next) {
            const PagePtr next = load(leaf->next);
            duplicate = next->count() > 0 && sameKey(*next, 0, key);
        }
        const bool atEnd = i == leaf->count() && leaf->count() > 0;
        insertEntry(*leaf, i, leafEntry(key.data(), key.size(), rowId));
        dirty(leafPage);
        if (atEnd)
            propagateLast(path, path.size() - 1);
        fixOverflow(path, atEnd);
        if (!m_deferred && m_dirty.size() > kMaxHeldPages)
            flush();
        return duplicate;
    });
}

bool IndexTree::remove(const std::vector<uint8_t>& key, uint64_t rowId)
{
    return changing([&] {
        std::vector<Step> path;
        path.reserve(8);
        if (!descend(key.data(), key.size(), rowId, false, path))
            return false;
        const uint32_t leafPage = path.back().page;
        const PagePtr leaf = load(leafPage);
        const size_t i = lowerBound(*leaf, key.data(), key.size(), rowId);
        if (i >= leaf->count() || compareEntry(*leaf, i, key.data(), key.size(), rowId) != 0)
            return false;
        const bool wasLast = i + 1 == leaf->count();
        removeEntry(*leaf, i);
        dirty(leafPage);
        if (leaf->count() == 0 && path.size() > 1) {
            path.resize(removePage(path, path.size() - 1) + 1);
        } else if (wasLast && leaf->count() > 0) {
            propagateLast(path, path.size() - 1);
        }
        fixOverflow(path, false);
        if (!m_deferred && m_dirty.size() > kMaxHeldPages)
            flush();
        return true;
    });
}

bool IndexTree::removeRow(uint64_t rowId)
{
    std::optional<std::vector<uint8_t>> key;
    guarded([&] {
        scan(
            Bound{}, [&](const IndexPageData&, size_t) { return !key; },
            [&](const IndexPageData& p, size_t i) {
                if (p.rowId(i) == rowId)
                    key.emplace(p.entry(i), p.entry(i) + p.keyLength(i));
            });
    });
    return key && remove(*key, rowId);
}

template <typename Accept, typename Visit>
void IndexTree::scan(const Bound& from, Accept&& accept, Visit&& visit)
{
    uint32_t number = m_root;
    PagePtr p;
    for (unsigned depth = 0;; ++depth) {
        if (depth > kMaxDepth)
            JET_CORRUPT(number, "Indexbaum", "der Index \"" + m_name + "\" hat mehr als 32 Ebenen");
        p = load(number);
        if (p->leaf)
            break;
        const size_t i = firstReached(*p, from);
        if (i < p->count())
            number = p->child(i);
        else if (p->tail)
            number = p->tail;
        else
            return;  // nothing at or after the place
    }
    size_t i = firstReached(*p, from);
    uint32_t steps = 0;
    for (;;) {
        for (; i < p->count(); ++i) {
            if (!accept(*p, i))
                return;
            visit(*p, i);
        }
        if (p->next == 0)
            return;
        if (++steps > m_file.pageCount())
            JET_CORRUPT(p->next, "nächste Indexseite", "die Blattseiten bilden eine Schleife");
        const uint32_t next = p->next;
        p = load(next);
        if (!p->leaf)
            JET_CORRUPT(next, "nächste Indexseite", "auf eine Blattseite folgt eine Knotenseite");
        i = 0;
    }
}

std::vector<uint64_t> IndexTree::rowsWithPrefix(const std::vector<uint8_t>& prefix)
{
    return guarded([&] {
        std::vector<uint64_t> rows;
        const KeyBound lower{prefix, true};
        Bound from;
        from.lower = &lower;
        scan(
            from,
            [&](const IndexPageData& p, size_t i) {
                return p.keyLength(i) >= prefix.size() && std::equal(prefix.begin(), prefix.end(), p.entry(i));
            },
            [&](const IndexPageData& p, size_t i) { rows.push_back(p.rowId(i)); });
        return rows;
    });
}

std::vector<uint64_t> IndexTree::rowsInRange(const std::optional<KeyBound>& lower, const std::optional<KeyBound>& upper)
{
    return guarded([&] {
        std::vector<uint64_t> rows;
        Bound from;
        if (lower)
            from.lower = &*lower;
        scan(
            from,
            [&](const IndexPageData& p, size_t i) {
                if (!upper)
                    return true;
                const int c = compareBytes(p.entry(i), p.keyLength(i), upper->key.data(), upper->key.size());
                const bool startsWith = p.keyLength(i) >= upper->key.size()
                                        && std::equal(upper->key.begin(), upper->key.end(), p.entry(i));
                return upper->inclusive ? c <= 0 || startsWith : c < 0;
            },
            [&](const IndexPageData& p, size_t i) { rows.push_back(p.rowId(i)); });
        return rows;
    });
}

bool IndexTree::hasKey(const std::vector<uint8_t>& key, uint64_t exceptRow)
{
    return guarded([&] {
        bool found = false;
        Bound from;
        from.key = &key;
        from.rowId = 0;
        scan(
            from, [&](const IndexPageData& p, size_t i) { return !found && sameKey(p, i, key); },
            [&](const IndexPageData& p, size_t i) { found = p.rowId(i) != exceptRow; });
        return found;
    });
}

}  // namespace db::jet
