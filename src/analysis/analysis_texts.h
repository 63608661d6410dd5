#pragma once
// The texts and names of the analysis launch, in one place. The names of the automation
// members and of the workbook's sheet, cell and macro are the contract with the workbook.

namespace rl00::analysis_text {

inline constexpr const char* kServerClass = "Excel.application";
inline constexpr const char* kDataSheet = "データ";
inline constexpr const char* kDirectoryCell = "E3";
inline constexpr const char* kMacro = "VB_OpenMain";

// frmMACHIMSG
inline constexpr const char* kWaitCaption = "しばらくおまちください";
inline constexpr const char* kDesignCaption = "現在 Excel 実行準備中です";
inline constexpr const char* kStarting = "アプリケーションの起動をしています";
inline constexpr const char* kRunningMacro = "現在 ATARI.XLS のマクロ実行をしています";

// What the user is told when a launch fails; the machine goes on playing.
inline constexpr const char* kNoWorkbookSetting =
    "分析用ブックの場所が RL00.INI に設定されていません。\n"
    "[EXCELパス] と [EXCEL01] を設定してから、もう一度「分析」を押してください。";
inline constexpr const char* kNoLogSetting =
    "ログの書き込み先が RL00.INI に設定されていません。\n"
    "[ログ書き込み先パス] を設定してから、もう一度「分析」を押してください。";
inline constexpr const char* kNoServer =
    "表計算ソフトを起動できませんでした。\n"
    "LibreOffice Calc がインストールされているか確かめてください。";
inline constexpr const char* kNoWorkbook =
    "分析用ブックが見つかりません。\n"
    "RL00.INI の [EXCELパス] と [EXCEL01] を確かめてください。";
inline constexpr const char* kWorkbookFailed = "分析用ブックを開けませんでした。";
inline constexpr const char* kWorkbookLocked =
    "分析用ブックがほかのプログラムで開かれています。\n"
    "そのプログラムでブックを閉じてから、もう一度「分析」を押してください。";
inline constexpr const char* kNoSheet = "分析用ブックにシート「データ」がありません。";
inline constexpr const char* kNoMacro = "分析用ブックにマクロ「VB_OpenMain」がありません。";
inline constexpr const char* kMacroFailed = "マクロ「VB_OpenMain」の実行中にエラーが発生しました。";
// Told as information: an empty log folder is a normal state, not a failure.
inline constexpr const char* kNothingToAnalyse = "分析するログがありません。";
inline constexpr const char* kServerGone =
    "表計算ソフトとの接続が途中で切れました。\nもう一度「分析」を押してください。";
inline constexpr const char* kOtherFailure = "分析の起動中にエラーが発生しました。";

}  // namespace rl00::analysis_text
