// The main window outside its runs: what its creation sets up, the file name
// fields, the hint timing menu, quitting.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolTip>
#include <QtTest>

#include "FakeDialogs.h"
#include "Sifta1TestForms.h"
#include "TestRegistry.h"
#include "ui/Application.h"
#include "ui/ConditionTabs.h"
#include "ui/Sifta2.h"
#include "ui/Sifta3.h"
#include "ui/Sifta4.h"
#include "ui/Sifta5.h"
#include "ui/Sifta6.h"
#include "ui/Sifta8.h"
#include "ui/StringGrid.h"

using sifta::Ui;

namespace {

QColor Background(const QWidget* widget) { return widget->palette().color(QPalette::Window); }

template <typename T>
T* Find(const char* name) {
  T* widget = Form1->findChild<T*>(QLatin1String(name));
  if (!widget) qWarning("no control %s", name);
  return widget;
}

}  // namespace

class Sifta1Test : public QObject {
  Q_OBJECT

 private slots:
  void init() { forms_ = std::make_unique<sifta::test::ProgramForms>(); }
  void cleanup() { forms_.reset(); }

  void windowsMadeInOrderAsTopLevels() {
    QVERIFY(Form1 && Form2 && Form3 && Form4 && Form5 && Form6 && Form7 && Form8);
    QCOMPARE(Form1->windowTitle(), Ui("ＣＳＶレコードの抽出( Sifta 1.26 )"));
    QCOMPARE(Form1->pos(), QPoint(188, 92));
    for (QWidget* form : std::initializer_list<QWidget*>{Form2, Form3, Form4, Form5, Form6, Form7, Form8}) {
      QVERIFY(form->isWindow());
      QCOMPARE(form->parentWidget(), Form1);
      QVERIFY(!form->isVisible());
    }
  }

