#include "crash/tracer/LinkChains.h"
#include "crash/tracer/StackRepetitions.h"

#include <gtest/gtest.h>

namespace qv::crash::test {

namespace {

std::vector<TStackItem> Items(const std::vector<uintptr_t>& addresses) {
    std::vector<TStackItem> items;
    for (uintptr_t address : addresses) {
        TStackItem item;
        item.address = address;
        items.push_back(item);
    }
    return items;
}

std::vector<uintptr_t> Remaining(const std::vector<TStackItem>& items) {
    std::vector<uintptr_t> addresses;
    for (const TStackItem& item : items)
        if (!item.invalid) addresses.push_back(item.address);
    return addresses;
}

std::vector<uintptr_t> WithoutRepetitions(const std::vector<uintptr_t>& addresses) {
    std::vector<TStackItem> items = Items(addresses);
    RemoveStackRepetitions(items);
    return Remaining(items);
}

} // namespace

TEST(StackRepetitions, ARecursionShowsOnce) {
    std::vector<uintptr_t> deep = {1};
    for (int round = 0; round < 10; ++round)
        deep.insert(deep.end(), {10, 20, 30});
    deep.push_back(99);
    EXPECT_EQ(WithoutRepetitions(deep), (std::vector<uintptr_t>{1, 10, 20, 30, 99}));
    EXPECT_EQ(WithoutRepetitions({1, 5, 5, 5, 5, 2}), (std::vector<uintptr_t>{1, 5, 2}))
        << "direct recursion";
    EXPECT_EQ(WithoutRepetitions({1, 10, 20, 10, 20, 10, 3}), (std::vector<uintptr_t>{1, 10, 20, 10, 3}))
        << "a partial last round stays";
}

TEST(StackRepetitions, LeavesStretchesThatDoNotRepeat) {
    EXPECT_EQ(WithoutRepetitions({1, 2, 3, 4}), (std::vector<uintptr_t>{1, 2, 3, 4}));
    EXPECT_EQ(WithoutRepetitions({10, 20, 10, 30}), (std::vector<uintptr_t>{10, 20, 10, 30}))
        << "partners differ";
    EXPECT_EQ(WithoutRepetitions({}), std::vector<uintptr_t>{});

    std::vector<TStackItem> items = Items({7, 8, 7, 8, 9});
    items[2].invalid = true;
    RemoveStackRepetitions(items);
    EXPECT_EQ(Remaining(items), (std::vector<uintptr_t>{7, 8, 9})) << "invalid items do not count";
}

namespace {

TStackItem Item(uintptr_t address, uintptr_t function, uintptr_t callTarget, bool anchored = false) {
    TStackItem item;
    item.address = address;
    item.functionStart = function;
    item.callTarget = callTarget;
    item.anchored = anchored;
    item.confirmed = true;
    return item;
}

} // namespace

TEST(LinkChains, WeighsLinksAsTheRulesSay) {
    TStackItem caller = Item(0x1000, 0x900, 0x2000);
    TStackItem callee = Item(0x2040, 0x2000, 0);
    EXPECT_EQ(TLinkChains::LinkWeight(caller, callee), TLinkChains::kConfirmedFunction);
    callee.confirmed = false;
    EXPECT_EQ(TLinkChains::LinkWeight(caller, callee), TLinkChains::kKnownFunction);
    caller.callTarget = 0x3000;
    EXPECT_EQ(TLinkChains::LinkWeight(caller, callee), 0u) << "the call leads elsewhere";
    caller.callTarget = 0;
    EXPECT_EQ(TLinkChains::LinkWeight(caller, callee), TLinkChains::kUnnamed);
    callee.moduleHasSymbols = true;
    EXPECT_EQ(TLinkChains::LinkWeight(caller, callee), TLinkChains::kUnnamedWithSymbols);
    caller.hasLine = callee.hasLine = true;
    EXPECT_EQ(TLinkChains::LinkWeight(caller, callee), TLinkChains::kUnnamedWithLines);
}

TEST(LinkChains, KeepsTheBestChainBetweenAnchors) {
    // outer anchor (calls A) -> A (calls B) -> stale (calls C) -> B (calls D) -> inner anchor in D.
    std::vector<TStackItem> items = {Item(0x100, 0x50, 0xA00, true), Item(0xA10, 0xA00, 0xB00),
                                     Item(0xC10, 0xC00, 0xC80), Item(0xB10, 0xB00, 0xD00),
                                     Item(0xD10, 0xD00, 0, true)};
    std::vector<int> progress;
    TLinkChains::Realize(items, [&](int value) { progress.push_back(value); });
    EXPECT_EQ(Remaining(items), (std::vector<uintptr_t>{0x100, 0xA10, 0xB10, 0xD10}));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 1000);

    // Without a link into the inner anchor, linked items still beat loose ones.
    items = {Item(0x100, 0x50, 0xA00, true), Item(0xA10, 0xA00, 0), Item(0xC10, 0xC00, 0xE00),
             Item(0xD10, 0xD00, 0, true)};
    TLinkChains::Realize(items, {});
    EXPECT_EQ(Remaining(items), (std::vector<uintptr_t>{0x100, 0xA10, 0xD10}));
}

} // namespace qv::crash::test
