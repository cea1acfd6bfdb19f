// The texts with which the plan refuses conditions: the messages shown as they
// stand and the row details shown after a tab's prefix and the row number.
// All texts are code page 932.
#pragma once

#include <string>

namespace sifta {

enum class PlanText {
  // Shown as they stand.
  SourceNameMissing,   // "** 元ファイルの指定がありません。"
  ExtractNameMissing,  // "** 抽出ファイルの指定がありません。"
  ExtractSeriesWithoutSource,  // "** 抽出ﾌｧｲﾙの＠は元ﾌｧｲﾙに＠がないので指定できません。"
  LayoutUnclosedQuote,    // line 1 of the source holds a quote that never closes
  RidChoiceMissing,       // "** RID項目の抽出が未指定です。"
  CellChoiceMissing,      // "** ｾﾙ項目の抽出が未指定です。"
  SpecialStringsMissing,  // "** 特定数値の指定がありません。"
  NothingToExtract,       // "** RID項目,ｾﾙ項目の抽出がありません。"
  RecordModeMissing,      // "** ﾚｺｰﾄﾞの抽出が未指定です。"

  // Row details, any tab.
  NumberBelowOne,  // "番号が１より小さいです。"
  NoCp932Form,     // "ｼﾌﾄJISにない文字があります。"

  // Row details, RID tab.
  RidNumberTooLarge,  // "番号がRID項目数を越えています。"
  RidReversed,        // "RID項目番号が逆順です。"
  RidNoRows,          // "RID項目指定がありません。"

  // Row details, cell tab.
  CellNumberTooLarge,        // "ｾﾙの番号がｾﾙ項目数を越えています。"
  CellReversed,              // "「左番号＞右番号」です。"
  NextFirstMissing,          // "「次の左番号」が無指定です。"
  LastFirstMissing,          // "「ﾗｽﾄ左番号」が無指定です。"
  NextFirstNotBeyond,        // "「左(右)番号≧次の左番号」です。"
  LastFirstBeforeNextFirst,  // "「次の左番号＞ﾗｽﾄ左番号」です。"
  StepsMissLastFirst,        // "次の左番号とﾗｽﾄ左番号とが一致しなくなります。"
  BeyondLastCell,            // "この抽出は全ｾﾙ数を越えます。"
  CellNoRows,                // "セル項目指定がありません。"

  // Row details, record tab.
  CountReversed,           // "ｶｳﾝﾄ指定が逆順です。"
  CountNotAscending,       // "ｶｳﾝﾄ指定が同じか逆順です。"
  CountNoRows,             // "ｶｳﾝﾄ指定がありません。"
  KeyReversed,             // "ｺｰﾄﾞのｷｰ番号が逆順です。"
  KeyCellTooLarge,         // a key cell number beyond every possible item
  KeyNoRows,               // "ｺｰﾄﾞのｷｰ番号指定がありません。"
  CodeLengthsDiffer,       // "ｺｰﾄﾞの桁数が一致しません。"
  CodeReversed,            // "ｺｰﾄﾞが逆順です。"
  CodeLengthNotKeyLength,  // "ｺｰﾄﾞの桁数がｷｰの長さと一致しません。"
  CodeNotAscending,        // "ｺｰﾄﾞが同じか逆順です。"
  CodeNoRows,              // "ｺｰﾄﾞ指定がありません。"
};

// The condition tab a row message names.
enum class PlanTab { Rid, Cell, Record };

// The text, built once.
const std::string& PlanMessage(PlanText text);

// prefix + row + ")：" + detail, the prefix being "**RIDの抽出(", "**ｾﾙの抽出("
// or "**ﾚｺｰﾄﾞの抽出("; row 0 when the grid holds no entry at all.
std::string PlanRowMessage(PlanTab tab, int row, PlanText detail);

}  // namespace sifta
