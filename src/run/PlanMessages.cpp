#include "run/PlanMessages.h"

#include <array>
#include <cstddef>

#include "scan/Cp932.h"

namespace sifta {
namespace {

// In the order of PlanText.
constexpr std::array kTexts = {
    "** 元ファイルの指定がありません。",
    "** 抽出ファイルの指定がありません。",
    "** 抽出ﾌｧｲﾙの＠は元ﾌｧｲﾙに＠がないので指定できません。",
    "** 元ﾌｧｲﾙの1行目に閉じていない「\"」があります。ﾌｧｲﾙを確認してください。",
    "** RID項目の抽出が未指定です。",
    "** ｾﾙ項目の抽出が未指定です。",
    "** 特定数値の指定がありません。",
    "** RID項目,ｾﾙ項目の抽出がありません。",
    "** ﾚｺｰﾄﾞの抽出が未指定です。",

    "番号が１より小さいです。",
    "ｼﾌﾄJISにない文字があります。",

    "番号がRID項目数を越えています。",
    "RID項目番号が逆順です。",
    "RID項目指定がありません。",

    "ｾﾙの番号がｾﾙ項目数を越えています。",
    "「左番号＞右番号」です。",
    "「次の左番号」が無指定です。",
    "「ﾗｽﾄ左番号」が無指定です。",
    "「左(右)番号≧次の左番号」です。",
    "「次の左番号＞ﾗｽﾄ左番号」です。",
    "次の左番号とﾗｽﾄ左番号とが一致しなくなります。",
    "この抽出は全ｾﾙ数を越えます。",
    "セル項目指定がありません。",

    "ｶｳﾝﾄ指定が逆順です。",
    "ｶｳﾝﾄ指定が同じか逆順です。",
    "ｶｳﾝﾄ指定がありません。",
    "ｺｰﾄﾞのｷｰ番号が逆順です。",
    "ｷｰのｾﾙ番号がｾﾙ項目数を越えています。",
    "ｺｰﾄﾞのｷｰ番号指定がありません。",
    "ｺｰﾄﾞの桁数が一致しません。",
    "ｺｰﾄﾞが逆順です。",
    "ｺｰﾄﾞの桁数がｷｰの長さと一致しません。",
    "ｺｰﾄﾞが同じか逆順です。",
    "ｺｰﾄﾞ指定がありません。",
};
static_assert(kTexts.size() == static_cast<std::size_t>(PlanText::CodeNoRows) + 1,
              "one text for every PlanText");

}  // namespace

const std::string& PlanMessage(PlanText text) {
  static const auto converted = [] {
    std::array<std::string, kTexts.size()> out;
    for (std::size_t i = 0; i < kTexts.size(); ++i) out[i] = Sj(kTexts[i]);
    return out;
  }();
  return converted[static_cast<std::size_t>(text)];
}

std::string PlanRowMessage(PlanTab tab, int row, PlanText detail) {
  static const std::string rid = Sj("**RIDの抽出(");
  static const std::string cell = Sj("**ｾﾙの抽出(");
  static const std::string record = Sj("**ﾚｺｰﾄﾞの抽出(");
  static const std::string close = Sj(")：");
  std::string message = tab == PlanTab::Rid ? rid : tab == PlanTab::Cell ? cell : record;
  message += std::to_string(row);
  message += close;
  message += PlanMessage(detail);
  return message;
}

}  // namespace sifta
