// Not a test of its own: scripts/screenshots runs it under Xvfb to save
// pictures of the windows into SIFTA_SCREENSHOT_DIR (skipped without it).
// SIFTA_SAMPLE names the sample table; SIFTA_SCREENSHOT_LARGE, when set, a
// file large enough for the progress window to tick during its run.
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTabWidget>
#include <QToolTip>
#include <QtTest>

#include "FakeDialogs.h"
#include "Sifta1TestForms.h"
#include "TestRegistry.h"
#include "ui/ConditionTabs.h"
#include "ui/MainWindowLayer.h"
#include "ui/Sifta2.h"
#include "ui/Sifta3.h"
#include "ui/Sifta4.h"
#include "ui/Sifta6.h"
#include "ui/Sifta8.h"
#include "ui/StringGrid.h"

using sifta::Ui;
using Answer = sifta::Dialogs::Answer;

class Sifta1ScreenshotTest : public QObject {
  Q_OBJECT

 private slots:
  // A skip in initTestCase would carry over to the classes run after this
  // one: every function skips by itself.
  void init() {
    dir_ = qEnvironmentVariable("SIFTA_SCREENSHOT_DIR");
    sample_ = qEnvironmentVariable("SIFTA_SAMPLE");
  }

  void windowsOfARun() {
    if (dir_.isEmpty() || sample_.isEmpty()) QSKIP("SIFTA_SCREENSHOT_DIR / SIFTA_SAMPLE not set");
    QVERIFY(folder_.isValid());
    QVERIFY(QFile::exists(sample_));
    sifta::test::ProgramForms forms;
    sifta::test::FakeDialogs dialogs;
    const QString data = folder_.filePath(Ui("統計データ"));
    QDir().mkpath(data);
    for (const char* n : {"1", "2"})
      QVERIFY(QFile::copy(sample_, data + QStringLiteral("/sample%1.csv").arg(QLatin1String(n))));

    dialogs.openAnswers = {data + QStringLiteral("/sample1.csv")};
    Form1->Button1Click();
    Form1->Edit1->setText(data + QStringLiteral("/sample@.csv"));
    Form1->Edit2->setText(folder_.filePath(Ui("抽出/東京と大阪.csv")));
    ConditionTabs& tabs = *Form1->Tabs;
    tabs.RadioButton2->click();
    tabs.StringGrid1->SetCell(1, 1, QStringLiteral("1"));
    tabs.StringGrid1->SetCell(2, 1, QStringLiteral("2"));
    tabs.RadioButton4->click();
    tabs.StringGrid2->SetCell(1, 1, QStringLiteral("1"));
    tabs.StringGrid2->SetCell(2, 1, QStringLiteral("3"));
    tabs.StringGrid2->SetCell(1, 2, QStringLiteral("5"));
    tabs.StringGrid2->SetCell(2, 2, QStringLiteral("*"));
    tabs.CheckBox1->click();
    tabs.RadioButton7->click();
    tabs.StringGrid4->SetCell(1, 1, QStringLiteral("1"));
    tabs.StringGrid5->SetCell(1, 1, QStringLiteral("13000"));
    tabs.StringGrid5->SetCell(1, 2, QStringLiteral("27000"));
    tabs.RadioButton9->click();
    for (int tab = 0; tab < 3; ++tab) {
      tabs.PageControl1->setCurrentIndex(tab);
      Save(Form1, tab == 0 ? "main-window" : tab == 1 ? "main-window-cells" : "main-window-records");
    }
    tabs.PageControl1->setCurrentIndex(1);
    ShowHintOf(tabs.StringGrid2, "hint-cell-grid");
    tabs.PageControl1->setCurrentIndex(0);
    ShowContextMenu("context-menu");

    // The series: 1 to 2, through the @ dialog.
    QTimer answer;
    answer.setInterval(20);
    bool shot = false;
    connect(&answer, &QTimer::timeout, this, [&] {
      auto* dialog = qobject_cast<TForm7*>(QApplication::activeModalWidget());
      if (!dialog) return;
      dialog->Edit2->setText(QStringLiteral("1"));
      dialog->Edit3->setText(QStringLiteral("2"));
      dialog->CheckBox1->setChecked(true);
      if (!shot) {
        shot = true;
        Save(dialog, "substitution-dialog");
      }
      dialog->Button1Click();
    });
    answer.start();
    Form1->Button3Click();
    answer.stop();
    QCOMPARE(dialogs.LastText(), Ui("** 終わりました。「終わり」ﾎﾞﾀﾝを押してください。"));
    Save(Form1, "main-window-after-run");

    Form1->Button6Click();
    Save(Form8, "record-count-list");
    dialogs.questionAnswers = {Answer::Yes};
    Form1->Button7Click();
    Save(Form4, "source-information");
    Form1->Button8Click();
    Save(Form6, "extract-information");
    Form1->Edit3->setText(QStringLiteral("#"));
    Form1->Button9Click();
    Save(Form3, "help");
  }

