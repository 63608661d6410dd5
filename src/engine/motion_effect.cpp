#include "engine/motion_effect.h"

#include <algorithm>
#include <stdexcept>

#include "machine/machine.h"

namespace rl00 {

namespace slot {

int reelOf(int s) {
    if (s >= kRows && s < kStep) return (s - kRows) / kSymbols + 1;
    if (s >= kStep && s < kOshiDir) return (s - kStep) % 3 + 1;
    if (s >= kPictures && s < kWindowBack) {
        const int picture = (s - kPictures) / kPictureFields;
        return picture < kReelPictures ? picture / kSymbols + 1 : 0;
    }
    return 0;
}

}  // namespace slot

namespace {

// Gives each kept item the next slot.
struct SlotNumbering {
    std::array<std::variant<Int32*, Int16*, bool*>, slot::kCount>& items;
    std::size_t next = 0;

    template <class T>
    void kept(T& item) {
        items.at(next++) = &item;
    }
    template <class... T>
    void keptApart(T&...) {}
    template <class... T>
    void untouched(T&...) {}
};

}  // namespace

SlotTable::SlotTable(Machine& m) : m_(&m) {
    SlotNumbering numbering{items_};
    describeItems(m, numbering);
    if (numbering.next != slot::kCount) throw std::logic_error("the machine's kept items moved");
}

Int32 SlotTable::read(int s) const {
    if (isI32(s)) return *i32(s);
    if (isI16(s)) return *i16(s);
    return *flag(s) ? 1 : 0;
}

void SlotTable::write(int s, Int32 value) const {
    if (isI32(s)) {
        *i32(s) = value;
    } else if (isI16(s)) {
        *i16(s) = static_cast<Int16>(value);
    } else {
        *flag(s) = value != 0;
    }
}

Int16 rotateSymbol(Int16 s, int shift) {
    int k = (s - 1 + shift) % kSymbols;
    if (k < 0) k += kSymbols;
    return static_cast<Int16>(k + 1);
}

namespace {

// The slot that holds, `shift` places on, what slot s holds.
int rotatedSlot(int s, int shift) {
    if (s >= slot::kRows && s < slot::kStep) {
        const int r = (s - slot::kRows) / kSymbols;
        const int i = (s - slot::kRows) % kSymbols + 1;
        return slot::kRows + r * kSymbols + rotateSymbol(static_cast<Int16>(i), shift) - 1;
    }
    if (s >= slot::kPictures && s < slot::kWindowBack) {
        const int picture = (s - slot::kPictures) / slot::kPictureFields;
        const int field = (s - slot::kPictures) % slot::kPictureFields;
        if (picture >= kReelPictures) return s;
        const int r = picture / kSymbols;
        const int i = picture % kSymbols + 1;
        const int moved = r * kSymbols + rotateSymbol(static_cast<Int16>(i), shift) - 1;
        return slot::kPictures + moved * slot::kPictureFields + field;
    }
    return s;
}

bool holdsSymbol(int s) {
    return s >= slot::kNow && s < slot::kOshiDir;
}

bool isReelImage(int s) {
    if (s < slot::kPictures || s >= slot::kWindowBack) return false;
    const int picture = (s - slot::kPictures) / slot::kPictureFields;
    return picture < kReelPictures && (s - slot::kPictures) % slot::kPictureFields == 4;
}

PictureId rotatedPicture(PictureId id, int shift) {
    if (id >= kReelPictures) return id;
    return reelPicture(id / kSymbols + 1,
                       rotateSymbol(static_cast<Int16>(id % kSymbols + 1), shift));
}

}  // namespace

MotionEffect MotionEffect::rotated(int shift) const {
    MotionEffect e;
    const auto move = [shift](const std::vector<Write>& from, std::vector<Write>& to) {
        for (const Write& w : from) {
            Int32 value = w.value;
            if (holdsSymbol(w.slot) && value >= 1 && value <= kSymbols)
                value = rotateSymbol(static_cast<Int16>(value), shift);
            to.push_back({static_cast<std::uint16_t>(rotatedSlot(w.slot, shift)), value});
        }
        std::sort(to.begin(), to.end(),
                  [](const Write& a, const Write& b) { return a.slot < b.slot; });
    };
    move(i32, e.i32);
    move(i16, e.i16);
    move(flags, e.flags);
    e.message = message;
    for (const Scene::ZMove& z : z_moves)
        e.z_moves.push_back({rotatedPicture(z.id, shift), z.to_front});
    e.time = time;
    return e;
}

bool MotionEffect::rotatable() const {
    const auto symbolic = [](const Write& w) {
        return isReelImage(w.slot) || (holdsSymbol(w.slot) && (w.value < 1 || w.value > kSymbols));
    };
    return std::none_of(i16.begin(), i16.end(), symbolic);
}

CompiledEffect MotionEffect::compile(const SlotTable& t) const {
    CompiledEffect c;
    for (const Write& w : i32) {
        Int32* dst = t.i32(w.slot);
        CompiledEffect::Run* last = c.runs.empty() ? nullptr : &c.runs.back();
        if (last != nullptr && last->dst + last->count == dst) {
            ++last->count;
        } else {
            c.runs.push_back({dst, static_cast<std::uint32_t>(c.values.size()), 1});
        }
        c.values.push_back(w.value);
    }
    for (const Write& w : i16)
        c.i16.emplace_back(t.i16(w.slot), static_cast<Int16>(w.value));
    for (const Write& w : flags)
        c.flags.emplace_back(t.flag(w.slot), w.value != 0);
    c.message = message;
    c.z_moves = z_moves;
    return c;
}

void CompiledEffect::apply(Machine& m) const {
    // Most runs are a picture's Left and Top: two stores do better than a call of memcpy.
    for (const Run& r : runs) {
        const Int32* src = values.data() + r.first;
        if (r.count == 2) {
            r.dst[0] = src[0];
            r.dst[1] = src[1];
        } else {
            std::copy_n(src, r.count, r.dst);
        }
    }
    for (const auto& [dst, value] : i16)
        *dst = value;
    for (const auto& [dst, value] : flags)
        *dst = value;
    if (message) m.scene.Lbl_Rich[1].caption = *message;
    for (const Scene::ZMove& z : z_moves) {
        if (z.to_front) {
            m.scene.bringToFront(z.id);
        } else {
            m.scene.sendToBack(z.id);
        }
    }
}

MotionEffect MotionEffect::ofReel(int r) const {
    MotionEffect part;
    const auto keep = [r](const std::vector<Write>& from, std::vector<Write>& to) {
        std::copy_if(from.begin(), from.end(), std::back_inserter(to),
                     [r](const Write& w) { return slot::reelOf(w.slot) == r; });
    };
    keep(i32, part.i32);
    keep(i16, part.i16);
    keep(flags, part.flags);
    if (r == 0) {
        part.message = message;
        part.z_moves = z_moves;
    }
    return part;
}

namespace {

// Thrown inside a scratch run that shows a message or ends the program. Not a RuntimeError and
// not a std::exception, so no error handler of the procedures catches it.
struct ScratchAbort {};

// The display of a scratch run: counts what the motion shows, shows nothing.
class ScratchDisplay final : public Display {
  public:
    void processEvents() override { ++time_.passes; }
    void endFrame() override {
        ++time_.frames;
        ++time_.passes;
        // A motion that reads junk may never reach its end.
        if (time_.frames > kMaxFrames) throw ScratchAbort{};
    }
    void sleepMs(Int32 ms) override { time_.pause_ms += ms > 0 ? ms : 0; }
    void repaint(Repaint) override {}
    void beep() override {}
    Int32 messageBox(const std::string&, const std::string&, Int32) override {
        throw ScratchAbort{};
    }
    LocalDateTime now() override { return {}; }

