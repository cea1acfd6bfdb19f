// The texts that the windows themselves show in message boxes, each written
// once (UTF-8). What a run or a check of the engine says comes from the
// engine's tables (run/RunMessages, run/PlanMessages) and is shown as it is
// handed over.
#pragma once

namespace sifta::window_messages {

// The main window.
inline constexpr char kHeadingQuestion[] =
    "「標準の見出し」がありません。\r\n"
    "　「ユーザの見出し」ならば --> 「はい」\r\n"
    "　「見出し」がないなら　　　--> 「いいえ」\r\n"
    "を押してください。";
inline constexpr char kCountQuestion[] = "ﾚｺｰﾄﾞ数を確認しますか？";
inline constexpr char kNoExtractYet[] = "** 抽出は未だされていません。";
inline constexpr char kExtractNoData[] = "** この抽出ﾌｧｲﾙにﾃﾞｰﾀがありません。";
inline constexpr char kDropOneFile[] = "** ファイルは1つだけドロップしてください。";
inline constexpr char kDropNoFolder[] = "** フォルダはドロップできません。ファイルをドロップしてください。";
inline constexpr char kConditionsSaved[] = "**「条件を保存」が終わりました。";
inline constexpr char kConditionsOverwrite[] = "** 次のファイルはすでにあります。上書きしますか？";
inline constexpr char kConditionsNotSaved[] = "** 条件は保存しませんでした。";
inline constexpr char kConditionsRefused[] = "** この条件ファイルは開けません：";
inline constexpr char kConditionsNotOpened[] = "** 条件は開きませんでした。";
inline constexpr char kHeadingNotAnswered[] = "**「見出し」の問いが取り消されました。";

// The condition grids.
inline constexpr char kNotAllowed[] = "** 指定できません";
inline constexpr char kCellRefusedHead[] = "** このｾﾙは";
inline constexpr char kCellEmpty[] = "** このｾﾙは長さ0です。";

// The progress window.
inline constexpr char kCancelQuestion[] = "キャンセルしますか？";

// The @ dialog.
inline constexpr char kNotCp932[] = "** シフトJISにない文字は使えません。";

// The help window and the record count list.
inline constexpr char kCopyDone[] = "**「ｺﾋﾟｰ」が終わりました。";
inline constexpr char kNoPrinter[] = "** プリンターが用意されていません。";
inline constexpr char kPrintNotStarted[] = "** 印刷を始められません。\n";
inline constexpr char kPrinterFailed[] = "** 印刷の途中でプリンターがエラーになりました。\n";
inline constexpr char kPrintDone[] = "**「印刷」が終わりました。";
inline constexpr char kSaveDone[] = "**「保存」が終わりました。";

}  // namespace sifta::window_messages
