#pragma once
// The reach presentations: the opening and the ten scripted reaches that drive the centre reel
// past the reach symbol to its stop symbol. The procedure names (RICH_NM, RICH_ROS, ...) and the
// controls they touch (Lbl_Rich, Img_Obake, ...) are the machine's own vocabulary.
//
// Every presentation takes the stop symbol S (copied on entry) and the reach symbol R, which
// is a reference to G_iNowZug[1] and is read again at every comparison. It expects the left and
// right reels stopped on R and the centre reel marked moving, and returns with the centre reel
// aligned on S (the hand reach: on R). A runtime error shows "システムエラーが発生しました"
// and ends the program.

#include "machine/machine.h"
#include "platform/vb_types.h"

namespace rl00 {

// The reach opening: the centre reel jumps to R - 7 and runs 7 symbols onto R.
void RICH_OPEN(Machine& m, Int16& R);

void RICH_NM(Machine& m, Int16& S, Int16& R);   // normal reach
void RICH_NMR(Machine& m, Int16& S, Int16& R);  // normal return reach
void RICH_RO(Machine& m, Int16& S, Int16& R);   // right ghost reach
void RICH_ROS(Machine& m, Int16& S, Int16& R);  // right ghost super reach
void RICH_ROM(Machine& m, Int16& S, Int16& R);  // right ghost super return reach
void RICH_LO(Machine& m, Int16& S, Int16& R);   // left ghost reach
void RICH_LOS(Machine& m, Int16& S, Int16& R);  // left ghost super reach
void RICH_HND(Machine& m, Int16& S, Int16& R);  // hand reach
void RICH_FRS(Machine& m, Int16& S, Int16& R);  // flash reach
void RICH_FRK(Machine& m, Int16& S, Int16& R);  // flash frame-advance reach

// Gives the sprites Img_Obake, Img_HandL and Img_HandR their layout places and size (495 x 495,
// stretching) and hides them. Run by the window's load.
void prepareSprites(Machine& m);

// Width and height of every sprite.
inline constexpr Int32 kSpriteSize = 495;
// Where the sprites stand at design time (Left; every Top is 0).
inline constexpr Int32 kObakeDesignLeft = 840;
inline constexpr Int32 kHandLDesignLeft = 240;
inline constexpr Int32 kHandRDesignLeft = 720;

}  // namespace rl00
