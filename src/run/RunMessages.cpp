#include "run/RunMessages.h"

#include "run/FileOutput.h"
#include "scan/Cp932.h"
#include "scan/NumberText.h"

namespace sifta {

const std::string& FinishedMessage() {
  static const std::string text = Sj("** 終わりました。「終わり」ﾎﾞﾀﾝを押してください。");
  return text;
}

const std::string& ExtractIsSourceMessage() {
  static const std::string text = Sj("** 抽出ﾌｧｲﾙが元ﾌｧｲﾙと同じです。");
  return text;
}

namespace {

const std::string& IncompleteLabel() {
  static const std::string label = Sj("** 次の抽出ﾌｧｲﾙは不完全です：");
  return label;
}

}  // namespace

std::string IncompleteExtractMessage(std::string_view errorText, std::string_view extractName) {
  const std::string& label = IncompleteLabel();
  std::string text(errorText);
  text += "\r\n";
  text += label;
  text += "\r\n";
  text += extractName;
  return text;
}

std::string ExtractNotReplacedMessage(std::string_view errorText, std::string_view extractName,
                                      const std::optional<std::string>& keptName) {
  static const std::string notReplaced = Sj("** 次の抽出ﾌｧｲﾙを置き換えられませんでした：");
  static const std::string kept = Sj("** 抽出したﾚｺｰﾄﾞは次のﾌｧｲﾙにあります：");
  static const std::string lost = Sj("** 抽出したﾚｺｰﾄﾞは残せませんでした。");
  std::string text(errorText);
  text += "\r\n" + notReplaced + "\r\n";
  text += extractName;
  if (keptName)
    text += "\r\n" + kept + "\r\n" + *keptName;
  else
    text += "\r\n" + lost;
  return text;
}

const std::string& KeptRecordsCutShortNote() {
  static const std::string text = Sj("** そのﾌｧｲﾙのﾚｺｰﾄﾞは途中までです。");
  return text;
}

std::string SourceChangedMessage(std::string_view sourceName) {
  static const std::string label =
      Sj("** 次の元ﾌｧｲﾙは読んでいる間に変わりました（大きさか更新日時が読み始めと違います）：");
  static const std::string advice =
      Sj("   元ﾌｧｲﾙを書き換えるほかの処理が終わってから、もう一度実行してください。");
  std::string text = label + "\r\n";
  text += sourceName;
  text += "\r\n" + advice;
  return text;
}

std::string LayoutDiffersMessage(std::string_view sourceName, bool rid, int found, int chosen) {
  const std::string what = rid ? Sj("RID項目数") : Sj("項目数");
  std::string text = Sj("** 次の元ﾌｧｲﾙは") + what + Sj("が「元ﾌｧｲﾙの選択」で選んだﾌｧｲﾙと違います：") + "\r\n";
  text += sourceName;
  text += "\r\n" + Sj("   このﾌｧｲﾙの") + what + Sj("：") + std::to_string(found);
  text += "\r\n" + Sj("   選んだﾌｧｲﾙの") + what + Sj("：") + std::to_string(chosen);
  text += "\r\n" + Sj("   同じ形式のﾌｧｲﾙを指定してください。");
  return text;
}

IoError OutOfMemoryError() {
  return IoError{Sj("メモリが足りません。ほかのプログラムを閉じてから、もう一度実行してください。")};
}

IoError UnconvertibleLineError(std::string_view sourceName, std::int64_t record, std::string_view bytes) {
  static const std::string label = Sj("** 次の元ﾌｧｲﾙの");
  static const std::string heading = Sj("見出し");
  static const std::string said = Sj("に UTF-8 にできない文字があります（");
  static const std::string advice =
      Sj("   抽出ﾌｧｲﾙの文字ｺｰﾄﾞを「元のまま」にするか、その文字を直してから、もう一度実行してください。");
  std::string text = label + (record == 0 ? heading : Sj("ﾚｺｰﾄﾞ") + std::to_string(record));
  text += said;
  static const char kHex[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (i > 0) text += ' ';
    text += "0x";
    text += kHex[byte >> 4];
    text += kHex[byte & 15];
  }
  text += Sj("）：") + "\r\n";
  text += sourceName;
  text += "\r\n" + advice;
  return IoError{text};
}

const std::string& SourceColumnSeriesHeading() {
  static const std::string text = Sj("＠相当文字");
  return text;
}

const std::string& SourceColumnFileHeading() {
  static const std::string text = Sj("元ファイル名");
  return text;
}

std::string ExcelLimitNotice(std::string_view extractName, std::int64_t lines, int mostItems) {
  std::string text = Sj("** Excelで開けるのは1,048,576行・16,384列までです。次の抽出ﾌｧｲﾙは");
  if (lines > kExcelRows) text += FormatCount(lines) + Sj("行");
  if (lines > kExcelRows && mostItems > kExcelColumns) text += Sj("・");
  if (mostItems > kExcelColumns) text += FormatCount(mostItems) + Sj("列");
  text += Sj("あります：");
  text += extractName;
  return text;
}

std::string CancelledRunMessage(std::string_view extractName) {
  static const std::string cancelled = Sj("** キャンセルしました。");
  return IncompleteExtractMessage(cancelled, extractName);
}

const std::string& ListNotWrittenMessage() {
  static const std::string text = Sj("** ﾚｺｰﾄﾞ数一覧を標準出力に書き出せませんでした。");
  return text;
}

std::string ExtractBeingWrittenMessage(std::string_view extractName) {
  static const std::string label = Sj("** 次の抽出ﾌｧｲﾙは他の実行が書き込み中です：");
  std::string text = label;
  text += "\r\n";
  text += extractName;
  return text;
}

std::string EndMarkNoticeMessage(const std::vector<std::string>& sourceNames) {
  static const std::string label =
      Sj("** 次の元ﾌｧｲﾙは途中にある文字ｺｰﾄﾞ1A（EOF）で終わりとみなし、その後ろは読んでいません：");
  std::string text = label;
  for (const std::string& name : sourceNames) {
    text += "\r\n";
    text += name;
  }
  return text;
}

const std::string& FirstPromptPrefix() {
  static const std::string text = Sj("最初の");
  return text;
}

const std::string& NextPromptPrefix() {
  static const std::string text = Sj("つぎの");
  return text;
}

const std::string& SeriesRuleLine() {
  static const std::string text = " " + std::string(27, '-');
  return text;
}

const std::string& SubstitutionLineLabel() {
  static const std::string text = Sj("＠相当文字：");
  return text;
}

const std::string& SourceNameLineLabel() {
  static const std::string text = Sj("元ファイル名　：");
  return text;
}

const std::string& ExtractNameLineLabel() {
  static const std::string text = Sj("抽出ファイル名：");
  return text;
}

const std::string& SourceCountLineLabel() {
  static const std::string text = Sj(" 元ﾌｧｲﾙﾚｺｰﾄﾞ数　：");
  return text;
}

const std::string& ExtractCountLineLabel() {
  static const std::string text = Sj(" 抽出ﾌｧｲﾙﾚｺｰﾄﾞ数：");
  return text;
}

const std::string& LeftTextMissingMessage() {
  static const std::string text = Sj("** 左側文字の指定がありません。");
  return text;
}

const std::string& RightTextNotDigitsMessage() {
  static const std::string text = Sj("** 右側文字が非数字です。");
  return text;
}

const std::string& TextLengthsDifferMessage() {
  static const std::string text = Sj("** 左右の文字長さが異なります。");
  return text;
}

const std::string& TextsReversedMessage() {
  static const std::string text = Sj("** 左右の文字が逆順です。");
  return text;
}

const std::string& EntryTooLongMessage() {
  static const std::string text = Sj("** 入力文字は８桁以内です。");
  return text;
}

const std::string& EntryNotFileNameMessage() {
  static const std::string text = Sj("** 入力文字はﾌｧｲﾙ名に使えません。");
  return text;
}

const std::string& HeadingQuestionCancelledMessage() {
  static const std::string text = Sj("**「元ﾌｧｲﾙの選択」からやり直しでください。");
  return text;
}

const std::string& SourceHasNoDataMessage() {
  static const std::string text = Sj("** 元ﾌｧｲﾙにﾃﾞｰﾀがありません。");
  return text;
}

const std::string& PlaceholderInChosenFileMessage() {
  static const std::string text =
      Sj("** この段階では＠を指定できません。\r    最初に処理するﾌｧｲﾙを指定してください。");
  return text;
}

std::optional<LayoutRefusal> LayoutRefusalOf(const LayoutResult& result) {
  if (std::holds_alternative<LayoutCancelled>(result))
    return LayoutRefusal{HeadingQuestionCancelledMessage()};
  if (std::holds_alternative<LayoutNoData>(result)) return LayoutRefusal{SourceHasNoDataMessage()};
  if (const auto* error = std::get_if<IoError>(&result)) return LayoutRefusal{error->message, true};
  return std::nullopt;
}

}  // namespace sifta
