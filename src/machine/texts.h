#pragma once
// Every text the machine itself shows: the message service's captions and messages, what the
// game cycle writes under the reels and into the mode label, and the reach presentations'
// messages. The window's design captions live with the window layout, the analysis launch's
// texts with the analysis.

namespace rl00::text {

// The message service.
inline constexpr const char* kSystemError = "システムエラーが発生しました";
inline constexpr const char* kMessageLost = "メッセージの取得に失敗しました。";
inline constexpr const char* kCaptionMessage = " メッセージ";
inline constexpr const char* kCaptionChoice = " 選択";
inline constexpr const char* kCaptionWarning = " 警告";
inline constexpr const char* kCaptionError = " エラー";
inline constexpr const char* kCaptionSystemError = " システムエラー";

// The game cycle and the stop-symbol selection.
inline constexpr const char* kHit = "あたり";
inline constexpr const char* kMiss = "はずれ";
inline constexpr const char* kJitanMode = "時短中!!";
inline constexpr const char* kKakuhenMode = "確変中!!";
inline constexpr const char* kStopFailed = "停止出目に失敗しました";
inline constexpr const char* kReLotteryFailed = "再抽選停止出目選定に失敗しました";

// The reach presentations.
inline constexpr const char* kNormal = "ノーマルリーチ!!";
inline constexpr const char* kNormalReturn = "ノーマル戻りリーチ!!";
inline constexpr const char* kRightGhost = "右お化けリーチ!!";
inline constexpr const char* kRightSuper = "右お化けスーパーリーチ!!";
inline constexpr const char* kRightReturnRun = "右スーパー戻りリーチ!!";
inline constexpr const char* kRightReturn = "右お化けスーパー戻りリーチ!!";
inline constexpr const char* kLeftGhost = "左お化けリーチ!!";
inline constexpr const char* kLeftSuper = "左お化けスーパーリーチ!!";
inline constexpr const char* kHand = "手リーチ!!";
inline constexpr const char* kFlash = "フラッシュリーチ!!";
inline constexpr const char* kFlashFrames = "フラッシュコマ送りリーチ!!";

}  // namespace rl00::text
