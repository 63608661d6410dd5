#include "engine/motion_cache.h"

#include <array>
#include <functional>
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

// Outcomes are stored as seen from symbol 1 and turned to the symbols of each game when they
// are applied: the reels and the reach runs treat every symbol of the strip alike.
Int16 fromOne(Int16 s, Int16 origin) {
    const int d = s - origin;
    return static_cast<Int16>((d < 0 ? d + kSymbols : d) + 1);
}

// A stored outcome (its writes as seen from symbol 1, and the same resolved for the machine at
// each of the 14 turns), or the mark that an input's outcome failed its check.
struct Stored {
    std::optional<MotionEffect> effect;
    std::array<std::optional<CompiledEffect>, kSymbols> compiled{};
    const Machine* compiled_for = nullptr;

    // The outcome turned by `shift` places for machine m, resolved once.
    const CompiledEffect& at(Machine& m, const SlotTable& t, int shift) {
        if (compiled_for != &m) {
            compiled = {};
            compiled_for = &m;
        }
        auto& c = compiled[static_cast<std::size_t>(shift)];
        if (!c) c = effect->rotated(shift).compile(t);
        return *c;
    }
};

// The input of a presentation as seen from its reach symbol: kind, stop symbol and the values
// of the slots it reads; a re-lottery adds the hit symbols and the overshoot flag.
struct InputKey {
    std::array<Int16, 20> v{};
    bool operator==(const InputKey&) const = default;
};

struct KeyHash {
    std::size_t operator()(const InputKey& k) const {
        std::uint64_t h = 1469598103934665603ULL;
        for (const Int16 x : k.v) {
            h ^= static_cast<std::uint16_t>(x);
            h *= 1099511628211ULL;
        }
        return static_cast<std::size_t>(h);
    }
};

// The slots a presentation reads besides its kind and stop symbol, in the order of InputKey.
constexpr std::array<int, 14> kPresentationSlots = {
    slot::kNow,      slot::kNow + 1,  slot::kNow + 2,  slot::kOshiDir, slot::kModori,
    slot::kStep,     slot::kStep + 1, slot::kStep + 2, slot::kPass,    slot::kPass + 1,
    slot::kPass + 2, slot::kMove,     slot::kMove + 1, slot::kMove + 2};

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

    // Per reel, seen from its start symbol: the symbol it stood on and the one it stops on
    // first; the centre also by whether it stops in the spin.
    static constexpr std::size_t kSpinEntries = 3 * kSymbols * kSymbols * 2;
    std::vector<std::optional<Stored>> spin = std::vector<std::optional<Stored>>(kSpinEntries);
    std::array<std::optional<Display::MotionTime>, 2> spin_time;

    std::unordered_map<InputKey, Stored, KeyHash> presentations;
    std::unordered_map<InputKey, Stored, KeyHash> re_lotteries;
    struct LastPresentation {
        Presentation play = nullptr;
        InputKey key;  // as seen from the reach symbol
        Int16 origin;  // the reach symbol
    };
    std::optional<LastPresentation> last;

    static std::size_t spinIndex(int r, Int16 old_s, Int16 first, bool stops) {
        std::size_t i = static_cast<std::size_t>(r - 1);
        i = i * kSymbols + static_cast<std::size_t>(old_s - 1);
        i = i * kSymbols + static_cast<std::size_t>(first - 1);
        return i * 2 + (r == 2 && stops ? 1 : 0);
    }
    std::optional<Stored>& spinEntry(int r, const Machine& m, bool stops) {
        return spin[spinIndex(r, fromOne(old[r], start[r]), fromOne(m.G_iNowZug[r], start[r]),
                              stops)];
    }

    // The stored outcome for `key` in `store`, recorded first when the key is new.
    Stored& storedFor(std::unordered_map<InputKey, Stored, KeyHash>& store, const Machine& m,
                      const InputKey& key, const MotionInput& input,
                      const std::function<void(Machine&)>& prepare,
                      const std::function<void(Machine&)>& motion);
    // Applies a stored outcome turned to `origin` when the display lets its time pass.
    bool applyStored(Machine& m, Stored& stored, Int16 origin);

    void recordSpin(Machine& m, bool stops);
    bool playSpinFromStore(Machine& m, bool stops);
    static MotionInput presentationInput(const InputKey& k);
};

