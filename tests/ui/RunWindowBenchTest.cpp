// Not a test of its own: the window side of bench/window-vs-batch.sh. With
// SIFTA_BENCH_SOURCE and SIFTA_BENCH_EXTRACT set it chooses the source file
// through "元ﾌｧｲﾙの選択", states every RID item, cells 1 to 20 and every record,
// presses "抽出する" and prints the time the run took; otherwise it is skipped.
#include <QElapsedTimer>
#include <QRadioButton>
#include <QtTest>
#include <cstdio>

#include "FakeDialogs.h"
#include "Sifta1TestForms.h"
#include "TestRegistry.h"
#include "ui/ConditionTabs.h"
#include "ui/Sifta8.h"
#include "ui/StringGrid.h"

class RunWindowBenchTest : public QObject {
  Q_OBJECT

 private slots:
  void runThroughTheWindow() {
    const QString source = qEnvironmentVariable("SIFTA_BENCH_SOURCE");
    const QString extract = qEnvironmentVariable("SIFTA_BENCH_EXTRACT");
    if (source.isEmpty() || extract.isEmpty()) QSKIP("SIFTA_BENCH_SOURCE / SIFTA_BENCH_EXTRACT not set");
    sifta::test::ProgramForms forms;
    sifta::test::FakeDialogs dialogs;
    dialogs.openAnswers = {source};
    Form1->Button1Click();
    QCOMPARE(Form1->Edit1->text(), source);
    Form1->Edit2->setText(extract);
    Form1->Tabs->RadioButton1->click();
    Form1->Tabs->RadioButton4->click();
    Form1->Tabs->StringGrid2->SetCell(1, 1, QStringLiteral("1"));
    Form1->Tabs->StringGrid2->SetCell(2, 1, QStringLiteral("20"));
    Form1->Tabs->RadioButton5->click();
    dialogs.Clear();

    QElapsedTimer clock;
    clock.start();
    Form1->Button3Click();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;

    QCOMPARE(dialogs.Texts(),
             std::vector<QString>{sifta::Ui("** 終わりました。「終わり」ﾎﾞﾀﾝを押してください。")});
    std::printf("window-run-seconds %.3f\n", seconds);
    for (const std::string& line : Form8->Lines())
      std::printf("%s\n", sifta::FromSj(line).toUtf8().constData());
    std::fflush(stdout);
  }
};

SIFTA_REGISTER_TEST(RunWindowBenchTest)

#include "RunWindowBenchTest.moc"
