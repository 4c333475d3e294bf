// The page-number map the page file and the indexes keep their pages in: every sequence of
// insertions and erasures leaves exactly the entries a plain map would hold.
#include "db/jet/PageMap.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

using db::jet::PageMap;

namespace {

void expectSame(const PageMap<int>& map, const std::map<uint32_t, int>& want)
{
    ASSERT_EQ(map.size(), want.size());
    std::map<uint32_t, int> seen;
    for (const auto& [key, value] : map)
        EXPECT_TRUE(seen.emplace(key, value).second) << "Seite " << key << " zweimal";
    EXPECT_EQ(seen, want);
    for (const auto& [key, value] : want) {
        ASSERT_NE(map.find(key), map.end()) << key;
        EXPECT_EQ(map.at(key), value);
    }
}

}  // namespace

TEST(JetPageMap, InsertionsAndErasuresOfNeighbouringAndScatteredPagesMatchAPlainMap)
{
    std::mt19937 random(11);
    PageMap<int> map;
    std::map<uint32_t, int> want;
    for (int round = 0; round < 40; ++round) {
        // Runs of neighbouring pages (as a table's are) and a few far ones, so that probe
        // runs form, wrap around the end of the array and are cut by erasures.
        const uint32_t base = random() % 5000;
        for (int i = 0; i < 300; ++i) {
            const uint32_t key = i % 7 == 0 ? random() % 0xFFFFFF : base + random() % 400;
            const int value = static_cast<int>(random() % 1000);
            switch (random() % 4) {
            case 0:
            case 1: {
                const bool inserted = map.try_emplace(key, value).second;
                EXPECT_EQ(inserted, want.emplace(key, value).second);
                break;
            }
            case 2:
                map[key] = value;
                want[key] = value;
                break;
            default:
                EXPECT_EQ(map.erase(key), want.erase(key));
            }
        }
        expectSame(map, want);
        if (round % 5 == 4) {
            const int rest = static_cast<int>(random() % 3);
            const size_t erased = map.eraseIf([&](const auto& e) { return e.second % 3 == rest; });
            EXPECT_EQ(erased, std::erase_if(want, [&](const auto& e) { return e.second % 3 == rest; }));
            expectSame(map, want);
        }
        if (round % 13 == 12) {
            map.clear();
            want.clear();
            expectSame(map, want);
        }
    }
    for (uint32_t key = 0; key < 0xFFFFFF; key += 4099)
        EXPECT_EQ(map.count(key), want.count(key));
}
