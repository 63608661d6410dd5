#pragma once
// What a motion does to a machine, as the motion cache stores it: every item a motion can
// touch is a numbered slot (the reel tables, every picture's place, size, image and visibility,
// the reel counters and symbols, the flags the presentations keep, the reel window's colour),
// plus the message label and the drawing order; each part of the machine names them beside its
// struct (describeItems). A scratch run records the slots a motion
// wrote; applying the record to another machine writes the same values.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "machine/scene.h"
#include "machine/symbols.h"
#include "platform/display.h"
#include "platform/vb_types.h"

namespace rl00 {

struct Machine;

// The slots, in the order machine.h's describeItems names the kept items.
namespace slot {
inline constexpr int kRows = 0;                     // G_lZugTop[1..3][1..14]
inline constexpr int kStep = kRows + 3 * kSymbols;  // G_iStep[1..3]
inline constexpr int kPass = kStep + 3;             // G_bPass[1..3]
inline constexpr int kMove = kPass + 3;             // G_bMove[1..3]
inline constexpr int kNow = kMove + 3;              // G_iNowZug[1..3]
inline constexpr int kStart = kNow + 3;             // G_iStartZug[1..3]
inline constexpr int kStop = kStart + 3;            // G_iStopZug[1..3]
inline constexpr int kOshiDir = kStop + 3;          // G_iOshiDir
inline constexpr int kModori = kOshiDir + 1;        // G_bModori
inline constexpr int kSaiChusenUp = kModori + 1;    // G_bSaiChusenUp
inline constexpr int kPictures = kSaiChusenUp + 1;  // 7 fields per picture:
inline constexpr int kPictureFields = 7;            // left top width height image
inline constexpr int kWindowBack = kPictures + kPictureCount * kPictureFields;  // visible stretch
inline constexpr int kCount = kWindowBack + 1;

// The reel (1..3) a slot belongs to, or 0 for the slots of no reel.
int reelOf(int s);
}  // namespace slot

// Where the slots of one machine lie, typed as the items are, found by describeItems.
class SlotTable {
  public:
    explicit SlotTable(Machine& m);

    Int32 read(int s) const;
    void write(int s, Int32 value) const;
    bool isI32(int s) const { return std::holds_alternative<Int32*>(at(s)); }
    bool isI16(int s) const { return std::holds_alternative<Int16*>(at(s)); }
    Int32* i32(int s) const { return std::get<Int32*>(at(s)); }
    Int16* i16(int s) const { return std::get<Int16*>(at(s)); }
    bool* flag(int s) const { return std::get<bool*>(at(s)); }
    Machine& machine() const { return *m_; }

  private:
    using Item = std::variant<Int32*, Int16*, bool*>;
    const Item& at(int s) const { return items_[static_cast<std::size_t>(s)]; }

    Machine* m_;
    std::array<Item, slot::kCount> items_{};
};

// Symbol s (1..14) moved `shift` places on along the strip.
Int16 rotateSymbol(Int16 s, int shift);

// A motion's writes resolved against one machine: runs of adjacent 32-bit items are copied in
// one go, so that applying the spin of a reel is a handful of copies.
class CompiledEffect {
  public:
    void apply(Machine& m) const;

  private:
    friend struct MotionEffect;
    struct Run {
        Int32* dst;
        std::uint32_t first;  // index into values
        std::uint32_t count;
    };
    std::vector<Int32> values;
    std::vector<Run> runs;
    std::vector<std::pair<Int16*, Int16>> i16;
    std::vector<std::pair<bool*, bool>> flags;
    std::optional<std::string> message;
    std::vector<Scene::ZMove> z_moves;
};

// The writes of one motion, grouped by the width of their items.
struct MotionEffect {
    struct Write {
        std::uint16_t slot;
        Int32 value;
        bool operator==(const Write&) const = default;
    };
    std::vector<Write> i32, i16, flags;
    std::optional<std::string> message;  // Lbl_Rich(1)'s caption, when written
    std::vector<Scene::ZMove> z_moves;
    Display::MotionTime time;

    // The part of the writes that belongs to reel r (1..3), or to no reel (0).
    MotionEffect ofReel(int r) const;
    // The same motion played `shift` places further on along every strip: the reel rows and
    // pictures of each symbol, and the symbols written, move by `shift`. The reels and the
    // reach runs treat every symbol alike, so this is what the motion does from there.
    MotionEffect rotated(int shift) const;
    // True when the effect writes nothing that rotation could not follow (the image of a reel
    // picture is its symbol's own and no motion changes it).
    bool rotatable() const;
    CompiledEffect compile(const SlotTable& t) const;
    bool empty() const { return i32.empty() && i16.empty() && flags.empty() && !message; }
    bool operator==(const MotionEffect&) const = default;
};

// The input of a motion: the values of the slots it may read.
using MotionInput = std::vector<std::pair<int, Int32>>;

// Plays a motion on two scratch copies of `real` in which the slots of `input` hold the given
// values and every other slot and the message label hold junk that differs between the copies.
// `prepare` runs first and unobserved (it brings a scratch machine to where the motion starts);
// `motion` is the motion itself. Returns what the motion wrote, or nothing when the copies
// disagree (the motion read something outside its input) or one failed (a message, the end of
// the program).
std::optional<MotionEffect> recordMotion(const Machine& real, const MotionInput& input,
                                         const std::function<void(Machine&)>& prepare,
                                         const std::function<void(Machine&)>& motion);

}  // namespace rl00
