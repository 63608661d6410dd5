#include "engine/motion_cache.h"

#include <array>
#include <optional>
#include <unordered_map>
#include <vector>

#include "engine/game_start.h"
#include "engine/motion_effect.h"
#include "machine/machine.h"
#include "reels/reels.h"

namespace rl00 {

namespace {

bool isSymbol(Int16 s) {
    return s >= 1 && s <= kSymbols;
}

// The input of a presentation as a hashable key: its kind and stop symbol, then the values of
// the slots it reads; a re-lottery adds the hit symbols and the overshoot flag.
struct PresentationKey {
    std::array<Int16, 20> v{};
    bool operator==(const PresentationKey&) const = default;
};

struct KeyHash {
    std::size_t operator()(const PresentationKey& k) const {
        std::uint64_t h = 1469598103934665603ULL;
        for (const Int16 x : k.v) {
            h ^= static_cast<std::uint16_t>(x);
            h *= 1099511628211ULL;
        }
        return static_cast<std::size_t>(h);
    }
};

// The slots a presentation reads besides its kind and stop symbol.
constexpr std::array<int, 14> kPresentationSlots = {
    slot::kNow,      slot::kNow + 1,  slot::kNow + 2,  slot::kOshiDir, slot::kModori,
    slot::kStep,     slot::kStep + 1, slot::kStep + 2, slot::kPass,    slot::kPass + 1,
    slot::kPass + 2, slot::kMove,     slot::kMove + 1, slot::kMove + 2};

// A stored outcome, or the mark that an input's outcome failed its check.
struct Stored {
    std::optional<MotionEffect> effect;
};

}  // namespace

struct MotionCache::Impl {
    Counts counts;

    // The machine whose slots `table` points at.
    std::optional<SlotTable> table;
    const SlotTable& slotsOf(Machine& m) {
        if (!table || &table->machine() != &m) table.emplace(m);
        return *table;
    }

    // The start display waits for the spin: together they write every item they read.
    ReelArray16 start{};
    ReelArray16 old{};
    // The centre stop of a game without reach was accounted with the spin.
    bool centre_accounted = false;

    // Per reel and (old, start, first) symbols; the centre also by whether it stops.
    static constexpr std::size_t kSpinEntries = 3 * kSymbols * kSymbols * kSymbols * 2;
    std::vector<std::optional<Stored>> spin = std::vector<std::optional<Stored>>(kSpinEntries);
    std::array<std::optional<Display::MotionTime>, 2> spin_time;

    std::unordered_map<PresentationKey, Stored, KeyHash> presentations;
    std::unordered_map<PresentationKey, Stored, KeyHash> re_lotteries;
    struct LastPresentation {
        Presentation play = nullptr;
        PresentationKey key;
        Int16 stop = 0;
    };
    std::optional<LastPresentation> last;

    static std::size_t spinIndex(int r, Int16 old_s, Int16 start_s, Int16 first, bool stops) {
        std::size_t i = static_cast<std::size_t>(r - 1);
        i = i * kSymbols + static_cast<std::size_t>(old_s - 1);
        i = i * kSymbols + static_cast<std::size_t>(start_s - 1);
        i = i * kSymbols + static_cast<std::size_t>(first - 1);
        return i * 2 + (r == 2 && stops ? 1 : 0);
    }