void MotionCache::Impl::recordSpin(Machine& m, bool stops) {
    // Each reel is played from symbol 1, with its own symbols turned to match.
    ReelArray16 s{};
    ReelArray16 o{};
    MotionInput input;
    for (Int16 r = 1; r <= 3; ++r) {
        s[r] = 1;
        o[r] = fromOne(old[r], start[r]);
        input.emplace_back(slot::kNow + r - 1, fromOne(m.G_iNowZug[r], start[r]));
        input.emplace_back(slot::kStart + r - 1, 1);
    }
    std::optional<MotionEffect> e = recordMotion(
        m, input, [](Machine&) {},
        [&](Machine& x) {
            REEL_RUN(x, s, o);
            rl00::spinToRightStop(x);
            if (stops) rl00::centreStop(x);
        });
    ++counts.recorded;
    // The reels move each on their own, for the same time whatever their symbols: what reel r
    // does depends on its own symbols only, so one played spin serves every game that shares
    // one reel's symbols with it. A spin that shows otherwise is refused.
    auto& time = spin_time[stops ? 1 : 0];
    bool sound = e && e->ofReel(0).empty() && e->rotatable() && (!time || *time == e->time);
    for (int r = 1; r <= 3 && sound; ++r) {
        const auto& known = spinEntry(r, m, stops);
        if (known && known->effect && !(*known->effect == e->ofReel(r))) sound = false;
    }
    for (int r = 1; r <= 3; ++r) {
        auto& entry = spinEntry(r, m, stops);
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
    // Motions are recorded with the end flag clear; a set flag makes them return early.
    if (m.G_bEnd == kTrue) return false;
    std::array<std::optional<Stored>*, 3> entries{};
    for (int r = 1; r <= 3; ++r) {
        if (!isSymbol(old[r]) || !isSymbol(start[r]) || !isSymbol(m.G_iNowZug[r])) return false;
        entries[static_cast<std::size_t>(r - 1)] = &spinEntry(r, m, stops);
    }
    if (!*entries[0] || !*entries[1] || !*entries[2]) recordSpin(m, stops);
    for (const auto* entry : entries) {
        if (!*entry || !(*entry)->effect) return false;
    }
    const auto& time = spin_time[stops ? 1 : 0];
    if (!time || !m.display.skipMotion(*time)) return false;
    const SlotTable& t = slotsOf(m);
    for (int r = 1; r <= 3; ++r)
        (*entries[static_cast<std::size_t>(r - 1)])->at(m, t, start[r] - 1).apply(m);
    return true;
}

Stored& MotionCache::Impl::storedFor(std::unordered_map<InputKey, Stored, KeyHash>& store,
                                     const Machine& m, const InputKey& key,
                                     const MotionInput& input,
                                     const std::function<void(Machine&)>& prepare,
                                     const std::function<void(Machine&)>& motion) {
    auto it = store.find(key);
    if (it != store.end()) return it->second;
    std::optional<MotionEffect> e = recordMotion(m, input, prepare, motion);
    ++counts.recorded;
    if (e && !e->rotatable()) e.reset();
    if (!e) ++counts.refused;
    return store.emplace(key, Stored{std::move(e)}).first->second;
}

bool MotionCache::Impl::applyStored(Machine& m, Stored& stored, Int16 origin) {
    if (m.G_bEnd == kTrue) return false;  // see playSpinFromStore
    if (!stored.effect || !m.display.skipMotion(stored.effect->time)) return false;
    stored.at(m, slotsOf(m), origin - 1).apply(m);
    ++counts.accounted;
    return true;
}

MotionInput MotionCache::Impl::presentationInput(const InputKey& k) {
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
    d.last.reset();
    const Int16 origin = m.G_iNowZug[1];
    const bool symbols = isSymbol(S) && isSymbol(origin) && isSymbol(m.G_iNowZug[2]) &&
                         isSymbol(m.G_iNowZug[3]) && &R == &m.G_iNowZug[1];
    if (symbols) {
        InputKey key;
        key.v = {kind,
                 fromOne(S, origin),
                 1,
                 fromOne(m.G_iNowZug[2], origin),
                 fromOne(m.G_iNowZug[3], origin),
                 m.G_iOshiDir,
                 m.G_bModori,
                 m.G_iStep[1],
                 m.G_iStep[2],
                 m.G_iStep[3],
                 m.G_bPass[1],
                 m.G_bPass[2],
                 m.G_bPass[3],
                 m.G_bMove[1],
                 m.G_bMove[2],
                 m.G_bMove[3],
                 0,
                 0,
                 0,
                 0};
        d.last = Impl::LastPresentation{play, key, origin};
        const Int16 stop = key.v[1];
        Stored& stored = d.storedFor(
            d.presentations, m, key, Impl::presentationInput(key), [](Machine&) {},
            [&](Machine& x) {
                Int16 s = stop;
                play(x, s, x.G_iNowZug[1]);
            });
        if (d.applyStored(m, stored, origin)) return;
    }
    ++d.counts.stepped;
    play(m, S, R);
}

void MotionCache::reLotterySteps(Machine& m) {
    Impl& d = *impl_;
    const bool symbols = d.last && isSymbol(m.G_iStopZug[1]) && isSymbol(m.G_iStopZug[2]) &&
                         isSymbol(m.G_iStopZug[3]);
    if (symbols) {
        // The steps start where the presentation left the reels: its input, and what the
        // re-lottery adds to it (the hit symbols, the overshoot), say everything they read.
        const Impl::LastPresentation last = *d.last;
        InputKey key = last.key;
        key.v[16] = fromOne(m.G_iStopZug[1], last.origin);
        key.v[17] = fromOne(m.G_iStopZug[2], last.origin);
        key.v[18] = fromOne(m.G_iStopZug[3], last.origin);
        key.v[19] = m.G_bSaiChusenUp;
        ReelArray16 hit{};
        for (Int16 r = 1; r <= 3; ++r)
            hit[r] = key.v[static_cast<std::size_t>(15 + r)];
        const Flag overshoot = m.G_bSaiChusenUp;
        Stored& stored = d.storedFor(
            d.re_lotteries, m, key, Impl::presentationInput(last.key),
            [&](Machine& x) {
                Int16 s = last.key.v[1];
                last.play(x, s, x.G_iNowZug[1]);
                spinStart(x);
                x.G_iStopZug = hit;
                x.G_bSaiChusenUp = overshoot;
            },
            [](Machine& x) { rl00::reLotterySteps(x); });
        if (d.applyStored(m, stored, last.origin)) return;
    }
    ++d.counts.stepped;
    rl00::reLotterySteps(m);
}

}  // namespace rl00
