#pragma once
// A recording display for the reach presentations: the reels laid as the game cycle hands them
// over, and what the presentation showed at every symbol, frame, pause and repaint.

#include <cstdint>
#include <string>
#include <vector>

#include "machine/scene.h"
#include "reaches/reaches.h"
#include "reels/reels.h"
#include "support/test_machine.h"

namespace rl00::test {

// Outcomes as the stop-symbol selection produces them.
enum class Outcome { Hit, NearAfter, NearBefore, FarMiss };

inline Int16 wrapSymbol(int s) {
    return static_cast<Int16>(((s - 1) % 14 + 14) % 14 + 1);
}

// The stop symbol S and G_iOshiDir of an outcome with reach symbol r; e is the forward distance
// of a far miss.
inline Int16 stopFor(Outcome o, Int16 r, int e = 5) {
    switch (o) {
        case Outcome::Hit:
            return r;
        case Outcome::NearAfter:
            return wrapSymbol(r + 1);
        case Outcome::NearBefore:
            return wrapSymbol(r - 1);
        case Outcome::FarMiss:
            return wrapSymbol(r + e);
    }
    return r;
}
inline Int16 oshiDirFor(Outcome o) {
    return o == Outcome::Hit || o == Outcome::NearAfter ? Int16{1} : Int16{0};
}

// Left and right reels stopped on r, the centre reel aligned two symbols before `stop` and still
// moving, as after the right stop phase of a reach game.
inline void layReach(Machine& m, Int16 r, Int16 stop, Int16 oshi_dir) {
    prepareReelPictures(m);
    prepareSprites(m);
    ReelArray16 lay;
    lay[1] = r;
    lay[2] = wrapSymbol(stop - 2);
    lay[3] = r;
    REEL_RUN(m, lay, lay);
    m.G_iNowZug = lay;
    m.G_iStep[1] = 999;
    m.G_iStep[2] = 1;
    m.G_iStep[3] = 999;
    m.G_bPass.fill(kFalse);
    m.G_bMove.fill(kFalse);
    m.G_bMove[2] = kTrue;
    m.G_iOshiDir = oshi_dir;
}

// The state at the feed of a symbol: the per-symbol actions of the symbol have run.
struct SymbolSeen {
    Int16 symbol;  // G_iNowZug[2]
    Int16 fed;     // G_iStep[2]: 2 at the first symbol of a run
    Int16 step_left;
    Int16 step_right;
    std::string caption;
    Colour back;
    Picture ghost;
    std::uint64_t frame;
};

struct FrameSeen {
    std::string caption;
    Colour back;
};

struct ReachRecorder {
    explicit ReachRecorder(TestMachine& t) : m(t.m), display(t.display) {
        display.onSleep([this](Int32 ms) {
            if (ms != 10) {
                pauses.push_back(ms);
                return;
            }
            symbols.push_back({m.G_iNowZug[2], m.G_iStep[2], m.G_iStep[1], m.G_iStep[3],
                               m.scene.Lbl_Rich[1].caption, m.scene.window_back,
                               m.scene.picture(kImgObake), display.frames()});
        });
        display.onFrame([this] {
            frames.push_back({m.scene.Lbl_Rich[1].caption, m.scene.window_back});
        });
        display.onRepaint([this](Repaint what) {
            repaints.push_back({what, display.frames(), m.scene.Lbl_Rich[1].caption,
                                m.scene.window_back, m.scene.picture(kImgObake)});
        });
    }

    // The symbols split into runs: each run's first feed raises G_iStep[2] to 2.
    std::vector<std::vector<SymbolSeen>> runs() const {
        std::vector<std::vector<SymbolSeen>> out;
        for (const SymbolSeen& s : symbols) {
            if (s.fed == 2 || out.empty()) out.emplace_back();
            out.back().push_back(s);
        }
        return out;
    }

    struct RepaintSeen {
        Repaint what;
        std::uint64_t frame;
        std::string caption;
        Colour back;
        Picture ghost;
    };

    Machine& m;
    HeadlessDisplay& display;
    std::vector<SymbolSeen> symbols;
    std::vector<FrameSeen> frames;
    std::vector<Int32> pauses;
    std::vector<RepaintSeen> repaints;
};

// The pictures of the centre reel stand aligned around n, in the scene and in the table. After
// moving up, nothing has placed the lowest one (slot 4), so only slots 0..3 are checked then.
inline bool centreAlignedOn(const Machine& m, Int16 n, bool moved_up = false) {
    const Int32 tops[] = {-870, -420, 50, 500, 950};
    for (int slot = 0; slot < (moved_up ? 4 : 5); ++slot) {
        const Int16 s = wrapSymbol(n + 2 - slot);
        const Picture& p = m.scene.picture(reelPicture(2, s));
        if (p.top != tops[slot] || m.G_lZugTop[2][s] != tops[slot] || p.left != 500) return false;
    }
    return true;
}

}  // namespace rl00::test