    const MotionTime& time() const { return time_; }
    void reset() { time_ = {}; }

  protected:
    void quit(int) override { throw ScratchAbort{}; }

  private:
    static constexpr std::uint64_t kMaxFrames = 1'000'000;
    MotionTime time_;
};

// Junk for slot s in copy 0 or 1: far from any place, image, counter or symbol the machine uses,
// and different in the two copies, so a motion that reads it cannot go on as it would have.
Int32 junk(int s, int copy, const SlotTable& t) {
    if (t.isI32(s)) return copy == 0 ? 1'000'003'001 + s : -1'000'005'003 - s;
    if (t.isI16(s)) return copy == 0 ? 30'011 - s : -30'013 + s;
    return copy;
}

std::string junkMessage(int copy) {
    return copy == 0 ? "\x01junk-a" : "\x01junk-b";
}

struct ScratchRun {
    std::array<Int32, slot::kCount> before{};
    std::array<Int32, slot::kCount> after{};
    std::string message_before;
    std::string message_after;
    std::vector<Scene::ZMove> z_moves;
    Display::MotionTime time;
};

std::optional<ScratchRun> runScratch(const Machine& real, const MotionInput& input, int copy,
                                     const std::function<void(Machine&)>& prepare,
                                     const std::function<void(Machine&)>& motion) {
    ScratchDisplay display;
    Machine s(display, 0);
    static_cast<GameState&>(s) = real;
    static_cast<ReelState&>(s) = real;
    s.scene = real.scene;
    s.scene.z_moves = nullptr;
    s.G_bEnd = kFalse;
    const SlotTable t(s);
    for (int i = 0; i < slot::kCount; ++i)
        t.write(i, junk(i, copy, t));
    for (const auto& [i, value] : input)
        t.write(i, value);
    s.scene.Lbl_Rich[1].caption = junkMessage(copy);

    ScratchRun run;
    try {
        prepare(s);
        for (int i = 0; i < slot::kCount; ++i)
            run.before[static_cast<std::size_t>(i)] = t.read(i);
        run.message_before = s.scene.Lbl_Rich[1].caption;
        display.reset();
        s.scene.z_moves = &run.z_moves;
        motion(s);
        s.scene.z_moves = nullptr;
    } catch (const ScratchAbort&) {
        return std::nullopt;
    }
    for (int i = 0; i < slot::kCount; ++i)
        run.after[static_cast<std::size_t>(i)] = t.read(i);
    run.message_after = s.scene.Lbl_Rich[1].caption;
    run.time = display.time();
    return run;
}

}  // namespace

std::optional<MotionEffect> recordMotion(const Machine& real, const MotionInput& input,
                                         const std::function<void(Machine&)>& prepare,
                                         const std::function<void(Machine&)>& motion) {
    const auto a = runScratch(real, input, 0, prepare, motion);
    const auto b = runScratch(real, input, 1, prepare, motion);
    if (!a || !b || a->time != b->time || a->z_moves != b->z_moves) return std::nullopt;

    // A slot that neither copy changed kept whatever it held; one that ends with the same
    // value in both was written with it, whatever it held before; one that ends differently
    // was computed from what it held, which is outside the input.
    MotionEffect e;
    e.time = a->time;
    e.z_moves = a->z_moves;
    ScratchDisplay kinds;  // only to learn the width of each slot
    Machine probe(kinds, 0);
    const SlotTable t(probe);
    for (int i = 0; i < slot::kCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (a->after[k] == a->before[k] && b->after[k] == b->before[k]) continue;
        if (a->after[k] != b->after[k]) return std::nullopt;
        const MotionEffect::Write w{static_cast<std::uint16_t>(i), a->after[k]};
        if (t.isI32(i)) {
            e.i32.push_back(w);
        } else if (t.isI16(i)) {
            e.i16.push_back(w);
        } else {
            e.flags.push_back(w);
        }
    }
    const bool message_a = a->message_after != a->message_before;
    const bool message_b = b->message_after != b->message_before;
    if (message_a || message_b) {
        if (a->message_after != b->message_after) return std::nullopt;
        e.message = a->message_after;
    }
    return e;
}

}  // namespace rl00
