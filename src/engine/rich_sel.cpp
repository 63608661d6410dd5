#include "engine/rich_sel.h"

#include <array>

#include "engine/motions.h"
#include "engine/tables.h"
#include "machine/msg_show.h"
#include "machine/texts.h"
#include "reaches/reaches.h"
#include "reels/reels.h"

namespace rl00 {

namespace {

// One row of the choice table: draws up to and including `last_k` give `kind`.
struct Range {
    Int16 last_k;
    Int16 kind;
};

constexpr Range kFarMissRows[] = {{25, 1}, {27, 3}, {30, 6}, {32, 9}};
constexpr Range kNearMissRows[] = {{4, 1}, {11, 3}, {14, 4}, {24, 6}, {28, 7}, {32, 10}};
constexpr Range kHitRows[] = {{1, 1},  {2, 2},  {3, 3},  {15, 4}, {19, 5},
                              {20, 6}, {29, 7}, {30, 8}, {32, 10}};

template <std::size_t N>
Int16 pick(const Range (&rows)[N], Int16 k) {
    if (k < 1) return 0;
    for (const Range& row : rows) {
        if (k <= row.last_k) return row.kind;
    }
    return 0;
}

struct Kind {
    std::string_view code;
    std::string_view name;  // the message its presentation ends with
    Motions::Presentation play;
};

constexpr std::array<Kind, kReachKinds> kKindTable = {{
    {"01:Nm ", text::kNormal, RICH_NM},
    {"02:NmR", text::kNormalReturn, RICH_NMR},
    {"03:RO ", text::kRightGhost, RICH_RO},
    {"04:ROS", text::kRightSuper, RICH_ROS},
    {"05:ROM", text::kRightReturn, RICH_ROM},
    {"06:LO ", text::kLeftGhost, RICH_LO},
    {"07:LOS", text::kLeftSuper, RICH_LOS},
    {"08:Hnd", text::kHand, RICH_HND},
    {"09:Frs", text::kFlash, RICH_FRS},
    {"10:FrK", text::kFlashFrames, RICH_FRK},
}};

}  // namespace

Int16 richKind(Int16 result, Int16 k) {
    switch (result) {
        case kRichFarMiss:
            return pick(kFarMissRows, k);
        case kRichNearMiss:
            return pick(kNearMissRows, k);
        case kRichHit:
            return pick(kHitRows, k);
        default:
            return 0;
    }
}

std::string_view richCode(Int16 kind) {
    if (kind < 1 || kind > kReachKinds) return {};
    return kKindTable[static_cast<std::size_t>(kind - 1)].code;
}

std::string_view richName(Int16 kind) {
    if (kind < 1 || kind > kReachKinds) return {};
    return kKindTable[static_cast<std::size_t>(kind - 1)].name;
}

void RICH_SEL(Machine& m, Int16& P_iRichRes, Int16& P_iRichSyu) {
    try {
        const Int16 k = m.rnd.upTo(reach::kDraws);
        P_iRichSyu = richKind(P_iRichRes, k);
        // The centre reel stands two symbols before its decided symbol.
        Int16 t = symbolAfter(m.G_iNowZug[2], 2);
        const Int16 kind = P_iRichSyu;
        if (kind >= 1 && kind <= kReachKinds) {
            const Kind& entry = kKindTable[static_cast<std::size_t>(kind - 1)];
            motionsOf(m).presentation(m, entry.play, kind, t, m.G_iNowZug[1]);
            m.G_sRichCode = std::string(entry.code);
        }
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

}  // namespace rl00
