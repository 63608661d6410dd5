#pragma once
// The game cycle: one game from the lottery value to the re-armed timer.

#include "platform/vb_types.h"

namespace rl00 {

struct Machine;

// The games of the time-shortening period that a normal hit ending kakuhen starts.
inline constexpr Int32 kJitanGames = 100;

// Plays one game. Run by the Tim_Start tick and the Com_Start click (through onStartRequest).
void GAME_START(Machine& m);

// Hides Img_Obake, Img_HandL and Img_HandR.
void hideSprites(Machine& m);

// The re-lottery of a hit: the reels step from the provisional symbol to the decided one.
void playReLottery(Machine& m);

// The re-lottery after its draw (G_bSaiChusenUp): the steps and pauses of the reels.
void reLotterySteps(Machine& m);

}  // namespace rl00
