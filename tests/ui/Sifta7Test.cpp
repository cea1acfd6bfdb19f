// The @ dialog: its texts, the Enter moves, the entries and refusals with the
// focus they leave, the close control.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <functional>

#include "TestRegistry.h"
#include "ui/FakeDialogs.h"
#include "ui/QtText.h"
#include "ui/Sifta7.h"

using sifta::Ui;
using sifta::test::FakeDialogs;

namespace {

std::string Sjis(const char* utf8) { return sifta::ToSj(Ui(utf8)).value(); }

// Shows the dialog as a normal window so that focus and keys work as while
// it runs modally.
void ShowActive(TForm7& form) {
  form.show();
  form.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&form));
  form.Edit2->setFocus();
}

// Runs Ask() with `act` done once the dialog is open; the outcome of Ask().
std::optional<sifta::SubstitutionEntry> AskAnd(TForm7& form, std::function<void()> act) {
  QTimer::singleShot(0, &form, [&form, act] {
    act();
    // Whatever `act` left open is closed by the close control.
    if (form.isVisible()) form.windowHandle()->close();
  });
  return form.Ask();
}

}  // namespace

class Sifta7Test : public QObject {
  Q_OBJECT

 private slots:
  void showsItsTextsAndColours() {
    TForm7 form(nullptr, Sjis("最初の"), Sjis("０１"));
    QCOMPARE(form.windowTitle(), Ui("＠文字の入力"));
    QCOMPARE(form.Label1->text(), Ui("＠に相当する文字を入力してください。数字の場合は"));
    QCOMPARE(form.Label5->text(), Ui("範囲指定ができます。これが最後の指定ならチェック"));
    QCOMPARE(form.Label6->text(), Ui("してから[次へ]を押します。(入力文字は８桁以内)"));
    QCOMPARE(form.Label2->text(), Ui("を処理しました。"));
    QCOMPARE(form.Label3->text(), Ui("最初の＠に相当する文字："));
    QCOMPARE(form.Label4->text(), Ui("～"));
    QCOMPARE(form.CheckBox1->text(), Ui("これが最後の指定です"));
    QCOMPARE(form.Button1->text(), Ui("次　へ"));
    QCOMPARE(form.Edit1->text(), Ui("０１"));
    QVERIFY(form.Edit2->text().isEmpty());
    QVERIFY(form.Edit3->text().isEmpty());
    QVERIFY(!form.CheckBox1->isChecked());
    QVERIFY(!form.Edit3->isHidden());
    QVERIFY(!form.Label4->isHidden());
    QCOMPARE(form.palette().color(QPalette::Window), QColor(212, 242, 192));
    QCOMPARE(form.Edit2->palette().color(QPalette::Base), QColor(255, 255, 163));
    QCOMPARE(form.Edit3->palette().color(QPalette::Base), QColor(255, 255, 163));
    ShowActive(form);
    QVERIFY(form.Edit2->hasFocus());
  }

