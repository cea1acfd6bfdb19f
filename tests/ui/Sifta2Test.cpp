// The progress window: the elapsed time, how far the file is, the cancel question, the close control.
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <optional>

#include "TestRegistry.h"
#include "run/ProgressEstimate.h"
#include "ui/FakeDialogs.h"
#include "ui/QtText.h"
#include "ui/Sifta2.h"

using sifta::Ui;
using sifta::test::FakeDialogs;
using Answer = sifta::Dialogs::Answer;

namespace {

// What the window system delivers when the user presses the window's close
// control: a close event to the native window. True when it was accepted.
bool CloseControl(QWidget& form) {
  QCloseEvent event;
  QCoreApplication::sendEvent(form.windowHandle(), &event);
  return event.isAccepted();
}

}  // namespace

class Sifta2Test : public QObject {
  Q_OBJECT

 private slots:
  void setUpWithoutSeriesHidesTheSubstitution() {
    TForm2 form(nullptr);
    form.SetUp(false, "x");
    QCOMPARE(form.windowTitle(), Ui("実行状況…"));
    QCOMPARE(form.size(), QSize(382, 158));
    QVERIFY(form.isVisible());
    QVERIFY(form.Label3->isHidden());
    QVERIFY(form.Edit2->isHidden());
    QCOMPARE(form.Label1->text(), Ui("　実行中です。しばらくお待ちください…　"));
    QVERIFY(form.Label1->font().bold());
    QCOMPARE(form.Label1->font().pixelSize(), 16);
    QCOMPARE(form.palette().color(QPalette::Window), QColor(230, 203, 254));
    QCOMPARE(form.Label1->palette().color(QPalette::Window), QColor(255, 255, 157));
    QVERIFY(form.Label1->autoFillBackground());
    QCOMPARE(form.Button1->text(), Ui("キャンセル"));
    QCOMPARE(form.Label2->text(), Ui("経過時間："));
    QVERIFY(form.Edit1->isReadOnly());
    QVERIFY(form.Edit1->font().bold());
    QVERIFY(form.Edit1->text().isEmpty());  // until the first tick
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(form.Timer1->interval(), 1000);
  }

  // The share of the file read, the records and the time left; a file of
  // unknown size (a pipe) shows no bar.
  void showProgressShowsHowFarTheFileIs() {
    TForm2 form(nullptr);
    form.SetUp(false, "x");
    QVERIFY(form.Edit3->text().isEmpty());
    form.ShowProgress(sifta::FileProgress{4000, 1000, 1234567});
    QVERIFY(form.ProgressBar1->isVisible());
    QCOMPARE(form.ProgressBar1->value(), 250);
    QCOMPARE(form.Edit3->text(), QStringLiteral("1,234,567 "));
    QVERIFY(form.Edit4->text().isEmpty());  // not before a second has passed
    QCOMPARE(sifta::SecondsLeft(sifta::FileProgress{4000, 1000, 0}, 2000), std::optional<std::int64_t>(6));
    form.ShowProgress(sifta::FileProgress{0, 1000, 5});
    QVERIFY(form.ProgressBar1->isHidden());
    QCOMPARE(form.Edit3->text(), QStringLiteral("5 "));
  }

  void setUpInASeriesShowsTheSubstitutionAfterABlank() {
    TForm2 form(nullptr);
    form.SetUp(true, sifta::ToSj(Ui("０８")).value());
    QVERIFY(!form.Label3->isHidden());
    QVERIFY(!form.Edit2->isHidden());
    QCOMPARE(form.Label3->text(), Ui("＠文字："));
    QCOMPARE(form.Edit2->text(), Ui(" ０８"));
  }

  void timerTickShowsTheElapsedTime_data() {
    QTest::addColumn<int>("elapsedBefore");
    QTest::addColumn<QString>("shown");
    QTest::newRow("first tick") << 0 << " 00:00:01";
    QTest::newRow("a minute") << 59000 << " 00:01:00";
    QTest::newRow("an hour") << 3599000 << " 01:00:00";
    QTest::newRow("last second of a day") << 86398000 << " 23:59:59";
    QTest::newRow("past 24 hours") << 86399000 << " 00:00:00";
  }
  void timerTickShowsTheElapsedTime() {
    QFETCH(int, elapsedBefore);
    QFETCH(QString, shown);
    TForm2 form(nullptr);
    form.SetUp(false, {});
    form.elapsedMs = elapsedBefore;
    form.Timer1Timer();
    QCOMPARE(form.Edit1->text(), shown);
  }

  void ticksCountOnFromTheRunsElapsedTime() {
    TForm2 form(nullptr);
    form.SetUp(false, {});
    for (int i = 0; i < 3; ++i) form.Timer1Timer();
    QCOMPARE(form.elapsedMs, 3000);
    QCOMPARE(form.Edit1->text(), QStringLiteral(" 00:00:03"));
  }

  void timerTicksArriveAsEvents() {
    TForm2 form(nullptr);
    form.SetUp(false, {});
    QTRY_COMPARE_WITH_TIMEOUT(form.Edit1->text(), QStringLiteral(" 00:00:01"), 3000);
  }

  void cancelAnsweredYesStopsTheTimerAndSetsTheRequest() {
    FakeDialogs dialogs;
    dialogs.questionAnswers = {Answer::Yes};
    TForm2 form(nullptr);
    form.SetUp(false, {});
    form.Button1->click();
    QCOMPARE(dialogs.boxes.size(), size_t{1});
    const FakeDialogs::Box& box = dialogs.boxes[0];
    QVERIFY(box.beepBefore);
    QCOMPARE(box.kind, FakeDialogs::Kind::Question);
    QCOMPARE(box.text, Ui("キャンセルしますか？"));
    QCOMPARE(box.caption, Ui("確認"));
    QCOMPARE(box.yesText, Ui("はい(&Y)"));
    QCOMPARE(box.noText, Ui("いいえ(&N)"));
    QVERIFY(!box.withCancel);
    QVERIFY(form.cancelRequest);
    QVERIFY(!form.Timer1->isActive());
  }

  void cancelAnsweredNoChangesNothing() {
    FakeDialogs dialogs;
    dialogs.questionAnswers = {Answer::No};
    TForm2 form(nullptr);
    form.SetUp(false, {});
    // A tick handled while the question is open still counts.
    dialogs.onBox = [&](const FakeDialogs::Box&) { form.Timer1Timer(); };
    form.Button1Click();
    QVERIFY(!form.cancelRequest);
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(form.elapsedMs, 1000);
  }

  void closeControlActsAsCancel() {
    FakeDialogs dialogs;
    dialogs.questionAnswers = {Answer::No, Answer::Yes};
    TForm2 form(nullptr);
    form.SetUp(false, {});
    QVERIFY(!CloseControl(form));
    QCOMPARE(dialogs.boxes.size(), size_t{1});
    QCOMPARE(dialogs.boxes[0].text, Ui("キャンセルしますか？"));
    QVERIFY(form.isVisible());  // the run still owns the window
    QVERIFY(!form.cancelRequest);
    QVERIFY(!CloseControl(form));
    QVERIFY(form.isVisible());
    QVERIFY(form.cancelRequest);
    QVERIFY(!form.Timer1->isActive());
  }

  void closeByTheProgramAsksNothing() {
    FakeDialogs dialogs;
    TForm2 form(nullptr);
    form.SetUp(false, {});
    QVERIFY(form.close());
    QVERIFY(!form.isVisible());
    QVERIFY(dialogs.boxes.empty());
  }
};

SIFTA_REGISTER_TEST(Sifta2Test)
#include "Sifta2Test.moc"