  void progressWindowDuringALargeRun() {
    const QString large = qEnvironmentVariable("SIFTA_SCREENSHOT_LARGE");
    if (dir_.isEmpty() || large.isEmpty()) QSKIP("SIFTA_SCREENSHOT_DIR / SIFTA_SCREENSHOT_LARGE not set");
    sifta::test::ProgramForms forms;
    sifta::test::FakeDialogs dialogs;
    dialogs.openAnswers = {large};
    Form1->Button1Click();
    // The large file as the only member of a series, so that "＠文字：" shows.
    QString series = large;
    series.replace(QRegularExpression(QStringLiteral("1(\\.csv)$")), QStringLiteral("@\\1"));
    QVERIFY(series.contains(QLatin1Char('@')));
    Form1->Edit1->setText(series);
    Form1->Edit2->setText(folder_.filePath(QStringLiteral("large-out.csv")));
    Form1->Tabs->RadioButton1->click();
    Form1->Tabs->RadioButton3->click();
    Form1->Tabs->RadioButton5->click();

    sifta::test::SubstitutionAnswers entries({{QStringLiteral("1"), QString(), true}});
    bool shot = false;
    QTimer watch;
    watch.setInterval(50);
    connect(&watch, &QTimer::timeout, this, [&] {
      if (shot || !Form2 || Form2->Edit1->text().isEmpty()) return;
      shot = true;
      Save(Form2, "progress");
      dialogs.questionAnswers = {Answer::Yes};
      Form2->Button1Click();
    });
    watch.start();
    Form1->Button3Click();
    watch.stop();
    QVERIFY2(shot, "the run ended before its first second: use a larger file");
  }

 private:
  void Save(QWidget* widget, const char* name) {
    QApplication::processEvents();
    const QString path = dir_ + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    QVERIFY(widget->grab().save(path));
    std::printf("saved %s\n", qPrintable(path));
  }

  // A hint is a window of its own: the screen around it is grabbed.
  void ShowHintOf(QWidget* widget, const char* name) {
    QWidget* window = widget->window();
    // Activation and the pointer's moves hide a hint: both come first.
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window)) std::printf("the window is not active\n");
    const QPoint at = widget->mapToGlobal(QPoint(widget->width() / 2, 10));
    QCursor::setPos(at);
    QTest::qWait(100);
    QHelpEvent event(QEvent::ToolTip, widget->mapFromGlobal(at), at);
    QApplication::sendEvent(widget, &event);
    QTest::qWait(300);
    if (!QToolTip::isVisible()) {
      std::printf("no hint shown for %s\n", qPrintable(widget->objectName()));
      return;
    }
    const QRect area = window->frameGeometry().united(QRect(at, QSize(420, 240)));
    const QPixmap shot =
        QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const QString path = dir_ + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    QVERIFY(shot.save(path));
    std::printf("saved %s\n", qPrintable(path));
    QToolTip::hideText();
  }

  // The main window's context menu, opened where a right click on the
  // window would open it.
  void ShowContextMenu(const char* name) {
    Form1->activateWindow();
    if (!QTest::qWaitForWindowActive(Form1)) std::printf("the window is not active\n");
    const QPoint at = Form1->mapToGlobal(QPoint(470, 170));
    Form1->PopupMenu1->popup(at);
    QTest::qWait(300);
    const QRect area = Form1->frameGeometry().united(Form1->PopupMenu1->geometry());
    const QPixmap shot =
        QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const QString path = dir_ + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    QVERIFY(shot.save(path));
    std::printf("saved %s\n", qPrintable(path));
    Form1->PopupMenu1->hide();
  }

  QString dir_;
  QString sample_;
  QTemporaryDir folder_{QStringLiteral("/tmp/sifta-XXXXXX")};
};

SIFTA_REGISTER_TEST(Sifta1ScreenshotTest)

#include "Sifta1ScreenshotTest.moc"
