#pragma once
// Checks shared by the reel tests: where a reel's pictures stand, in the table and on screen.

#include <gtest/gtest.h>

#include <array>

#include "reels/reels.h"
#include "support/test_machine.h"

namespace rl00::test {

inline ReelArray16 reels(Int16 left, Int16 centre, Int16 right) {
    ReelArray16 a;
    a[1] = left;
    a[2] = centre;
    a[3] = right;
    return a;
}

// A machine after the load: stop symbols 1, 2, 3 and the pictures prepared.
struct LoadedMachine : TestMachine {
    LoadedMachine() {
        m.G_iStopZug = reels(1, 2, 3);
        prepareReelPictures(m);
    }
};

// n wrapped into 1..14 however far outside it lies.
inline Int16 wrap(int n) {
    return static_cast<Int16>(((n - 1) % 14 + 14) % 14 + 1);
}

inline const Picture& pic(const Machine& m, int reel, int index) {
    return m.scene.picture(reelPicture(reel, index));
}

// The five pictures around `centre` stand aligned in the reel's column, and the table agrees.
inline ::testing::AssertionResult aligned(const Machine& m, Int16 reel, Int16 centre) {
    for (int slot = 0; slot <= 4; ++slot) {
        const Int16 s = wrap(centre + 2 - slot);
        const Picture& p = pic(m, reel, s);
        if (p.top != kAlignedTop[slot] || p.left != reelColumn(reel) ||
            m.G_lZugTop[reel][s] != kAlignedTop[slot])
            return ::testing::AssertionFailure()
                   << "reel " << reel << " centre " << centre << " slot " << slot << " symbol " << s
                   << ": top " << p.top << " left " << p.left << " table " << m.G_lZugTop[reel][s];
    }
    return ::testing::AssertionSuccess();
}

// Every reel picture's Top as the table holds it.
inline std::array<Int32, 42> tableTops(const Machine& m) {
    std::array<Int32, 42> out{};
    for (int r = 1; r <= 3; ++r)
        for (int i = 1; i <= 14; ++i)
            out[(r - 1) * 14 + i - 1] = m.G_lZugTop[r][i];
    return out;
}

}  // namespace rl00::test