  void enterInTheLeftBoxMoves_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<bool>("rangeEndShown");
    QTest::newRow("digits") << "08" << true;
    QTest::newRow("digits between blanks") << " 08 " << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("letters") << "A" << false;
    QTest::newRow("full-width digits") << Ui("０８") << false;
  }
  void enterInTheLeftBoxMoves() {
    QFETCH(QString, left);
    QFETCH(bool, rangeEndShown);
    TForm7 form(nullptr);
    ShowActive(form);
    form.Edit3->setText(QStringLiteral("99"));
    form.Edit2->setText(left);
    QTest::keyClick(form.Edit2, Qt::Key_Return);
    QVERIFY(form.isVisible());  // the key is consumed: nothing is pressed
    QCOMPARE(!form.Edit3->isHidden(), rangeEndShown);
    QCOMPARE(!form.Label4->isHidden(), rangeEndShown);
    if (rangeEndShown) {
      QVERIFY(form.Edit3->hasFocus());
      QVERIFY(form.Edit3->text().isEmpty());
    } else {
      QVERIFY(form.CheckBox1->hasFocus());
      QCOMPARE(form.Edit3->text(), QStringLiteral("99"));  // a hidden box keeps its text
    }
  }

  void enterInTheRightBoxMovesToTheCheckBox() {
    TForm7 form(nullptr);
    ShowActive(form);
    form.Edit3->setFocus();
    QTest::keyClick(form.Edit3, Qt::Key_Enter);
    QVERIFY(form.isVisible());
    QVERIFY(form.CheckBox1->hasFocus());
  }

  void checkBoxClickOrCharacterMovesToNext() {
    TForm7 form(nullptr);
    ShowActive(form);
    form.CheckBox1->setFocus();
    QTest::keyClick(form.CheckBox1, Qt::Key_X);
    QVERIFY(form.Button1->hasFocus());
    QVERIFY(!form.CheckBox1->isChecked());

    form.CheckBox1->setFocus();
    QTest::keyClick(form.CheckBox1, Qt::Key_Return);
    QVERIFY(form.Button1->hasFocus());
    QVERIFY(form.isVisible());

    form.CheckBox1->setFocus();
    QTest::keyClick(form.CheckBox1, Qt::Key_Space);
    QVERIFY(form.CheckBox1->isChecked());
    QVERIFY(form.Button1->hasFocus());

    form.CheckBox1->setFocus();
    QTest::mouseClick(form.CheckBox1, Qt::LeftButton, {}, QPoint(6, form.CheckBox1->height() / 2));
    QVERIFY(!form.CheckBox1->isChecked());
    QVERIFY(form.Button1->hasFocus());
  }

  void escapeDoesNotClose() {
    TForm7 form(nullptr);
    ShowActive(form);
    QTest::keyClick(form.Edit2, Qt::Key_Escape);
    QVERIFY(form.isVisible());
  }

  void nextAcceptsOrRefuses_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("last");
    QTest::addColumn<QString>("refusal");  // empty: accepted
    QTest::addColumn<QString>("focus");    // after a refusal
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("width");
    const QString none;
    QTest::newRow("range") << "08"
                           << "12" << false << none << none << "08"
                           << "12" << 2;
    QTest::newRow("range, last") << "08"
                                 << "12" << true << none << none << "08"
                                 << "12" << 2;
    QTest::newRow("single text") << "A"
                                 << "B" << false << none << none << "A"
                                 << "A" << 1;
    QTest::newRow("digits, empty right") << "07"
                                         << "" << false << none << none << "07"
                                         << "07" << 2;
    QTest::newRow("trimmed") << " 07 "
                             << " 09 " << false << none << none << "07"
                             << "09" << 2;
    QTest::newRow("double-byte") << Ui("東京") << "" << false << none << none << Ui("東京") << Ui("東京")
                                 << 4;
    QTest::newRow("empty, last") << ""
                                 << "" << true << none << none << ""
                                 << "" << 0;
    QTest::newRow("empty") << ""
                           << "" << false << Ui("** 左側文字の指定がありません。") << "Edit2" << none << none
                           << 0;
    QTest::newRow("lengths differ") << "8"
                                    << "12" << false << Ui("** 左右の文字長さが異なります。") << "Edit2"
                                    << none << none << 0;
    QTest::newRow("reversed") << "12"
                              << "08" << false << Ui("** 左右の文字が逆順です。") << "Edit2" << none << none
                              << 0;
    QTest::newRow("right not digits")
        << "12"
        << "1A" << false << Ui("** 右側文字が非数字です。") << "Edit3" << none << none << 0;
  }
  void nextAcceptsOrRefuses() {
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(bool, last);
    QFETCH(QString, refusal);
    QFETCH(QString, focus);
    FakeDialogs dialogs;
    TForm7 form(nullptr, Sjis("つぎの"), {});
    QString focused;
    const auto entry = AskAnd(form, [&] {
      form.Edit2->setText(left);
      form.Edit3->setText(right);
      form.CheckBox1->setChecked(last);
      form.Button1->click();
      if (QWidget* widget = form.focusWidget()) focused = widget->objectName();
    });
    if (refusal.isEmpty()) {
      QFETCH(QString, current);
      QFETCH(QString, end);
      QFETCH(int, width);
      QVERIFY(entry.has_value());
      QVERIFY(dialogs.boxes.empty());
      QCOMPARE(sifta::FromSj(entry->rangeCurrent), current);
      QCOMPARE(sifta::FromSj(entry->rangeEnd), end);
      QCOMPARE(entry->rangeWidth, width);
      QCOMPARE(entry->lastEntry, last);
    } else {
      QVERIFY(!entry.has_value());  // still open, then closed by the close control
      QCOMPARE(dialogs.boxes.size(), size_t{1});
      QVERIFY(dialogs.boxes[0].beepBefore);
      QCOMPARE(dialogs.boxes[0].text, refusal);
      QCOMPARE(focused, focus);
    }
  }

  void refusalThenCorrectedEntryIsAccepted() {
    FakeDialogs dialogs;
    TForm7 form(nullptr);
    const auto entry = AskAnd(form, [&] {
      form.Edit2->setText(QStringLiteral("12"));
      form.Edit3->setText(QStringLiteral("08"));
      form.Button1->click();
      form.Edit2->setText(QStringLiteral("08"));
      form.Edit3->setText(QStringLiteral("12"));
      form.Button1->click();
    });
    QVERIFY(entry.has_value());
    QCOMPARE(entry->rangeEnd, std::string("12"));
    QCOMPARE(dialogs.boxes.size(), size_t{1});
  }

  void hiddenRightBoxIsStillReadAndShownToCorrect() {
    FakeDialogs dialogs;
    TForm7 form(nullptr);
    bool shownAgain = false;
    QString focused;
    AskAnd(form, [&] {
      form.Edit3->setText(QStringLiteral("1A"));
      form.Edit2->setText(QStringLiteral("A"));
      form.Edit2Enter();  // hides the right-hand box
      QVERIFY(form.Edit3->isHidden());
      form.Edit2->setText(QStringLiteral("12"));
      form.Button1->click();
      shownAgain = !form.Edit3->isHidden() && !form.Label4->isHidden();
      if (QWidget* widget = form.focusWidget()) focused = widget->objectName();
    });
    QCOMPARE(dialogs.LastText(), Ui("** 右側文字が非数字です。"));
    QVERIFY(shownAgain);
    QCOMPARE(focused, QStringLiteral("Edit3"));
  }

  void characterWithoutShiftJisFormIsRefused_data() {
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("focus");
    QTest::newRow("left") << QString::fromUtf8("a\xF0\x9F\x98\x80") << ""
                          << "Edit2";
    QTest::newRow("right of digits") << "01" << QString::fromUtf8("\xF0\x9F\x98\x80") << "Edit3";
  }
  void characterWithoutShiftJisFormIsRefused() {
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(QString, focus);
    FakeDialogs dialogs;
    TForm7 form(nullptr);
    QString focused;
    const auto entry = AskAnd(form, [&] {
      form.Edit2->setText(left);
      form.Edit3->setText(right);
      form.Button1->click();
      if (QWidget* widget = form.focusWidget()) focused = widget->objectName();
    });
    QVERIFY(!entry.has_value());
    QCOMPARE(dialogs.boxes.size(), size_t{1});
    QVERIFY(dialogs.boxes[0].beepBefore);
    QVERIFY(dialogs.boxes[0].text.startsWith(QStringLiteral("** ")));
    QCOMPARE(focused, focus);
  }

  void rightBoxWithoutShiftJisFormIsNotReadForALetterEntry() {
    FakeDialogs dialogs;
    TForm7 form(nullptr);
    const auto entry = AskAnd(form, [&] {
      form.Edit2->setText(QStringLiteral("A"));
      form.Edit3->setText(QString::fromUtf8("\xF0\x9F\x98\x80"));
      form.Button1->click();
    });
    QVERIFY(entry.has_value());
    QCOMPARE(entry->rangeCurrent, std::string("A"));
    QVERIFY(dialogs.boxes.empty());
  }

  void keyboardAloneWalksThroughTheDialog() {
    FakeDialogs dialogs;
    TForm7 form(nullptr);
    const auto entry = AskAnd(form, [&] {
      QTest::keyClicks(form.Edit2, QStringLiteral("08"));
      QTest::keyClick(form.Edit2, Qt::Key_Return);
      QCOMPARE(form.focusWidget(), form.Edit3);
      QTest::keyClicks(form.Edit3, QStringLiteral("12"));
      QTest::keyClick(form.Edit3, Qt::Key_Return);
      QCOMPARE(form.focusWidget(), form.CheckBox1);
      QTest::keyClick(form.CheckBox1, Qt::Key_Space);
      QCOMPARE(form.focusWidget(), form.Button1);
      QTest::keyClick(form.Button1, Qt::Key_Return);
    });
    QVERIFY(entry.has_value());
    QCOMPARE(entry->rangeCurrent, std::string("08"));
    QCOMPARE(entry->rangeEnd, std::string("12"));
    QVERIFY(entry->lastEntry);
    QVERIFY(dialogs.boxes.empty());
  }

  void closeControlGivesNothing() {
    FakeDialogs dialogs;
    TForm7 form(nullptr);
    const auto entry = AskAnd(form, [&] { form.Edit2->setText(QStringLiteral("01")); });
    QVERIFY(!entry.has_value());
    QVERIFY(dialogs.boxes.empty());
  }
};

SIFTA_REGISTER_TEST(Sifta7Test)
#include "Sifta7Test.moc"
