#include "ui/HintTexts.h"

namespace sifta {

QString RidGridHint() {
  return QStringLiteral(
      " RID項目の番号を指定する。* は最後のRID番号を表す。\n\r"
      "===============================================\n\r"
      "　始め番号｜終り番号\n\r"
      "　------------------\n\r"
      "(1)    3                 ←3を抽出\n\r"
      "(2)   10            *   ←10～最後のRID項目を抽出 \n\r"
      "(3)    5            7   ←5～7を抽出\n\r"
      "   上の3行分で3,10～最後のRID項目,5～7をこの順で抽出 ");
}

QString CellGridHint() {
  return QStringLiteral(
      " ｾﾙ番号を指定する。\n\r"
      " 「繰り返し」は「始め番号」から間隔（次の始め番号-始め番号）\n\r"
      " を加え、「ﾗｽﾄ始め番号」になるまでのループになる。\n\r"
      "====================================================\n\r"
      "　始め　　終り　 次の始　　ﾗｽﾄ始\n\r"
      "　番号｜番号｜め番号｜め番号\n\r"
      "　--------------------------\n\r"
      "(1)  3                                 ←3を抽出\n\r"
      "(2)  5       7                        ←5～7を抽出\n\r"
      "(3) 15               17        19   ←15,17,19を抽出\n\r"
      "(4) 10               15        15   ←10,15を抽出\n\r"
      "(5) 21     25       31        41   ←21～25,31～35,41～45を抽出 \n\r"
      "    上の5行で3,5～7,15,17,19,10,15,21～25,31～35,41～45を抽出");
}

QString SpecialGridHint() {
  return QStringLiteral(
      " 特定文字を指定する。\n\r"
      " 文字の中に半角ﾌﾞﾗﾝｸがあるときは \" で囲む（\"A B\"）。\n\r"
      "=============================================\n\r"
      " 　特定文字\n\r"
      "　----------\n\r"
      "(1)  101      ←101をｾﾞﾛ\n\r"
      "(2)  200.5    ←200.5をｾﾞﾛ\n\r"
      "(3) \"3 1\"     ←3 1をｾﾞﾛ \n\r"
      "(4)  X         ←Xをｾﾞﾛ ");
}

QString KeyGridCountHint() {
  return QStringLiteral(
      " ﾚｺｰﾄﾞｶｳﾝﾄ数を指定する。* は最後のﾚｺｰﾄﾞを表す\n\r"
      "===============================================\n\r"
      "　始めｶｳﾝﾄ｜終りｶｳﾝﾄ\n\r"
      "　------------------\n\r"
      "(1)    3                 ←3番目を抽出\n\r"
      "(2)   15           20   ←15～20番目を抽出\n\r"
      "(3)   30            *   ←30番目～最後までを抽出\n\r"
      "       上の3行分で3,15～20,30～最後までのﾚｺｰﾄﾞを抽出　");
}

QString KeyGridCodeHint() {
  return QStringLiteral(
      " RID項目の番号を指定する。\n\r"
      " * は最後のRID番号を表す。\n\r"
      "===============================\n\r"
      "　始め番号｜終り番号\n\r"
      "　------------------\n\r"
      "(1)    3                 ←3をｷｰ\n\r"
      "(2)    5            7   ←5～7をｷｰ\n\r"
      "          上の2行分で4個のｷｰを指定");
}

QString ValueGridCodeHint() {
  return QStringLiteral(
      " ｷｰにしたRID項目をひとまとめにしてｺｰﾄﾞを指定する。\n\r"
      " ｺｰﾄﾞの中に半角ﾌﾞﾗﾝｸがあるときは \" で囲む（\"A B\"）。\n\r"
      "=============================================\n\r"
      "　始めｺｰﾄﾞ｜終りｺｰﾄﾞ\n\r"
      "　------------------\n\r"
      "(1)  101                  ←101を抽出\n\r"
      "(2)  200          209    ←200～209を抽出\n\r"
      "(3) \"3 1\"       \"35  \"  ←\"3 1\"～\"35  \"を抽出 \n\r"
      "                     上の3行分のｺｰﾄﾞが抽出される");
}

QString KeyGridValueHint() {
  return QStringLiteral(
      " Bodyのセル番号を指定する。\n\r"
      "========================\n\r"
      "　 　番号\n\r"
      "　 ------\n\r"
      "(1)    3  ←3をｷｰにする\n\r"
      "   1個しか指定できない");
}

QString ValueGridValueHint() {
  return QStringLiteral(
      " ｷｰにしたｾﾙ項目の値を指定する。\n\r"
      " 範囲指定の始めｾﾙ値と終りｾﾙ値は同じ桁数にする。\n\r"
      "===========================================\n\r"
      "　始めｾﾙ値｜終りｾﾙ値\n\r"
      "　------------------\n\r"
      "(1)  9100                ←9100を抽出\n\r"
      "(2)  200           300  ←200～300を抽出\n\r"
      "      上の2行で9100,200～300の値をもつﾚｺｰﾄﾞを抽出 ");
}

QString CheckBox1Hint() { return QStringLiteral("\" で囲まれたｾﾙをｾﾞﾛにする"); }
QString CheckBox2Hint() { return QStringLiteral("下に指定した特定文字をｾﾞﾛにする"); }
QString RadioButton8Hint() { return QStringLiteral("ｺﾝﾋﾟｭｰﾀにまかせる"); }
QString RadioButton9Hint() { return QStringLiteral("同じｺｰﾄﾞが離れたﾚｺｰﾄﾞにない"); }
QString RadioButton10Hint() { return QStringLiteral("同じｺｰﾄﾞが離れたﾚｺｰﾄﾞにある"); }

QString HintForDisplay(const QString& hint) {
  // A tooltip would show LF CR as two breaks; as rich text with preserved
  // blanks each line keeps its columns.
  QString lines = hint;
  lines.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
  lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return QStringLiteral("<p style=\"white-space:pre; font-family:'ＭＳ ゴシック'; font-size:12px;\">") +
         lines.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")) + QStringLiteral("</p>");
}

}  // namespace sifta
