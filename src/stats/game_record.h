#pragma once
// What the headless runner keeps of each completed game: the trace line and the statistics.

#include <array>
#include <cstdint>
#include <string>

#include "platform/vb_types.h"

namespace rl00 {

struct Machine;

struct GameRecord {
    std::uint64_t game = 0;
    Int16 lottery = 0;
    Int16 zugcnt = 0;
    Int16 mode = 0;  // G_iSyriMode before the game
    bool hit = false;
    Int16 reach = 0;
    Int16 oshidir = 0;  // as the outcome selection set it
    Int16 kind = 0;
    std::string code;
    std::string preview;
    bool yokoku1 = false;
    bool yokoku2 = false;
    bool kakuhen = false;
    bool relottery = false;
    bool overshoot = false;
    std::array<Int16, 3> first{};  // the symbols the reels stop on first
    std::array<Int16, 3> stop{};   // the decided stop symbols
    Int16 chain = 0;
    bool jitan = false;
    std::string mode_label;
    std::uint64_t frames = 0;
    double virtual_ms = 0.0;
    Int16 mode_after = 0;  // G_iSyriMode after the game: the mode of the next one (not traced)
};

// One JSON object on one line, keys in a fixed order. A run of several machines names the
// machine first; a run of one writes no machine, as the runner always has.
std::string toJsonLine(const GameRecord& r);
std::string toJsonLine(const GameRecord& r, std::uint64_t machine);

}  // namespace rl00
