#pragma once
// The state every reel movement shares (besides the per-reel symbols of the game state).

#include "platform/vb_array.h"
#include "platform/vb_types.h"

namespace rl00 {

// Tops of every reel picture, [reel 1..3][symbol 1..14], in twips.
using ZugTopTable = VbArray<VbArray<Int32, 1, 14>, 1, 3>;

struct ReelState {
    VbArray<Int16, 0, 3> G_iStep;
    VbArray<Flag, 0, 3> G_bPass;
    VbArray<Flag, 0, 3> G_bMove;
    ZugTopTable G_lZugTop;

    bool operator==(const ReelState&) const = default;
};

// Every item of the reel state for the motion store, as describeItems of GameState tells: the
// reels are what motions move, so all of it is kept but item 0 of the per-reel arrays.
template <class Visitor>
void describeItems(ReelState& s, Visitor& v) {
    for (int r = 1; r <= 3; ++r) {
        for (int i = 1; i <= 14; ++i)
            v.kept(s.G_lZugTop[r][i]);
    }
    for (auto* a : {&s.G_iStep, &s.G_bPass, &s.G_bMove}) {
        for (int r = 1; r <= 3; ++r)
            v.kept((*a)[r]);
    }
    v.untouched(s.G_iStep[0], s.G_bPass[0], s.G_bMove[0]);
}
}  // namespace rl00
