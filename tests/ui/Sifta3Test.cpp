// The help window: its text, the copy switch, showing and closing.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "FakeDialogs.h"
#include "Sifta1TestForms.h"
#include "TestRegistry.h"
#include "ui/HelpText.h"
#include "ui/Sifta3.h"

using sifta::Ui;

class Sifta3Test : public QObject {
  Q_OBJECT

 private slots:
  void init() { forms_ = std::make_unique<sifta::test::ProgramForms>(); }
  void cleanup() { forms_.reset(); }

  void windowAsCreated() {
    QCOMPARE(Form3->windowTitle(), Ui("ヘルプ"));
    QCOMPARE(Form3->pos(), QPoint(516, 113));
    QCOMPARE(Form3->palette().color(QPalette::Window), QColor(180, 252, 131));
    QCOMPARE(Form3->Memo1->palette().color(QPalette::Base), QColor(255, 255, 210));
    QCOMPARE(Form3->Memo1->geometry(), QRect(15, 8, 398, 473));
    QVERIFY(Form3->Memo1->isReadOnly());
    QCOMPARE(Form3->Memo1->font().pixelSize(), 12);
    QCOMPARE(Form3->Button1->text(), Ui("閉じる"));
    QCOMPARE(Form3->Button1->geometry(), QRect(325, 489, 57, 25));
    QCOMPARE(Form3->Button2->text(), Ui("コピー"));
    QCOMPARE(Form3->Button2->geometry(), QRect(32, 489, 57, 25));
    QCOMPARE(Form3->Button2->toolTip(), Ui("範囲指定してからコピーします"));
  }

  void helpTextSections() {
    const QStringList lines = sifta::HelpLines();
    QCOMPARE(lines.size(), 167);
    QCOMPARE(lines.first(), QString());
    QCOMPARE(lines.last(), Ui("===== ヘルプ おわり ====="));
    QCOMPARE(Form3->Memo1->toPlainText().split(QLatin1Char('\n')), lines);
    const char* const titles[] = {
        "(１) 元ファイルの選択",
        "(２) 抽出ファイルの選択",
        "(３) ＲＩＤの抽出",
        "(４) セルの抽出",
        " (ア) 抽出するセル項目の指定",
        " (イ) セルのゼロ化",
        " (ａ）非数字をゼロにする",
        " (ｂ）特定文字をゼロにする",
        "(５) レコードの抽出",
        " (ア) カウントで抽出",
        " (イ) コードで抽出",
        "（ウ）セル値で抽出",
        "（エ）上のコード(ｾﾙ値)以外を抽出",
        "（オ）元ファイルでのコードの出現状況",
    };
    int previous = 0;
    for (const char* title : titles) {
      const int at = static_cast<int>(lines.indexOf(Ui(title)));
      QVERIFY2(at > previous, title);
      QVERIFY2(lines[at - 1].isEmpty(), title);  // an empty line before every title
      previous = at;
    }
    QVERIFY(lines.indexOf(Ui("===== ヘルプ おわり =====")) > previous);
    const int code = static_cast<int>(lines.indexOf(Ui(" (イ) コードで抽出")));
    const int value = static_cast<int>(lines.indexOf(Ui("（ウ）セル値で抽出")));
    for (const char* sub : {"　ａ）コードキー番号", "　ｂ）コード"}) {
      const int at = static_cast<int>(lines.indexOf(Ui(sub)));
      QVERIFY2(at > code && at < value, sub);
    }
    for (const char* sub : {"　ａ）セルキー番号", "  ｂ）セル値"})
      QVERIFY2(lines.indexOf(Ui(sub)) > value, sub);
    // The copy switch is told in the text.
    QVERIFY(lines.join(QLatin1Char('\n')).contains(QStringLiteral(" # ")));
  }

  void copyButtonOnlyUnderTheCopySwitch_data() {
    QTest::addColumn<QString>("edit3");
    QTest::addColumn<bool>("copyShown");
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("record count") << QStringLiteral(" 1,234") << false;
    QTest::newRow("switch with a blank") << QStringLiteral(" #") << false;
    QTest::newRow("switch") << QStringLiteral("#") << true;
  }

  void copyButtonOnlyUnderTheCopySwitch() {
    QFETCH(QString, edit3);
    QFETCH(bool, copyShown);
    Form1->Edit3->setText(edit3);
    Form1->Button9Click();
    QVERIFY(Form3->isVisible());
    QCOMPARE(Form3->Button2->isVisible(), copyShown);
    QCOMPARE(Form1->CopySwitchText(), copyShown ? QStringLiteral("#") : QStringLiteral(" "));
  }

  void copyPutsTheWholeTextOnTheClipboard() {
    sifta::test::FakeDialogs dialogs;
    Form1->Edit3->setText(QStringLiteral("#"));
    Form1->Button9Click();
    QTextCursor cursor = Form3->Memo1->textCursor();
    cursor.setPosition(3);
    cursor.setPosition(8, QTextCursor::KeepAnchor);
    Form3->Memo1->setTextCursor(cursor);
    QApplication::clipboard()->setText(QStringLiteral("before"));
    Form3->Button2->click();
    QCOMPARE(QApplication::clipboard()->text().split(QLatin1Char('\n')), sifta::HelpLines());
    QCOMPARE(dialogs.beeps, 1);
    QCOMPARE(dialogs.boxes.size(), size_t{1});
    QVERIFY(dialogs.boxes[0].beepBefore);
    QCOMPARE(dialogs.boxes[0].text, Ui("**「ｺﾋﾟｰ」が終わりました。"));
  }

  void helpTwiceLeavesOneWindow() {
    Form1->Button9Click();
    Form1->Button9Click();
    int shown = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
      if (qobject_cast<TForm3*>(window) && window->isVisible()) ++shown;
    QCOMPARE(shown, 1);
    // The main window stays usable.
    QVERIFY(!Form3->isModal());
    QVERIFY(Form1->Button3->isEnabled());
  }

  void closeHidesAndHelpShowsAgain() {
    Form1->Button9Click();
    Form3->Button1->click();
    QVERIFY(!Form3->isVisible());
    QVERIFY(Form3 != nullptr);
    Form1->Edit3->setText(QStringLiteral("#"));
    Form1->Button9Click();
    QVERIFY(Form3->isVisible());
    QVERIFY(Form3->Button2->isVisible());
    QCOMPARE(Form3->Memo1->toPlainText().split(QLatin1Char('\n')).size(), 167);
  }

 private:
  std::unique_ptr<sifta::test::ProgramForms> forms_;
};

SIFTA_REGISTER_TEST(Sifta3Test)

#include "Sifta3Test.moc"
