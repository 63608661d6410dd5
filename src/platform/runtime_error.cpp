#include "platform/runtime_error.h"

#include <utility>

namespace rl00 {

// The wording of the old runtime on a Japanese desktop, where the rest of the program speaks
// Japanese too. The automation numbers (424 ... 1004) are raised by the analysis layer, which
// keeps their names; the runtime answers for their texts like for any other number.
std::string errorDescription(Int32 number) {
    switch (number) {
        case err::kInvalidCall:
            return "プロシージャの呼び出し、または引数が不正です。";
        case err::kOverflow:
            return "オーバーフローしました。";
        case err::kSubscriptOutOfRange:
            return "インデックスが有効範囲にありません。";
        case err::kTypeMismatch:
            return "型が一致しません。";
        case err::kBadFileName:
            return "ファイル名または番号が不正です。";
        case err::kFileNotFound:
            return "ファイルが見つかりません。";
        case err::kPathFileAccess:
            return "パス名が無効です。";
        case err::kPathNotFound:
            return "パスが見つかりません。";
        case err::kControlArrayElement:
            return "コントロール配列の要素が存在しません。";
        case err::kInvalidPropertyValue:
            return "プロパティの値が不正です。";
        case 424:
            return "オブジェクトが必要です。";
        case err::kCannotCreateObject:
            return "ActiveX コンポーネントはオブジェクトを作成できません。";
        case 432:
            return "オートメーションの操作中にファイル名またはクラス名を見つけられませんでした。";
        case 438:
            return "オブジェクトは、このプロパティまたはメソッドをサポートしていません。";
        case 462:
            return "リモート サーバー マシンが存在しないか、または使用できません。";
        case 1004:
            return "アプリケーション定義またはオブジェクト定義のエラーです。";
        default:
            return "";
    }
}

RuntimeError::RuntimeError(Int32 number)
    : number_(number), description_(errorDescription(number)) {}

RuntimeError::RuntimeError(Int32 number, std::string description)
    : number_(number), description_(std::move(description)) {}

void raiseError(Int32 number) {
    throw RuntimeError(number);
}

}  // namespace rl00
