// The condition tabs as the user meets them: start state, the choice handlers
// with the record tab's states, the Enter steps through the real grids, the
// hints, and reading the tabs into the conditions.
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>
#include <memory>

#include "FakeDialogs.h"
#include "TestRegistry.h"
#include "scan/Cp932.h"
#include "ui/ConditionTabs.h"
#include "ui/HintTexts.h"
#include "ui/QtText.h"
#include "ui/StringGrid.h"

using sifta::RecordMode;
using sifta::StringGrid;
using sifta::SystemColour;
using sifta::test::FakeDialogs;

namespace {

bool IsActive(const StringGrid* grid) {
  return grid->isEnabled() && grid->TextColour() == SystemColour::WindowText &&
         grid->BackgroundColour() == SystemColour::Window;
}

bool IsInactive(const StringGrid* grid) {
  return !grid->isEnabled() && grid->TextColour() == SystemColour::GrayText &&
         grid->BackgroundColour() == SystemColour::InactiveBorder;
}

// The focus as the window holds it, also while the window is not active.
bool HasFocus(const QWidget* widget) {
  const QWidget* focus = widget->window()->focusWidget();
  return focus != nullptr && (focus == widget || widget->isAncestorOf(focus));
}

QColor CaptionColour(const QGroupBox* box) {
  return box->palette().color(QPalette::Disabled, QPalette::WindowText);
}

struct Window {
  QWidget host;
  std::unique_ptr<ConditionTabs> tabs;

  Window() {
    host.resize(600, 320);
    tabs = std::make_unique<ConditionTabs>(&host);
    tabs->StartState();
    tabs->ApplyBackgroundColours();
  }
};

void Type(StringGrid* grid, int column, int row, const QString& text) {
  grid->SetCell(column, row, text);
  grid->SetColumn(column);
  grid->SetRow(row);
}

char Enter(ConditionTabs& tabs, int grid) {
  char key = 13;
  switch (grid) {
    case 1:
      tabs.StringGrid1KeyPress(key);
      break;
    case 2:
      tabs.StringGrid2KeyPress(key);
      break;
    case 3:
      tabs.StringGrid3KeyPress(key);
      break;
    case 4:
      tabs.StringGrid4KeyPress(key);
      break;
    case 5:
      tabs.StringGrid5KeyPress(key);
      break;
  }
  return key;
}

}  // namespace

Q_DECLARE_METATYPE(sifta::HeadingKind)

class ConditionTabsTest : public QObject {
  Q_OBJECT

 private slots:
  void startState() {
    Window w;
    ConditionTabs& t = *w.tabs;
    for (StringGrid* grid :
         {t.StringGrid1, t.StringGrid2, t.StringGrid3, t.StringGrid4, t.StringGrid5, t.StringGrid6})
      QVERIFY2(IsInactive(grid), qPrintable(grid->objectName()));
    for (QRadioButton* button :
         {t.RadioButton1, t.RadioButton2, t.RadioButton11, t.RadioButton3, t.RadioButton4, t.RadioButton12,
          t.RadioButton5, t.RadioButton6, t.RadioButton7, t.RadioButton13, t.RadioButton8, t.RadioButton9,
          t.RadioButton10})
      QVERIFY2(!button->isChecked(), qPrintable(button->objectName()));
    QVERIFY(!t.CheckBox1->isChecked());
    QVERIFY(!t.CheckBox2->isChecked());
    QVERIFY(!t.CheckBox3->isChecked());
    QVERIFY(!t.CheckBox3->isEnabled());
    QVERIFY(!t.Label4->isEnabled());
    QVERIFY(!t.Label5->isEnabled());
    QCOMPARE(t.Label4->text(), QStringLiteral("ｺｰﾄﾞｷｰ番号："));
    QCOMPARE(t.Label5->text(), QStringLiteral("ｺｰﾄﾞ："));
    QVERIFY(t.GroupBox3->isEnabled());
    QVERIFY(!t.GroupBox4->isEnabled());
    QCOMPARE(CaptionColour(t.GroupBox4), sifta::InactiveCaptionColour());
    QCOMPARE(t.StringGrid4->Cell(1, 0), QStringLiteral("　左番号"));
    QCOMPARE(t.StringGrid4->Cell(2, 0), QStringLiteral("　右番号"));
    QCOMPARE(t.StringGrid5->Cell(1, 0), QString());
    QCOMPARE(t.StringGrid5->Cell(2, 0), QString());
    QCOMPARE(t.StringGrid1->Cell(1, 0), QStringLiteral("始め番号"));
    QCOMPARE(t.StringGrid3->Cell(1, 0), QStringLiteral("   特定文字"));
    for (StringGrid* grid : {t.StringGrid1, t.StringGrid2, t.StringGrid3, t.StringGrid4, t.StringGrid5}) {
      QCOMPARE(grid->RowCount(), 20);
      QCOMPARE(grid->Cell(0, 1), QStringLiteral("(1)"));
      QCOMPARE(grid->Cell(0, 2), QString());
      QCOMPARE(grid->Hint(), QString());
      QCOMPARE(grid->Column(), 1);
      QCOMPARE(grid->Row(), 1);
    }
    for (int n = 1; n <= 3; ++n) QVERIFY(!t.IsTabHighlighted(n));
    QCOMPARE(t.PageControl1->currentIndex(), 0);
    QVERIFY(t.PageControl1->isTabVisible(0));
    QCOMPARE(t.HeadingKind(), sifta::HeadingKind::Standard);
    QVERIFY(!t.SelectedRecordMode().has_value());
  }

