#pragma once
// Reach dispatch: which of the ten presentations a reach game plays, chosen by the reach result
// and one draw of 1..32, and the reach codes the run log records.

#include <string_view>

#include "machine/machine.h"
#include "platform/vb_types.h"

namespace rl00 {

namespace reach {
inline constexpr Int16 kDraws = 32;  // the draw of 1..32 that picks a kind
}  // namespace reach

// The kind (1..10) the choice table gives for a reach result and a draw k of 1..32; 0 for a
// result other than 1..3 (or a draw outside 1..32).
Int16 richKind(Int16 result, Int16 k);

// The six-character code of kind 1..10 ("01:Nm " .. "10:FrK"); empty for any other kind.
std::string_view richCode(Int16 kind);

// The name the machine shows for kind 1..10 when its presentation ends ("ノーマルリーチ!!" ..
// "フラッシュコマ送りリーチ!!"); empty for any other kind.
std::string_view richName(Int16 kind);

// Draws the kind, writes it to P_iRichSyu, plays its presentation with the centre reel's stop
// symbol (two symbols on from G_iNowZug[2]) and R = G_iNowZug[1], and only then records the
// kind's code in G_sRichCode. Kind 0 plays nothing and keeps the code.
void RICH_SEL(Machine& m, Int16& P_iRichRes, Int16& P_iRichSyu);

}  // namespace rl00