    void recordSpin(Machine& m, bool stops);
    bool playSpinFromStore(Machine& m, bool stops);
    static PresentationKey presentationKey(const Machine& m, Int16 kind, Int16 stop);
    static MotionInput presentationInput(const PresentationKey& k);
};

void MotionCache::Impl::recordSpin(Machine& m, bool stops) {
    MotionInput input;
    for (int r = 1; r <= 3; ++r) {
        input.emplace_back(slot::kNow + r - 1, m.G_iNowZug[r]);
        input.emplace_back(slot::kStart + r - 1, m.G_iStartZug[r]);
    }
    const ReelArray16 s = start;
    const ReelArray16 o = old;
    std::optional<MotionEffect> e = recordMotion(m, input, [](Machine&) {}, [&](Machine& x) {
        REEL_RUN(x, s, o);
        rl00::spinToRightStop(x);
        if (stops) rl00::centreStop(x);
    });
    ++counts.recorded;
    // The reels move each on their own, for the same time whatever their symbols: what reel r
    // does depends on its own symbols only, so one played spin serves every game that shares
    // one reel's symbols with it. A spin that shows otherwise is refused.
    auto& time = spin_time[stops ? 1 : 0];
    bool sound = e && e->ofReel(0).empty() && (!time || *time == e->time);
    for (int r = 1; r <= 3 && sound; ++r) {
        const auto& known = spin[spinIndex(r, o[r], s[r], m.G_iNowZug[r], stops)];
        if (known && known->effect && !(*known->effect == e->ofReel(r))) sound = false;
    }
    for (int r = 1; r <= 3; ++r) {
        auto& entry = spin[spinIndex(r, o[r], s[r], m.G_iNowZug[r], stops)];
        if (!sound) {
            entry = Stored{};
        } else if (!entry) {
            entry = Stored{e->ofReel(r)};
        }
    }
    if (!sound) {
        ++counts.refused;
        return;
    }
    time = e->time;
}

bool MotionCache::Impl::playSpinFromStore(Machine& m, bool stops) {
    for (int r = 1; r <= 3; ++r) {
        if (!isSymbol(old[r]) || !isSymbol(start[r]) || !isSymbol(m.G_iNowZug[r])) return false;
    }
    const auto entry = [&](int r) -> const std::optional<Stored>& {
        return spin[spinIndex(r, old[r], start[r], m.G_iNowZug[r], stops)];
    };
    if (!entry(1) || !entry(2) || !entry(3)) recordSpin(m, stops);
    std::array<const MotionEffect*, 3> parts{};
    for (int r = 1; r <= 3; ++r) {
        if (!entry(r) || !entry(r)->effect) return false;
        parts[static_cast<std::size_t>(r - 1)] = &*entry(r)->effect;
    }
    const auto& time = spin_time[stops ? 1 : 0];
    if (!time || !m.display.skipMotion(*time)) return false;
    const SlotTable& t = slotsOf(m);
    for (const MotionEffect* part : parts)
        part->apply(t);
    return true;
}

PresentationKey MotionCache::Impl::presentationKey(const Machine& m, Int16 kind, Int16 stop) {
    PresentationKey k;
    k.v = {kind,         stop,         m.G_iNowZug[1], m.G_iNowZug[2], m.G_iNowZug[3],
           m.G_iOshiDir, m.G_bModori,  m.G_iStep[1],   m.G_iStep[2],   m.G_iStep[3],
           m.G_bPass[1], m.G_bPass[2], m.G_bPass[3],   m.G_bMove[1],   m.G_bMove[2],
           m.G_bMove[3], 0,            0,              0,              0};
    return k;
}

MotionInput MotionCache::Impl::presentationInput(const PresentationKey& k) {
    MotionInput input;
    for (std::size_t i = 0; i < kPresentationSlots.size(); ++i)
        input.emplace_back(kPresentationSlots[i], k.v[i + 2]);
    return input;
}

MotionCache::MotionCache() : impl_(std::make_unique<Impl>()) {}
MotionCache::~MotionCache() = default;

const MotionCache::Counts& MotionCache::counts() const {
    return impl_->counts;
}

void MotionCache::startDisplay(Machine& m) {
    // What the start display does first; the placement of the reels is played with the spin.
    impl_->old = m.G_iNowZug;
    for (Int16 r = 1; r <= 3; ++r)
        m.G_iStartZug[r] = m.G_iStopZug[r];
    impl_->start = m.G_iStartZug;
}

void MotionCache::spinToRightStop(Machine& m) {
    Impl& d = *impl_;
    // A game without reach stops its centre reel right after the spin (the game cycle asks
    // for nothing else in between), so both are one motion.
    const bool stops = m.G_bRich != kTrue;
    d.centre_accounted = false;
    if (d.playSpinFromStore(m, stops)) {
        ++d.counts.accounted;
        d.centre_accounted = stops;
        return;
    }
    ++d.counts.stepped;
    REEL_RUN(m, d.start, d.old);
    rl00::spinToRightStop(m);
}

void MotionCache::centreStop(Machine& m) {
    if (impl_->centre_accounted) {
        impl_->centre_accounted = false;
        return;
    }
    rl00::centreStop(m);
}

void MotionCache::presentation(Machine& m, Presentation play, Int16 kind, Int16& S, Int16& R) {
    Impl& d = *impl_;
    const PresentationKey key = Impl::presentationKey(m, kind, S);
    d.last = Impl::LastPresentation{play, key, S};
    auto it = d.presentations.find(key);
    if (it == d.presentations.end() && &R == &m.G_iNowZug[1]) {
        const Int16 stop = S;
        std::optional<MotionEffect> e =
            recordMotion(m, Impl::presentationInput(key), [](Machine&) {}, [&](Machine& x) {
                Int16 s = stop;
                play(x, s, x.G_iNowZug[1]);
            });
        ++d.counts.recorded;
        if (!e) ++d.counts.refused;
        it = d.presentations.emplace(key, Stored{std::move(e)}).first;
    }
    if (it != d.presentations.end() && it->second.effect &&
        m.display.skipMotion(it->second.effect->time)) {
        it->second.effect->apply(d.slotsOf(m));
        ++d.counts.accounted;
        return;
    }
    ++d.counts.stepped;
    play(m, S, R);
}

void MotionCache::reLotterySteps(Machine& m) {
    Impl& d = *impl_;
    if (!d.last) {
        ++d.counts.stepped;
        rl00::reLotterySteps(m);
        return;
    }
    // The steps start where the presentation left the reels: its input, and what the re-lottery
    // adds to it (the hit symbol, the overshoot), say everything they read.
    const Impl::LastPresentation last = *d.last;
    PresentationKey key = last.key;
    key.v[16] = m.G_iStopZug[1];
    key.v[17] = m.G_iStopZug[2];
    key.v[18] = m.G_iStopZug[3];
    key.v[19] = m.G_bSaiChusenUp;
    auto it = d.re_lotteries.find(key);
    if (it == d.re_lotteries.end()) {
        const ReelArray16 hit = m.G_iStopZug;
        const Flag overshoot = m.G_bSaiChusenUp;
        std::optional<MotionEffect> e = recordMotion(
            m, Impl::presentationInput(last.key),
            [&](Machine& x) {
                Int16 s = last.stop;
                last.play(x, s, x.G_iNowZug[1]);
                spinStart(x);
                x.G_iStopZug = hit;
                x.G_bSaiChusenUp = overshoot;
            },
            [](Machine& x) { rl00::reLotterySteps(x); });
        ++d.counts.recorded;
        if (!e) ++d.counts.refused;
        it = d.re_lotteries.emplace(key, Stored{std::move(e)}).first;
    }
    if (it->second.effect && m.display.skipMotion(it->second.effect->time)) {
        it->second.effect->apply(d.slotsOf(m));
        ++d.counts.accounted;
        return;
    }
    ++d.counts.stepped;
    rl00::reLotterySteps(m);
}

}  // namespace rl00