  void controlsAtTheirPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");  // an empty size: only the place is fixed
    QTest::addColumn<QString>("caption");
    const auto row = [](const char* name, const char* parent, QRect geometry, const char* caption) {
      QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(parent) << geometry
                          << Ui(caption);
    };
    row("GroupBox1", "Form1", {8, 8, 457, 140}, " ファイルの選択 ");
    row("Button1", "GroupBox1", {16, 19, 97, 25}, "元ﾌｧｲﾙの選択");
    row("Label3", "GroupBox1", {120, 28, 0, 0}, "( 元ファイルで＠を使う場合は下のファイル名を直接直します )");
    row("Label1", "GroupBox1", {30, 52, 0, 0}, "ファイル名：");
    row("Edit1", "GroupBox1", {94, 48, 348, 20}, "");
    row("Button2", "GroupBox1", {16, 76, 97, 25}, "抽出ﾌｧｲﾙの選択");
    row("Label2", "GroupBox1", {30, 112, 0, 0}, "ファイル名：");
    row("Edit2", "GroupBox1", {94, 107, 348, 20}, "");
    row("Button7", "Form1", {480, 32, 117, 25}, "元ﾌｧｲﾙ情報表示");
    row("Button8", "Form1", {480, 72, 117, 25}, "抽出ﾌｧｲﾙ情報表示");
    row("Button9", "Form1", {480, 112, 89, 25}, "ヘ ル プ");
    row("GroupBox2", "Form1", {8, 158, 595, 322},
        " 抽出の条件（下のタブをクリックしてすべて記入してください） ");
    row("PageControl1", "GroupBox2", {14, 18, 570, 288}, "");
    row("GroupBox5", "Form1", {8, 489, 502, 96}, " 実　行 ");
    row("Button3", "GroupBox5", {16, 20, 65, 25}, "抽出する");
    row("Button4", "GroupBox5", {110, 20, 65, 25}, "おわり");
    row("Button6", "GroupBox5", {41, 56, 109, 25}, "レコード数一覧");
    row("Label9", "GroupBox5", {201, 28, 0, 0}, "全元レコード数：");
    row("Edit6", "GroupBox5", {285, 24, 80, 20}, "");
    row("Label6", "GroupBox5", {201, 62, 0, 0}, "抽出レコード数：");
    row("Edit3", "GroupBox5", {285, 58, 80, 20}, "");
    row("Label7", "GroupBox5", {375, 28, 0, 0}, "始め時間：");
    row("Edit4", "GroupBox5", {433, 24, 68, 20}, "");  // " hh:mm:ss" fits
    row("Label8", "GroupBox5", {375, 60, 0, 0}, "終り時間：");
    row("Edit5", "GroupBox5", {433, 56, 68, 20}, "");
    row("Label10", "Form1", {520, 504, 0, 0}, "ヒント時間調整\nは右クリックで");
  }

  void controlsAtTheirPlaces() {
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    auto* widget = Form1->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    if (geometry.isEmpty())
      QCOMPARE(widget->pos(), geometry.topLeft());
    else
      QCOMPARE(widget->geometry(), geometry);
    if (auto* button = qobject_cast<QPushButton*>(widget)) QCOMPARE(button->text(), caption);
    if (auto* label = qobject_cast<QLabel*>(widget)) QCOMPARE(label->text(), caption);
    if (auto* box = qobject_cast<QGroupBox*>(widget)) QCOMPARE(box->title(), caption);
    // Every control of the form lies within its parent.
    QVERIFY(widget->parentWidget()->rect().contains(widget->geometry()));
  }

  void startState() {
    for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6"})
      QVERIFY2(Find<QLineEdit>(name)->text().isEmpty(), name);
    QVERIFY(Form1->Edit1->isReadOnly());
    for (QLineEdit* edit : {Form1->Edit2, Form1->Edit3, Form1->Edit4, Form1->Edit5, Form1->Edit6})
      QVERIFY(!edit->isReadOnly());
    QVERIFY(!Form1->Button6->isEnabled());
    QVERIFY(!Form1->Button7->isEnabled());
    QVERIFY(!Form1->Button8->isEnabled());
    for (QPushButton* button :
         {Form1->Button1, Form1->Button2, Form1->Button3, Form1->Button4, Form1->Button9})
      QVERIFY(button->isEnabled());
    QVERIFY(Form1->Label3->isHidden());
    QVERIFY(!Form1->LayoutInformationShown());
    QCOMPARE(Form1->Tabs->PageControl1->currentIndex(), 0);
    for (QRadioButton* radio : Form1->findChildren<QRadioButton*>())
      QVERIFY2(!radio->isChecked(), qPrintable(radio->objectName()));
    QCOMPARE(sifta::HintDisplayTime(), 2500);
  }

  void coloursAndFonts() {
    QCOMPARE(Background(Form1), QColor(207, 254, 249));
    for (QWidget* box : {Form1->GroupBox1, Form1->GroupBox2, Form1->GroupBox5}) {
      QCOMPARE(Background(box), QColor(218, 218, 254));
      QVERIFY(box->autoFillBackground());
    }
    QCOMPARE(Background(Form1->Tabs->Panel1), QColor(194, 200, 245));
    QCOMPARE(Form1->Label3->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    QCOMPARE(Form1->font().family(), Ui("ＭＳ Ｐゴシック"));
    QCOMPARE(Form1->font().pixelSize(), 12);
    QCOMPARE(Form1->Label10->font().family(), Ui("ＭＳ 明朝"));
    // The file names are in a fixed-pitch font: every character as wide.
    for (QLineEdit* edit : {Form1->Edit1, Form1->Edit2}) {
      const QFontMetrics metrics(edit->font());
      QCOMPARE(metrics.horizontalAdvance(QStringLiteral("i")),
               metrics.horizontalAdvance(QStringLiteral("W")));
      QCOMPARE(metrics.horizontalAdvance(Ui("あ")), 2 * metrics.horizontalAdvance(QStringLiteral("W")));
    }
    // The widest texts a run writes fit their fields (frame and margins aside).
    const auto fits = [](QLineEdit* edit, const char* text) {
      const int width = QFontMetrics(edit->font()).horizontalAdvance(QLatin1String(text));
      QVERIFY2(width <= edit->width() - 6, qPrintable(QStringLiteral("%1: %2 pixels of text in %3 - 6")
                                                          .arg(edit->objectName())
                                                          .arg(width)
                                                          .arg(edit->width())));
    };
    fits(Form1->Edit4, " 23:59:59");
    fits(Form1->Edit5, " 23:59:59");
    fits(Form1->Edit6, " 99,999,999");
    fits(Form1->Edit3, " 99,999,999");
    // The proportional font is not.
    const QFontMetrics proportional(Form1->font());
    QVERIFY(proportional.horizontalAdvance(QStringLiteral("i")) <
            proportional.horizontalAdvance(QStringLiteral("W")));
  }

  void tabOrderOfTheTopLevel() {
    // Focusable controls in the order the Tab key visits them.
    QList<QWidget*> chain;
    QWidget* widget = Form1->Button1;
    do {
      if (widget->focusPolicy() & Qt::TabFocus) chain << widget;
      widget = widget->nextInFocusChain();
    } while (widget != Form1->Button1 && chain.size() < 500);
    const auto at = [&](QWidget* w) { return chain.indexOf(w); };
    const QList<QWidget*> order = {
        Form1->Button1, Form1->Edit1,   Form1->Button2, Form1->Edit2, Form1->Tabs->RadioButton1,
        Form1->Button3, Form1->Button4, Form1->Button6, Form1->Edit6, Form1->Edit5,
        Form1->Button7, Form1->Button8, Form1->Button9};
    for (int i = 1; i < order.size(); ++i)
      QVERIFY2(at(order[i - 1]) >= 0 && at(order[i - 1]) < at(order[i]), qPrintable(order[i]->objectName()));
  }

  void formCreateStepsBringBackTheStartState() {
    for (QLineEdit* edit : {Form1->Edit1, Form1->Edit2, Form1->Edit3, Form1->Edit4, Form1->Edit5})
      edit->setText(QStringLiteral("x"));
    for (QPushButton* button : {Form1->Button6, Form1->Button7, Form1->Button8}) button->setEnabled(true);
    Form1->Label3->show();
    Form1->Label10->clear();
    Form1->FormCreate();
    for (QLineEdit* edit : {Form1->Edit1, Form1->Edit2, Form1->Edit3, Form1->Edit4, Form1->Edit5})
      QVERIFY(edit->text().isEmpty());
    for (QPushButton* button : {Form1->Button6, Form1->Button7, Form1->Button8})
      QVERIFY(!button->isEnabled());
    QVERIFY(Form1->Label3->isHidden());
    QCOMPARE(Form1->Label10->text().split(QLatin1Char('\n')),
             QStringList({Ui("ヒント時間調整"), Ui("は右クリックで")}));
    QVERIFY(!Form1->Tabs->Label4->isEnabled());
    QVERIFY(!Form1->Tabs->GroupBox4->isEnabled());
    QVERIFY(!Form1->Tabs->CheckBox3->isEnabled());
  }

  void enterInEdit1MovesToButton2_data() {
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("read-only") << true;
    QTest::newRow("editable") << false;
  }

  void enterInEdit1MovesToButton2() {
    QFETCH(bool, readOnly);
    Form1->Edit1->setReadOnly(readOnly);
    Form1->Edit1->setFocus();
    QTest::keyClick(Form1->Edit1, Qt::Key_A);
    QCOMPARE(Form1->Edit1->text(), readOnly ? QString() : QStringLiteral("a"));
    QTest::keyClick(Form1->Edit1, Qt::Key_Return);
    QCOMPARE(Form1->focusWidget(), Form1->Button2);
    QCOMPARE(Form1->Edit1->text(), readOnly ? QString() : QStringLiteral("a"));
    QVERIFY(Form1->Edit1KeyPress(13));
    QVERIFY(!Form1->Edit1KeyPress('a'));
  }

  void extractFileChoice() {
    sifta::test::FakeDialogs dialogs;
    Form1->Edit2->setText(QStringLiteral("/typed/by/hand.csv"));
    dialogs.saveAnswers = {std::nullopt, QStringLiteral("/tmp/chosen/out.csv")};
    Form1->Button2Click();
    QCOMPARE(Form1->Edit2->text(), QStringLiteral("/typed/by/hand.csv"));
    Form1->Button2Click();
    QCOMPARE(Form1->Edit2->text(), QStringLiteral("/tmp/chosen/out.csv"));
    QCOMPARE(dialogs.fileDialogs.size(), size_t{2});
    QVERIFY(dialogs.fileDialogs[0].save);
    QCOMPARE(dialogs.fileDialogs[0].filter, Ui("すべてのファイル|*.*"));
    QVERIFY(dialogs.boxes.empty());
    QVERIFY(!QFile::exists(QStringLiteral("/tmp/chosen/out.csv")));
  }

  void hintTimesFromTheMenu() {
    const QList<QAction*> items = Form1->PopupMenu1->actions();
    QCOMPARE(items.size(), 5);
    QVERIFY(items[2]->isSeparator());
    QCOMPARE(items, QList<QAction*>({Form1->N1, Form1->N2, items[2], Form1->N3, Form1->N4}));
    QCOMPARE(Form1->N3->text() + Form1->N4->text(), Ui("条件を保存...条件を開く..."));
    QCOMPARE(Form1->N1->text(), Ui("ヒント表示： 標準"));
    QCOMPARE(Form1->N2->text(), Ui("ヒント表示： 長く"));
    QVERIFY(!Form1->N1->isCheckable() && !Form1->N2->isCheckable());
    Form1->N2->trigger();
    QCOMPARE(sifta::HintDisplayTime(), 10000);
    Form1->N1->trigger();
    QCOMPARE(sifta::HintDisplayTime(), 2500);
    QCOMPARE(Form1->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 500);
  }

  void standardButtonsInJapanese() {
    QMessageBox box(QMessageBox::Question, QString(), QString(),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), Ui("はい(&Y)"));
    QCOMPARE(box.button(QMessageBox::No)->text(), Ui("いいえ(&N)"));
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), Ui("キャンセル"));
  }

  void rightClickOpensTheMenuButNotInTextFields() {
    QContextMenuEvent onButton(QContextMenuEvent::Mouse, QPoint(5, 5),
                               Form1->Button3->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Form1->Button3, &onButton);
    QVERIFY(Form1->PopupMenu1->isVisible());
    Form1->PopupMenu1->hide();
    QContextMenuEvent inField(QContextMenuEvent::Mouse, QPoint(5, 5),
                              Form1->Edit2->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Form1->Edit2, &inField);
    QVERIFY(!Form1->PopupMenu1->isVisible());
    for (QWidget* popup : QApplication::topLevelWidgets())
      if (qobject_cast<QMenu*>(popup) && popup != Form1->PopupMenu1) popup->close();
  }

  void hintStaysForTheDisplayTime() {
    Form1->Button3->setToolTip(QStringLiteral("hint"));
    const auto showHint = [] {
      QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), Form1->Button3->mapToGlobal(QPoint(5, 5)));
      QApplication::sendEvent(Form1->Button3, &event);
    };
    sifta::SetHintDisplayTime(150);
    showHint();
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("hint"));
    QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 2000);
    Form1->N2Click();
    showHint();
    QTest::qWait(400);
    QVERIFY(QToolTip::isVisible());
    QToolTip::hideText();
    Form1->N1Click();
  }

  // Tab, Shift+Tab and Ctrl+Tab leave an active grid after its Enter check
  // of the current cell; a refused cell keeps the focus, and leaving moves
  // no cursor and labels no row.
  void tabLeavesAnActiveGrid() {
    sifta::test::FakeDialogs dialogs;
    Form1->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Form1));
    auto* grid = Form1->Tabs->StringGrid1;
    const auto inGrid = [grid] {
      QWidget* focus = QApplication::focusWidget();
      return focus == grid || grid->isAncestorOf(focus);
    };
    const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers) {
      QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };
    Form1->Tabs->RadioButton2->click();
    QTRY_VERIFY(inGrid());
    grid->SetCell(1, 1, QStringLiteral("0"));
    press(Qt::Key_Tab, Qt::NoModifier);
    QCOMPARE(dialogs.Texts(), std::vector<QString>{Ui("** このｾﾙは値がｾﾞﾛです。")});
    QVERIFY(dialogs.boxes[0].beepBefore);
    QVERIFY(inGrid());

    grid->SetCell(1, 1, QStringLiteral("3"));
    for (const auto& [key, modifiers] :
         std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>>{{Qt::Key_Tab, Qt::NoModifier},
                                                                {Qt::Key_Backtab, Qt::ShiftModifier},
                                                                {Qt::Key_Tab, Qt::ControlModifier}}) {
      grid->SetFocus();
      QTRY_VERIFY(inGrid());
      press(key, modifiers);
      QVERIFY2(!inGrid(), qPrintable(QApplication::focusWidget()->objectName()));
    }
    QCOMPARE(dialogs.boxes.size(), size_t{1});
    QCOMPARE(grid->Column(), 1);
    QCOMPARE(grid->Row(), 1);
    QVERIFY(grid->Cell(0, 2).isEmpty());
  }

  void quitDestroysHelpAndSourceInformation() {
    Form1->Button9Click();
    Form4->show();
    QVERIFY(Form3->isVisible());
    Form1->Button4Click();
    QVERIFY(Form3 == nullptr);
    QVERIFY(Form4 == nullptr);
    QVERIFY(!Form1->isVisible());
  }

 private:
  std::unique_ptr<sifta::test::ProgramForms> forms_;
};

SIFTA_REGISTER_TEST(Sifta1Test)

#include "Sifta1Test.moc"
