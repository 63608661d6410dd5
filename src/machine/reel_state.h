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
};

}  // namespace rl00