  void placesAndSizes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    auto row = [](const char* name, const char* parent, QRect rect) {
      QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(parent) << rect;
    };
    row("PageControl1", "", QRect(14, 18, 570, 288));
    row("Panel1", "TabSheet1", QRect(24, 7, 334, 53));
    row("StringGrid1", "TabSheet1", QRect(72, 68, 160, 180));
    row("Panel2", "TabSheet2", QRect(13, 7, 331, 53));
    row("StringGrid6", "TabSheet2", QRect(49, 69, 260, 23));
    row("StringGrid2", "TabSheet2", QRect(18, 89, 309, 160));
    row("GroupBox3", "TabSheet2", QRect(358, 23, 194, 226));
    row("StringGrid3", "GroupBox3", QRect(18, 64, 162, 155));
    row("Panel3", "TabSheet3", QRect(24, 7, 518, 32));
    row("StringGrid4", "TabSheet3", QRect(35, 64, 189, 119));
    row("StringGrid5", "TabSheet3", QRect(272, 48, 279, 127));
    row("GroupBox4", "TabSheet3", QRect(24, 201, 392, 49));
  }

  void placesAndSizes() {
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    Window w;
    auto* widget = w.host.findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    QCOMPARE(widget->geometry(), geometry);
    if (!parent.isEmpty()) QCOMPARE(widget->parentWidget()->objectName(), parent);
    // Every control lies inside its parent.
    for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child))
        QVERIFY2(QRect(QPoint(), widget->size()).contains(child->geometry()),
                 qPrintable(child->objectName()));
    }
  }

  void labelsAndCheckBoxPlaces() {
    Window w;
    QCOMPARE(w.tabs->Label4->pos(), QPoint(29, 48));
    QCOMPARE(w.tabs->Label5->pos(), QPoint(237, 53));
    QCOMPARE(w.tabs->CheckBox3->pos(), QPoint(325, 180));
  }

  void captions() {
    Window w;
    ConditionTabs& t = *w.tabs;
    QCOMPARE(t.PageControl1->tabText(0), QStringLiteral(" ＲＩＤ項目の抽出 "));
    QCOMPARE(t.PageControl1->tabText(1), QStringLiteral(" セルの抽出 "));
    QCOMPARE(t.PageControl1->tabText(2), QStringLiteral(" レコードの抽出 "));
    QCOMPARE(t.PageControl1->tabBar()->tabRect(0).height(), 20);
    QCOMPARE(t.GroupBox3->title(), QStringLiteral(" セルのゼロ化 "));
    QCOMPARE(t.GroupBox4->title(), QStringLiteral(" コードのまとまり方 "));
    QCOMPARE(t.CheckBox1->toolTip(), QStringLiteral("\" で囲まれたｾﾙをｾﾞﾛにする"));
    QCOMPARE(t.CheckBox2->toolTip(), QStringLiteral("下に指定した特定文字をｾﾞﾛにする"));
    QCOMPARE(t.RadioButton8->toolTip(), QStringLiteral("ｺﾝﾋﾟｭｰﾀにまかせる"));
    QCOMPARE(t.RadioButton9->toolTip(), QStringLiteral("同じｺｰﾄﾞが離れたﾚｺｰﾄﾞにない"));
    QCOMPARE(t.RadioButton10->toolTip(), QStringLiteral("同じｺｰﾄﾞが離れたﾚｺｰﾄﾞにある"));
    QCOMPARE(t.StringGrid6->Cell(0, 0), QStringLiteral("      最初の指定"));
    QCOMPARE(t.StringGrid6->Cell(1, 0), QStringLiteral("     繰り返しのとき指定"));
    QCOMPARE(t.StringGrid1->verticalHeader()->width(), 29);
    QCOMPARE(t.StringGrid1->columnWidth(0), 54);
    QCOMPARE(t.StringGrid6->columnWidth(1), 149);
    QCOMPARE(t.StringGrid2->verticalHeader()->defaultSectionSize(), 17);
  }

  void ridChoices() {
    FakeDialogs dialogs;
    Window w;
    ConditionTabs& t = *w.tabs;
    t.RadioButton2->click();
    QVERIFY(IsActive(t.StringGrid1));
    QVERIFY(t.IsTabHighlighted(1));
    QVERIFY(!t.IsTabHighlighted(2));
    QVERIFY(HasFocus(t.StringGrid1));
    QCOMPARE(t.StringGrid1->Hint(), sifta::RidGridHint());
    t.RadioButton11->click();
    QVERIFY(IsInactive(t.StringGrid1));
    QCOMPARE(t.StringGrid1->Hint(), sifta::RidGridHint());  // a hint stays until replaced
    t.RadioButton2->click();
    t.RadioButton1->click();
    QVERIFY(IsInactive(t.StringGrid1));
    QVERIFY(t.IsTabHighlighted(1));
    QCOMPARE(dialogs.boxes.size(), 0u);
  }

  void cellChoices() {
    FakeDialogs dialogs;
    Window w;
    ConditionTabs& t = *w.tabs;
    t.RadioButton4->click();
    QVERIFY(IsActive(t.StringGrid2));
    QVERIFY(IsActive(t.StringGrid6));
    QVERIFY(t.IsTabHighlighted(2));
    QVERIFY(HasFocus(t.StringGrid2));
    QCOMPARE(t.StringGrid2->Hint(), sifta::CellGridHint());
    QVERIFY(t.GroupBox3->isEnabled());

    // Ticked special strings, then no cells: the box goes off, the tick and
    // the grid's active look stay, but the grid takes no input.
    t.CheckBox2->click();
    QVERIFY(IsActive(t.StringGrid3));
    QVERIFY(HasFocus(t.StringGrid3));
    QCOMPARE(t.StringGrid3->Hint(), sifta::SpecialGridHint());
    t.RadioButton12->click();
    QVERIFY(IsInactive(t.StringGrid2));
    QVERIFY(!t.GroupBox3->isEnabled());
    QCOMPARE(CaptionColour(t.GroupBox3), sifta::InactiveCaptionColour());
    QVERIFY(t.CheckBox2->isChecked());
    QVERIFY(t.StringGrid3->isEnabledTo(t.GroupBox3));
    QVERIFY(!t.StringGrid3->isEnabled());
    QCOMPARE(t.StringGrid3->TextColour(), SystemColour::WindowText);
    QCOMPARE(t.StringGrid3->BackgroundColour(), SystemColour::Window);

    t.RadioButton3->click();
    QVERIFY(t.GroupBox3->isEnabled());
    QCOMPARE(CaptionColour(t.GroupBox3), sifta::SystemColourValue(SystemColour::WindowText));
    QVERIFY(IsInactive(t.StringGrid2));
    QVERIFY(IsActive(t.StringGrid3));
    t.CheckBox2->click();
    QVERIFY(IsInactive(t.StringGrid3));
    QVERIFY(!t.CheckBox2->isChecked());
    QCOMPARE(dialogs.boxes.size(), 0u);
  }

  void noCellsRefusedWithoutStandardHeading_data() {
    QTest::addColumn<sifta::HeadingKind>("kind");
    QTest::newRow("user") << sifta::HeadingKind::User;
    QTest::newRow("none") << sifta::HeadingKind::None;
  }

  void noCellsRefusedWithoutStandardHeading() {
    QFETCH(sifta::HeadingKind, kind);
    FakeDialogs dialogs;
    Window w;
    ConditionTabs& t = *w.tabs;
    t.SetHeadingKind(kind);
    QVERIFY(!t.RadioButton12->isEnabled());
    QVERIFY(!t.RadioButton7->isEnabled());
    QVERIFY(!t.PageControl1->isTabVisible(0));
    t.RadioButton4->click();
    t.RadioButton12->setChecked(true);  // as if it were clicked while enabled
    t.RadioButton12Click();
    QCOMPARE(dialogs.Texts(), std::vector<QString>{QStringLiteral("** 指定できません")});
    QVERIFY(dialogs.boxes[0].beepBefore);
    QCOMPARE(dialogs.beeps, 1);
    QVERIFY(t.RadioButton12->isChecked());
    QVERIFY(t.GroupBox3->isEnabled());
    QVERIFY(IsActive(t.StringGrid2));  // nothing else changed

    t.SetHeadingKind(sifta::HeadingKind::Standard);
    QVERIFY(t.RadioButton12->isEnabled());
    QVERIFY(t.RadioButton7->isEnabled());
    QVERIFY(t.PageControl1->isTabVisible(0));
    QVERIFY(t.RadioButton12->isChecked());  // selection kept
  }

  // The record tab's state table, mode by mode, from the start state and
  // after every other mode.
  void recordModes_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("button");
    for (int before : {0, 5, 6, 7, 13})
      for (int button : {5, 6, 7, 13}) QTest::addRow("%d then %d", before, button) << before << button;
  }

  void recordModes() {
    QFETCH(int, before);
    QFETCH(int, button);
    FakeDialogs dialogs;
    Window w;
    ConditionTabs& t = *w.tabs;
    auto radio = [&](int n) {
      return n == 5 ? t.RadioButton5 : n == 6 ? t.RadioButton6 : n == 7 ? t.RadioButton7 : t.RadioButton13;
    };
    if (before != 0) radio(before)->click();
    radio(button)->click();

    const bool count = button == 6, code = button == 7, value = button == 13;
    QCOMPARE(t.SelectedRecordMode(), std::optional<RecordMode>(count   ? RecordMode::Count
                                                               : code  ? RecordMode::Code
                                                               : value ? RecordMode::Value
                                                                       : RecordMode::All));
    QVERIFY(t.IsTabHighlighted(3));
    QCOMPARE(t.Label4->isEnabled(), button != 5);
    QCOMPARE(t.Label5->isEnabled(), code || value);
    if (count) QCOMPARE(t.Label4->text(), QStringLiteral("カウント："));
    if (code) QCOMPARE(t.Label4->text(), QStringLiteral("ｺｰﾄﾞｷｰ番号："));
    if (value) QCOMPARE(t.Label4->text(), QStringLiteral("ｾﾙｷｰ番号（1個だけ）："));
    if (code) QCOMPARE(t.Label5->text(), QStringLiteral("ｺｰﾄﾞ："));
    if (value) QCOMPARE(t.Label5->text(), QStringLiteral("ｾﾙ値："));
    QCOMPARE(t.CheckBox3->isEnabled(), code || value);
    QCOMPARE(t.GroupBox4->isEnabled(), code);
    QCOMPARE(CaptionColour(t.GroupBox4),
             code ? sifta::SystemColourValue(SystemColour::WindowText) : sifta::InactiveCaptionColour());

    QVERIFY(button == 5 ? IsInactive(t.StringGrid4) : IsActive(t.StringGrid4));
    QVERIFY(code || value ? IsActive(t.StringGrid5) : IsInactive(t.StringGrid5));
    if (button != 5) QVERIFY(HasFocus(t.StringGrid4));

    QString key1, key2, value1, value2, keyHint, valueHint;
    if (count) {
      key1 = QStringLiteral(" 始めｶｳﾝﾄ");
      key2 = QStringLiteral(" 終りｶｳﾝﾄ");
      keyHint = sifta::KeyGridCountHint();
    } else if (code) {
      key1 = QStringLiteral(" 始め番号");
      key2 = QStringLiteral(" 終り番号");
      value1 = QStringLiteral(" 　始めコード値");
      value2 = QStringLiteral(" 　終りコード値");
      keyHint = sifta::KeyGridCodeHint();
      valueHint = sifta::ValueGridCodeHint();
    } else if (value) {
      key1 = QStringLiteral(" セル番号");
      value1 = QStringLiteral("　　始めセル値");
      value2 = QStringLiteral("　　終りセル値");
      keyHint = sifta::KeyGridValueHint();
      valueHint = sifta::ValueGridValueHint();
    }
    if (button != 5) {
      QCOMPARE(t.StringGrid4->Cell(1, 0), key1);
      QCOMPARE(t.StringGrid4->Cell(2, 0), key2);
      QCOMPARE(t.StringGrid4->Hint(), keyHint);
    } else if (before == 0) {
      QCOMPARE(t.StringGrid4->Cell(1, 0), QStringLiteral("　左番号"));
    }
    if (code || value) {
      QCOMPARE(t.StringGrid5->Cell(1, 0), value1);
      QCOMPARE(t.StringGrid5->Cell(2, 0), value2);
      QCOMPARE(t.StringGrid5->Hint(), valueHint);
    } else if (before == 0 || before == 5 || before == 6) {
      QCOMPARE(t.StringGrid5->Cell(1, 0), QString());
    }
    QCOMPARE(dialogs.boxes.size(), 0u);
  }

  // Code, then Count: the key numbers stay under the Count titles, the codes
  // stay in the now inactive value grid, CheckBox3 and the grouping keep their
  // states.
  void codeToCountKeepsTexts() {
    Window w;
    ConditionTabs& t = *w.tabs;
    t.RadioButton7->click();
    t.StringGrid4->SetCell(1, 1, QStringLiteral("3"));
    t.StringGrid4->SetCell(2, 1, QStringLiteral("4"));
    t.StringGrid5->SetCell(1, 1, QStringLiteral("0101"));
    t.StringGrid5->SetCell(2, 1, QStringLiteral("0199"));
    t.CheckBox3->click();
    t.RadioButton9->click();
    t.RadioButton6->click();
    QCOMPARE(t.StringGrid4->Cell(1, 0), QStringLiteral(" 始めｶｳﾝﾄ"));
    QCOMPARE(t.StringGrid4->Cell(1, 1), QStringLiteral("3"));
    QCOMPARE(t.StringGrid4->Cell(2, 1), QStringLiteral("4"));
    QVERIFY(IsInactive(t.StringGrid5));
    QCOMPARE(t.StringGrid5->Cell(1, 0), QStringLiteral(" 　始めコード値"));
    QCOMPARE(t.StringGrid5->Cell(1, 1), QStringLiteral("0101"));
    QCOMPARE(t.StringGrid5->Cell(2, 1), QStringLiteral("0199"));
    QCOMPARE(t.StringGrid5->Hint(), sifta::ValueGridCodeHint());
    QVERIFY(t.CheckBox3->isChecked());
    QVERIFY(!t.CheckBox3->isEnabled());
    QVERIFY(t.RadioButton9->isChecked());
    QVERIFY(!t.GroupBox4->isEnabled());
  }

  // The same button twice: the same state, the hint given again, the focus
  // again.
  void sameButtonTwice() {
    Window w;
    ConditionTabs& t = *w.tabs;
    t.RadioButton2->click();
    t.StringGrid1->SetHint(QStringLiteral("other"));
    t.CheckBox1->setFocus();
    t.RadioButton2->click();
    QVERIFY(t.RadioButton2->isChecked());
    QVERIFY(IsActive(t.StringGrid1));
    QCOMPARE(t.StringGrid1->Hint(), sifta::RidGridHint());
    QVERIFY(HasFocus(t.StringGrid1));
  }

  void highlightsStay() {
    Window w;
    ConditionTabs& t = *w.tabs;
    const QColor plain = t.PageControl1->tabBar()->tabTextColor(1);
    t.RadioButton3->click();
    t.RadioButton5->click();
    t.RadioButton12->click();
    t.RadioButton13->click();
    t.CheckBox2->click();
    QVERIFY(!t.IsTabHighlighted(1));
    QVERIFY(t.IsTabHighlighted(2));
    QVERIFY(t.IsTabHighlighted(3));
    QVERIFY(t.PageControl1->tabBar()->tabTextColor(1) != plain);
    QCOMPARE(t.PageControl1->tabBar()->tabTextColor(1), t.PageControl1->tabBar()->tabTextColor(2));
    t.StartState();  // not even the start steps remove one
    QVERIFY(t.IsTabHighlighted(2));
  }

  void hintTexts() {
    Window w;
    ConditionTabs& t = *w.tabs;
    t.RadioButton2->click();
    const QString hint = t.StringGrid1->Hint();
    QCOMPARE(t.StringGrid1->property("hintText").toString(), hint);
    QCOMPARE(hint.count(QStringLiteral("\n\r")), 7);
    QCOMPARE(hint.count(QLatin1Char('\n')), 7);
    QVERIFY(hint.startsWith(QStringLiteral(" RID項目の番号を指定する。* は最後のRID番号を表す。\n\r")));
    QVERIFY(hint.contains(QStringLiteral("←10～最後のRID項目を抽出 \n\r")));
    QVERIFY(hint.endsWith(QStringLiteral("5～7をこの順で抽出 ")));
    // Shown with one break per line, blanks kept.
    const QString shown = t.StringGrid1->toolTip();
    QVERIFY(!shown.contains(QLatin1Char('\r')));
    QCOMPARE(shown.count(QStringLiteral("<br>")), 7);
    QVERIFY(shown.contains(QStringLiteral("white-space:pre")));
    QCOMPARE(t.StringGrid1->viewport()->toolTip(), shown);

    // Texts ending in a blank or an ideographic blank keep it.
    QVERIFY(sifta::SpecialGridHint().endsWith(QStringLiteral("←Xをｾﾞﾛ ")));
    QVERIFY(sifta::KeyGridCountHint().endsWith(QStringLiteral("ﾚｺｰﾄﾞを抽出　")));
    QVERIFY(sifta::ValueGridValueHint().endsWith(QStringLiteral("値をもつﾚｺｰﾄﾞを抽出 ")));
    QVERIFY(sifta::ValueGridCodeHint().contains(
        QStringLiteral("(3) \"3 1\"       \"35  \"  ←\"3 1\"～\"35  \"を抽出 \n\r")));
    for (const QString& text :
         {sifta::RidGridHint(), sifta::CellGridHint(), sifta::SpecialGridHint(), sifta::KeyGridCountHint(),
          sifta::KeyGridCodeHint(), sifta::ValueGridCodeHint(), sifta::KeyGridValueHint(),
          sifta::ValueGridValueHint()}) {
      QCOMPARE(text.count(QLatin1Char('\n')), text.count(QStringLiteral("\n\r")));
      QCOMPARE(text.count(QLatin1Char('\r')), text.count(QStringLiteral("\n\r")));
      QVERIFY(sifta::ToSj(text).has_value());
    }
  }

  // The handlers act on Enter only and swallow it.
  void keyPressHandlers() {
    FakeDialogs dialogs;
    Window w;
    ConditionTabs& t = *w.tabs;
    t.RadioButton2->click();
    char key = 'a';
    t.StringGrid1KeyPress(key);
    QCOMPARE(key, 'a');
    QCOMPARE(dialogs.boxes.size(), 0u);
    QCOMPARE(Enter(t, 1), '\0');
    QCOMPARE(dialogs.LastText(), QStringLiteral("** このｾﾙは長さｾﾞﾛです。"));
  }

  void enterSteps() {
    FakeDialogs dialogs;
    Window w;
    ConditionTabs& t = *w.tabs;
    t.RadioButton2->click();

    Type(t.StringGrid1, 1, 1, QStringLiteral("0"));
    Enter(t, 1);
    QCOMPARE(dialogs.Texts(), std::vector<QString>{QStringLiteral("** このｾﾙは値がｾﾞﾛです。")});
    QVERIFY(dialogs.boxes[0].beepBefore);
    QCOMPARE(dialogs.boxes[0].kind, FakeDialogs::Kind::Information);
    QCOMPARE(t.StringGrid1->Column(), 1);
    QVERIFY(HasFocus(t.StringGrid1));

    dialogs.Clear();
    Type(t.StringGrid1, 1, 1, QStringLiteral("99999999999"));
    Enter(t, 1);
    QCOMPARE(dialogs.Texts(), std::vector<QString>{QStringLiteral("'99999999999' は整数ではありません")});
    QCOMPARE(dialogs.boxes[0].kind, FakeDialogs::Kind::Error);
    QCOMPARE(dialogs.beeps, 0);
    QCOMPARE(t.StringGrid1->Column(), 1);

    dialogs.Clear();
    Type(t.StringGrid1, 1, 1, QStringLiteral(" 1 2"));
    Enter(t, 1);
    QCOMPARE(t.StringGrid1->Column(), 2);
    QCOMPARE(t.StringGrid1->Cell(1, 1), QStringLiteral(" 1 2"));
    Enter(t, 1);  // an empty end
    QCOMPARE(t.StringGrid1->Row(), 2);
    QCOMPARE(t.StringGrid1->Column(), 1);
    QCOMPARE(t.StringGrid1->Cell(0, 2), QStringLiteral("(2)"));

    Type(t.StringGrid1, 2, 19, QStringLiteral("*"));
    Enter(t, 1);
    QCOMPARE(t.StringGrid1->RowCount(), 21);
    QCOMPARE(t.StringGrid1->rowCount(), 20);
    QCOMPARE(t.StringGrid1->Cell(0, 20), QStringLiteral("(20)"));
    QCOMPARE(t.StringGrid1->Row(), 20);
    QCOMPARE(t.StringGrid1->Column(), 1);
    QCOMPARE(dialogs.boxes.size(), 0u);

    // The special strings on an empty cell, the value grid's own check.
    t.CheckBox2->click();
    Enter(t, 3);
    QCOMPARE(t.StringGrid3->Row(), 2);
    QCOMPARE(t.StringGrid3->Cell(0, 2), QStringLiteral("(2)"));
    t.RadioButton7->click();
    t.StringGrid5->SetFocus();
    Enter(t, 5);
    QCOMPARE(dialogs.LastText(), QStringLiteral("** このｾﾙは長さ0です。"));
    QVERIFY(dialogs.boxes.back().beepBefore);
    Type(t.StringGrid5, 1, 1, QStringLiteral("  "));
    Enter(t, 5);
    QCOMPARE(t.StringGrid5->Column(), 2);

    // Code mode takes "*" as the last key item.
    Type(t.StringGrid4, 2, 1, QStringLiteral("*"));
    Enter(t, 4);
    QCOMPARE(t.StringGrid4->Row(), 2);
  }

  // Typed into the real grid and confirmed with the Enter key: in Value mode a
  // good key number sends the focus to the value grid.
  void enterKeyInValueMode() {
    FakeDialogs dialogs;
    Window w;
    w.host.show();
    w.host.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.host));
    ConditionTabs& t = *w.tabs;
    t.PageControl1->setCurrentIndex(2);
    t.RadioButton13->click();
    QTRY_VERIFY(t.StringGrid4->OpenEditor() != nullptr);
    QWidget* editor = t.StringGrid4->OpenEditor();
    QVERIFY(editor->hasFocus());
    QTest::keyClicks(editor, QStringLiteral("3"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(t.StringGrid4->Cell(1, 1), QStringLiteral("3"));
    QVERIFY(HasFocus(t.StringGrid5));
    QCOMPARE(t.StringGrid4->Column(), 1);
    QCOMPARE(t.StringGrid4->Row(), 1);

    // "*" in column 2 is refused in Value mode; the editor stays open.
    t.StringGrid4->SetFocus();
    t.StringGrid4->SetColumn(2);
    QTRY_VERIFY(t.StringGrid4->OpenEditor() != nullptr);
    editor = t.StringGrid4->OpenEditor();
    QTest::keyClicks(editor, QStringLiteral("*"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(dialogs.LastText(), QStringLiteral("** このｾﾙは非数字です。"));
    QCOMPARE(t.StringGrid4->Column(), 2);
    QCOMPARE(t.StringGrid4->Cell(2, 1), QStringLiteral("*"));
    QTest::qWait(20);
    QVERIFY(t.StringGrid4->OpenEditor() != nullptr);
  }

  void readConditions() {
    Window w;
    ConditionTabs& t = *w.tabs;
    t.RadioButton2->click();
    t.RadioButton4->click();
    t.CheckBox1->click();
    t.CheckBox2->click();
    t.RadioButton7->click();
    t.RadioButton10->click();
    t.CheckBox3->click();
    t.StringGrid1->SetCell(1, 1, QStringLiteral(" 3 "));
    t.StringGrid1->SetCell(2, 2, QStringLiteral("\t*"));
    Type(t.StringGrid1, 2, 19, QStringLiteral("5"));
    Enter(t, 1);  // the grid grows to 20 data rows
    t.StringGrid1->SetCell(1, 20, QStringLiteral("12"));
    t.StringGrid2->SetCell(4, 3, QStringLiteral("41 "));
    t.StringGrid3->SetCell(1, 1, QStringLiteral(" \"3 1\" "));
    t.StringGrid3->SetCell(1, 2, QStringLiteral("ｾﾞﾛ"));
    t.StringGrid4->SetCell(1, 1, QStringLiteral("1"));
    t.StringGrid5->SetCell(1, 1, QStringLiteral("　東京"));

    const sifta::ExtractionConditions c =
        t.ReadConditions(QStringLiteral(" /tmp/源@.csv"), QStringLiteral("/tmp/x.csv"));
    QVERIFY(!c.unreadableCell);
    QCOMPARE(QString::fromStdString(c.sourceNameText), QStringLiteral(" /tmp/源@.csv"));
    QCOMPARE(c.extractNameText, std::string("/tmp/x.csv"));
    QVERIFY(c.ridChoice == sifta::ColumnChoice::ListedItems);
    QVERIFY(c.cellChoice == sifta::ColumnChoice::ListedItems);
    QVERIFY(c.zeroNonNumeric && c.zeroSpecial && c.extractAllExcept);
    QVERIFY(c.recordMode == RecordMode::Code);
    QVERIFY(c.grouping == sifta::CodeGrouping::Scattered);
    QCOMPARE(c.ridRows.size(), 20u);
    QCOMPARE(c.cellRows.size(), 19u);
    QCOMPARE(c.specialRows.size(), 19u);
    QCOMPARE(c.keyRows.size(), 19u);
    QCOMPARE(c.codeRows.size(), 19u);
    QCOMPARE(c.ridRows[0][0], std::string("3"));
    QCOMPARE(c.ridRows[1][1], std::string("*"));
    QCOMPARE(c.ridRows[18][1], std::string("5"));
    QCOMPARE(c.ridRows[19][0], std::string("12"));
    QCOMPARE(c.cellRows[2][3], std::string("41"));
    QCOMPARE(c.specialRows[0], std::string("\"3 1\""));
    QCOMPARE(c.specialRows[1], sifta::Sj("ｾﾞﾛ"));
    QCOMPARE(c.specialRows[2], std::string());
    QCOMPARE(c.keyRows[0][0], std::string("1"));
    QCOMPARE(c.keyRows[0][1], std::string());
    QCOMPARE(c.codeRows[0][0], sifta::Sj("　東京"));  // the ideographic blank is no blank byte
  }

  void readConditionsChoicesUnset() {
    Window w;
    const sifta::ExtractionConditions c = w.tabs->ReadConditions(QString(), QString());
    QVERIFY(!c.ridChoice && !c.cellChoice && !c.recordMode);
    QVERIFY(c.grouping == sifta::CodeGrouping::Unknown);
    QVERIFY(!c.zeroNonNumeric && !c.zeroSpecial && !c.extractAllExcept);
    QVERIFY(c.sourceNameText.empty());
  }

  // A typed character without a code page 932 form is named where the
  // conditions use the grid (the tab and the row); elsewhere it does not
  // matter.
  void readConditionsUnconvertible() {
    using sifta::PlanTab;
    Window w;
    ConditionTabs& t = *w.tabs;
    t.StringGrid5->SetCell(2, 4, QStringLiteral("A😀"));
    t.StringGrid1->SetCell(1, 2, QStringLiteral("😀"));
    const auto unreadable = [&t]() -> std::pair<int, int> {
      const auto cell = t.ReadConditions({}, {}).unreadableCell;
      if (!cell) return {-1, -1};
      return {static_cast<int>(cell->tab), cell->row};
    };
    t.RadioButton6->click();
    QCOMPARE(unreadable(), std::make_pair(-1, -1));
    t.RadioButton13->click();
    QCOMPARE(unreadable(), std::make_pair(static_cast<int>(PlanTab::Record), 4));
    t.RadioButton2->click();
    QCOMPARE(unreadable(), std::make_pair(static_cast<int>(PlanTab::Rid), 2));
    t.SetHeadingKind(sifta::HeadingKind::None);  // the RID tab is not read then
    QCOMPARE(unreadable(), std::make_pair(static_cast<int>(PlanTab::Record), 4));
  }

  void locked() {
    Window w;
    ConditionTabs& t = *w.tabs;
    t.RadioButton2->click();
    t.SetLocked(true);
    QVERIFY(t.IsLocked());
    QVERIFY(!t.RadioButton1->isEnabled());
    QVERIFY(!t.StringGrid1->isEnabled());
    QVERIFY(!t.CheckBox1->isEnabled());
    QVERIFY(!t.RadioButton5->isEnabled());
    QVERIFY(t.PageControl1->tabBar()->isEnabled());
    t.SetLocked(false);
    QVERIFY(t.RadioButton1->isEnabled());
    QVERIFY(IsActive(t.StringGrid1));
    QVERIFY(IsInactive(t.StringGrid2));  // inactive grids stay so
    QVERIFY(!t.CheckBox3->isEnabled());
    QVERIFY(!t.GroupBox4->isEnabled());
  }

  void backgroundColours() {
    Window w;
    ConditionTabs& t = *w.tabs;
    QCOMPARE(t.GroupBox3->palette().color(QPalette::Window), QColor(235, 193, 249));
    QCOMPARE(t.GroupBox4->palette().color(QPalette::Window), QColor(203, 252, 180));
    for (QFrame* panel : {t.Panel1, t.Panel2, t.Panel3}) {
      QCOMPARE(panel->palette().color(QPalette::Window), QColor(194, 200, 245));
      QVERIFY(panel->autoFillBackground());
    }
    // Switching the box on and off keeps its colour.
    t.RadioButton7->click();
    QCOMPARE(t.GroupBox4->palette().color(QPalette::Window), QColor(203, 252, 180));
    // The grids' looks in their system colours.
    QCOMPARE(t.StringGrid1->palette().color(QPalette::Disabled, QPalette::Base),
             sifta::SystemColourValue(SystemColour::InactiveBorder));
    QCOMPARE(t.StringGrid4->palette().color(QPalette::Active, QPalette::Base),
             sifta::SystemColourValue(SystemColour::Window));
  }
};

SIFTA_REGISTER_TEST(ConditionTabsTest)

#include "ConditionTabsTest.moc"
