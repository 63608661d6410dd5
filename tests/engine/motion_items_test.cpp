// The motion store's record of the machine: every member of the machine's state is an item that
// describeItems names, kept by a stored motion or declared untouched, and the slots are the kept
// items in their order. An item added to a struct and not to its describeItems would be left out
// of every stored motion without a word; here it fails.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "engine/motion_effect.h"
#include "frontends/headless/headless_display.h"
#include "machine/machine.h"

namespace rl00 {
namespace {

// Marks the bytes of every item it is told of.
struct Coverage {
    const unsigned char* base;
    std::vector<bool>& named;

    template <class... T>
    void kept(T&... items) {
        (mark(items), ...);
    }
    template <class... T>
    void keptApart(T&... items) {
        (mark(items), ...);
    }
    template <class... T>
    void untouched(T&... items) {
        (mark(items), ...);
    }
    template <class T>
    void mark(T& item) {
        const auto* at = reinterpret_cast<const unsigned char*>(&item);
        for (std::size_t i = 0; i < sizeof(T); ++i)
            named.at(static_cast<std::size_t>(at - base) + i) = true;
    }
};

// The runs of bytes of a T that no line of its describeItems names: its padding, and any member
// that was forgotten.
template <class T>
std::vector<std::pair<std::size_t, std::size_t>> unnamedRuns(T& t) {
    std::vector<bool> named(sizeof(T));
    Coverage coverage{reinterpret_cast<const unsigned char*>(&t), named};
    describeItems(t, coverage);
    std::vector<std::pair<std::size_t, std::size_t>> runs;  // [first, end)
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        if (named[i]) continue;
        if (!runs.empty() && runs.back().second == i) {
            ++runs.back().second;
        } else {
            runs.emplace_back(i, i + 1);
        }
    }
    return runs;
}

// Poisons the bytes that no line names, one run at a time, with two patterns, and tells the runs
// after whose poisoning the state no longer equals a fresh one: those hold a member (the
// defaulted comparison compares every member and no padding). Each run is put back at once.
template <class T>
std::string forgottenMembers() {
    const T fresh;
    T poisoned;
    auto* bytes = reinterpret_cast<unsigned char*>(&poisoned);
    std::string told;
    for (const auto& [first, end] : unnamedRuns(poisoned)) {
        const std::vector<unsigned char> kept(bytes + first, bytes + end);
        bool differs = false;
        for (const int pattern : {0xA5, 0x5A}) {
            std::memset(bytes + first, pattern, end - first);
            differs = differs || !(poisoned == fresh);
            std::memcpy(bytes + first, kept.data(), kept.size());
        }
        if (differs) told += " bytes " + std::to_string(first) + ".." + std::to_string(end - 1);
    }
    return told;
}

TEST(MotionItems, EveryMemberOfEachPartIsNamed) {
    EXPECT_EQ(forgottenMembers<GameState>(), "") << "GameState";
    EXPECT_EQ(forgottenMembers<ReelState>(), "") << "ReelState";
    EXPECT_EQ(forgottenMembers<Settings>(), "") << "Settings";
    EXPECT_EQ(forgottenMembers<Scene>(), "") << "Scene";
}

TEST(MotionItems, SlotsAreTheKeptItemsInTheirOrder) {
    HeadlessDisplay display;
    Machine m(display, 1);
    const SlotTable t(m);
    EXPECT_EQ(t.i32(slot::kRows), &m.G_lZugTop[1][1]);
    EXPECT_EQ(t.i32(slot::kStep - 1), &m.G_lZugTop[3][14]);
    EXPECT_EQ(t.i16(slot::kStep), &m.G_iStep[1]);
    EXPECT_EQ(t.i16(slot::kPass + 2), &m.G_bPass[3]);
    EXPECT_EQ(t.i16(slot::kMove), &m.G_bMove[1]);
    EXPECT_EQ(t.i16(slot::kNow + 1), &m.G_iNowZug[2]);
    EXPECT_EQ(t.i16(slot::kStart), &m.G_iStartZug[1]);
    EXPECT_EQ(t.i16(slot::kStop + 2), &m.G_iStopZug[3]);
    EXPECT_EQ(t.i16(slot::kOshiDir), &m.G_iOshiDir);
    EXPECT_EQ(t.i16(slot::kModori), &m.G_bModori);
    EXPECT_EQ(t.i16(slot::kSaiChusenUp), &m.G_bSaiChusenUp);
    const Picture& last = m.scene.pictures.back();
    EXPECT_EQ(t.i32(slot::kPictures), &m.scene.pictures.front().left);
    EXPECT_EQ(t.i16(slot::kWindowBack - 3), &last.image);
    EXPECT_EQ(t.flag(slot::kWindowBack - 1), &last.stretch);
    EXPECT_EQ(t.i32(slot::kWindowBack), &m.scene.window_back);

    // Reading and writing go through the item's own type.
    t.write(slot::kNow, 12);
    t.write(slot::kPictures + 5, 0);
    EXPECT_EQ(m.G_iNowZug[1], 12);
    EXPECT_FALSE(m.scene.pictures.front().visible);
    EXPECT_EQ(t.read(slot::kPictures + 5), 0);
}

}  // namespace
}  // namespace rl00
