// The one bound for decoded pages: however many holders report, together they keep at most
// the limit; the largest let go first, the one at work last, and a holder whose changes are
// not laid out yet keeps its pages.
#include "db/jet/DecodedPages.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct Holder : db::jet::DecodedHolder {
    size_t pages = 0;
    bool pinned = false;  // changes not yet laid out
    int drops = 0;
    size_t dropDecoded() override
    {
        ++drops;
        if (!pinned)
            pages = 1;  // the root stays
        return pages;
    }
};

}  // namespace

TEST(JetDecodedPages, HoldersTogetherStayUnderTheLimitTheLargestDroppingFirstAndTheWorkingOneLast)
{
    db::jet::DecodedPages bound;
    std::vector<std::unique_ptr<Holder>> holders;
    for (int i = 0; i < 200; ++i) {
        holders.push_back(std::make_unique<Holder>());
        bound.add(*holders.back());
    }
    // Each index in turn searches more pages, as a run over many tables does.
    size_t most = 0;
    for (int round = 0; round < 20; ++round)
        for (auto& h : holders) {
            h->pages += 7;
            bound.report(*h, h->pages);
            most = std::max(most, bound.total());
            size_t sum = 0;
            for (const auto& g : holders)
                sum += g->pages;
            ASSERT_EQ(bound.total(), sum);
        }
    EXPECT_LE(most, 256u);
    EXPECT_GT(most, 200u);

    // One large holder and the one at work: the large one goes, the working one keeps its pages.
    db::jet::DecodedPages two;
    Holder large, working, pinned;
    two.add(large);
    two.add(working);
    two.add(pinned);
    pinned.pinned = true;
    pinned.pages = 20;
    two.report(pinned, 20);
    large.pages = 200;
    two.report(large, 200);
    working.pages = 100;
    two.report(working, 100);
    EXPECT_EQ(large.pages, 1u);
    EXPECT_EQ(working.pages, 100u);
    EXPECT_EQ(working.drops, 0);
    EXPECT_EQ(pinned.pages, 20u);
    EXPECT_EQ(two.total(), 121u);

    // A holder that goes takes its count with it.
    two.remove(working);
    EXPECT_EQ(two.total(), 21u);
}
