// Runs from the main window: the source choice, the run button through the
// window layer to the closing message, file series through the @ dialog, the
// progress window's cancel, the lock while a run is under way, and the
// information windows the main window opens.
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QUrl>
#include <QtTest>

#include "FakeDialogs.h"
#include "Sifta1TestForms.h"
#include "TestRegistry.h"
#include "ui/ConditionTabs.h"
#include "ui/MainWindowLayer.h"
#include "ui/Sifta2.h"
#include "ui/Sifta4.h"
#include "ui/Sifta5.h"
#include "ui/Sifta6.h"
#include "ui/Sifta8.h"
#include "ui/StringGrid.h"

using sifta::Ui;
using sifta::test::DialogEntry;
using sifta::test::FakeDialogs;
using sifta::test::SjLines;
using Answer = sifta::Dialogs::Answer;

namespace {

const char* const kFinished = "** 終わりました。「終わり」ﾎﾞﾀﾝを押してください。";
const char* const kHeadingQuestion =
    "「標準の見出し」がありません。\n"
    "　「ユーザの見出し」ならば --> 「はい」\n"
    "　「見出し」がないなら　　　--> 「いいえ」\n"
    "を押してください。";

// A small statistics table: two RID items, three cells, a quoted mark.
std::string StandardTable() {
  return SjLines({"ID,NAME,ｾﾙ1,ｾﾙ2,ｾﾙ3", "01,東京,1,\"X\",3", "02,大阪,4,5,6", "03,名古屋,7,8,9"});
}

// Decoded list lines of the record count list window.
QStringList ListLines() {
  QStringList lines;
  for (const std::string& line : Form8->Lines()) lines << sifta::FromSj(line);
  return lines;
}

bool IsTimeField(const QString& text) {
  return QRegularExpression(QStringLiteral("^ \\d\\d:\\d\\d:\\d\\d$")).match(text).hasMatch();
}

// Every RID item, every cell, every record.
void ChooseEverything() {
  Form1->Tabs->RadioButton1->click();
  Form1->Tabs->RadioButton3->click();
  Form1->Tabs->RadioButton5->click();
}

}  // namespace

class RunFromWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    forms_ = std::make_unique<sifta::test::ProgramForms>();
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    dialogs_ = std::make_unique<FakeDialogs>();
  }

  void cleanup() {
    dialogs_.reset();
    forms_.reset();
    folder_.reset();
  }

  void fullRunFromTheSourceChoiceToTheClosingMessage() {
    const QString source = Path("in/統計.csv");
    const QString extract = Path("out/new/extract.csv");
    sifta::test::WriteBytes(source, StandardTable());

    dialogs_->openAnswers = {source};
    Form1->Button1->click();
    QCOMPARE(dialogs_->fileDialogs.size(), size_t{1});
    QCOMPARE(dialogs_->fileDialogs[0].filter, Ui("すべてのファイル（＠なし）|*.*"));
    QVERIFY(dialogs_->boxes.empty());
    QCOMPARE(Form1->Edit1->text(), source);
    QVERIFY(!Form1->Edit1->isReadOnly());
    QVERIFY(Form1->Label3->isVisibleTo(Form1));
    QCOMPARE(Form1->focusWidget(), Form1->Button2);
    QVERIFY(Form1->Button7->isEnabled());
    QCOMPARE(Form1->Layout().ridItemCount, 2);
    QCOMPARE(Form1->Layout().bodyCellCount, 3);

    dialogs_->saveAnswers = {extract};
    Form1->Button2->click();
    QCOMPARE(Form1->Edit2->text(), extract);

    // Both RID items, cells 2 and 3, records from the second on.
    Form1->Tabs->RadioButton1->click();
    Form1->Tabs->RadioButton4->click();
    Form1->Tabs->StringGrid2->SetCell(1, 1, QStringLiteral("2"));
    Form1->Tabs->StringGrid2->SetCell(2, 1, QStringLiteral("3"));
    Form1->Tabs->RadioButton6->click();
    Form1->Tabs->StringGrid4->SetCell(1, 1, QStringLiteral("2"));
    Form1->Tabs->StringGrid4->SetCell(2, 1, QStringLiteral("*"));
    dialogs_->Clear();
    Form1->Button3->click();

    QCOMPARE(dialogs_->Texts(), std::vector<QString>{Ui(kFinished)});
    QVERIFY(dialogs_->boxes[0].beepBefore);
    QCOMPARE(dialogs_->beeps, 1);
    QCOMPARE(Form1->Edit6->text(), QStringLiteral(" 3"));
    QCOMPARE(Form1->Edit3->text(), QStringLiteral(" 2"));
    QVERIFY2(IsTimeField(Form1->Edit4->text()), qPrintable(Form1->Edit4->text()));
    QVERIFY2(IsTimeField(Form1->Edit5->text()), qPrintable(Form1->Edit5->text()));
    QCOMPARE(Form8->Edit1->text(), QStringLiteral(" 2"));
    QCOMPARE(ListLines(), QStringList({Ui("元ファイル名　：") + source, Ui("抽出ファイル名：") + extract,
                                       Ui(" 元ﾌｧｲﾙﾚｺｰﾄﾞ数　：3"), Ui(" 抽出ﾌｧｲﾙﾚｺｰﾄﾞ数：2")}));
    QCOMPARE(sifta::test::ReadBytes(extract), SjLines({"ID,NAME,ｾﾙ2,ｾﾙ3", "02,大阪,5,6", "03,名古屋,8,9"}));
    for (QPushButton* button :
         {Form1->Button1, Form1->Button2, Form1->Button3, Form1->Button4, Form1->Button6, Form1->Button8})
      QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
    QCOMPARE(Form1->focusWidget(), Form1->Button4);
    QVERIFY(!Form1->RunInProgress());
    QVERIFY(Form2 == nullptr);

    Form1->Button6->click();
    QVERIFY(Form8->isVisible());
    dialogs_->Clear();
    Form1->Button8->click();
    QVERIFY(dialogs_->boxes.empty());
    QVERIFY(Form6->isVisible());
    QCOMPARE(Form6->Edit1->text(), QStringLiteral(" 2"));
    QCOMPARE(Form6->Edit5->text(), extract);
    QCOMPARE(Form6->Edit2->text(), QStringLiteral(" 4"));
    QCOMPARE(Form6->Edit3->text(), QStringLiteral(" 2"));
  }

  void headingKindSwitchesTheTabs_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("answer");  // -1: no question
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("complete");
    const auto row = [](const char* name, const std::string& content, int answer, sifta::HeadingKind kind,
                        bool complete) {
      QTest::newRow(name) << QByteArray::fromStdString(content) << answer << static_cast<int>(kind)
                          << complete;
    };
    row("standard", StandardTable(), -1, sifta::HeadingKind::Standard, true);
    row("user heading", SjLines({"地域,人口", "東京,1"}), static_cast<int>(Answer::Yes),
        sifta::HeadingKind::User, true);
    row("no heading", SjLines({"01,1,2", "02,3,4"}), static_cast<int>(Answer::No), sifta::HeadingKind::None,
        true);
    // The tabs follow the kind before the missing record is noticed.
    row("user heading without data", SjLines({"地域,人口"}), static_cast<int>(Answer::Yes),
        sifta::HeadingKind::User, false);
    row("standard without data", SjLines({"ID,ｾﾙ1"}), -1, sifta::HeadingKind::Standard, false);
  }

  void headingKindSwitchesTheTabs() {
    QFETCH(QByteArray, content);
    QFETCH(int, answer);
    QFETCH(int, kind);
    QFETCH(bool, complete);
    // Start from the opposite state of the tabs.
    const bool standard = kind == static_cast<int>(sifta::HeadingKind::Standard);
    Form1->Tabs->SetHeadingKind(standard ? sifta::HeadingKind::None : sifta::HeadingKind::Standard);
    const QString source = Path("source.csv");
    sifta::test::WriteBytes(source, content.toStdString());
    dialogs_->openAnswers = {source};
    if (answer >= 0) dialogs_->questionAnswers = {static_cast<Answer>(answer)};
    Form1->Button1Click();

    std::vector<QString> expected;
    if (answer >= 0) expected.push_back(BoxText(kHeadingQuestion));
    if (!complete) expected.push_back(Ui("** 元ﾌｧｲﾙにﾃﾞｰﾀがありません。"));
    QCOMPARE(dialogs_->Texts(), expected);
    for (const auto& box : dialogs_->boxes) QVERIFY(box.beepBefore);
    if (answer >= 0) QVERIFY(dialogs_->boxes[0].withCancel);
    QCOMPARE(Form1->Tabs->PageControl1->isTabVisible(0), standard);
    QCOMPARE(Form1->Tabs->RadioButton7->isEnabled(), standard);
    QCOMPARE(Form1->Tabs->RadioButton12->isEnabled(), standard);
    QCOMPARE(static_cast<int>(Form1->Layout().headingKind), kind);
    QCOMPARE(Form1->Edit1->text(), source);
    QCOMPARE(Form1->Label3->isVisibleTo(Form1), complete);
    QCOMPARE(Form1->Edit1->isReadOnly(), !complete);
    QCOMPARE(Form1->Button7->isEnabled(), complete);
  }

  void sampleTableOpensAtOnce() {
    const QString sample = QFINDTESTDATA("../../examples/sample.csv");
    QVERIFY(!sample.isEmpty());
    dialogs_->openAnswers = {sample};
    Form1->Button1Click();
    QVERIFY(dialogs_->boxes.empty());
    QCOMPARE(Form1->Layout().headingKind, sifta::HeadingKind::Standard);
    QCOMPARE(Form1->Layout().ridItemCount, 3);
    QCOMPARE(Form1->Layout().bodyCellCount, 6);
    const std::string bytes = sifta::test::ReadBytes(sample);
    QVERIFY(bytes.find("\"X\"") != std::string::npos);
    QVERIFY(bytes.find("\r\n") != std::string::npos);
    QVERIFY(bytes.find(sifta::Sj("北海道")) != std::string::npos);
  }

  void cancelInTheQuestionStartsAgain() {
    const QString first = Path("first.csv");
    const QString second = Path("second.csv");
    sifta::test::WriteBytes(first, StandardTable());
    sifta::test::WriteBytes(second, SjLines({"a,b", "1,2"}));
    dialogs_->openAnswers = {first, second};
    dialogs_->questionAnswers = {Answer::Cancel};
    Form1->Button1Click();
    Form1->Button1Click();
    QCOMPARE(dialogs_->Texts(), std::vector<QString>({BoxText(kHeadingQuestion),
                                                      Ui("**「元ﾌｧｲﾙの選択」からやり直しでください。")}));
    QVERIFY(dialogs_->boxes[1].beepBefore);
    QVERIFY(Form1->Edit1->text().isEmpty());
    // What the first choice set stays.
    QVERIFY(Form1->Tabs->PageControl1->isTabVisible(0));
    QVERIFY(Form1->Tabs->RadioButton7->isEnabled());
    QVERIFY(Form1->Button7->isEnabled());
    QCOMPARE(Form1->Layout().fileName, sifta::PathBytes(first));
  }

  void atInTheChosenPathAsksAgain() {
    const QString good = Path("ok＠.csv");  // the full-width ＠ is no placeholder
    sifta::test::WriteBytes(good, StandardTable());
    dialogs_->openAnswers = {Path("data@/x.csv"), good};
    Form1->Button1Click();
    QCOMPARE(dialogs_->fileDialogs.size(), size_t{2});
    QCOMPARE(dialogs_->Texts(),
             std::vector<QString>{
                 Ui("** この段階では＠を指定できません。\n    最初に処理するﾌｧｲﾙを指定してください。")});
    QVERIFY(dialogs_->boxes[0].beepBefore);
    QCOMPARE(Form1->Edit1->text(), good);
    QVERIFY(Form1->Button7->isEnabled());
  }

  void openDialogCancelledChangesNothing() {
    dialogs_->openAnswers = {std::nullopt};
    Form1->Button1Click();
    QVERIFY(dialogs_->boxes.empty());
    QVERIFY(Form1->Edit1->isReadOnly());
    QVERIFY(!Form1->Button7->isEnabled());
  }

  void planErrorMovesTheFocus_data() {
    QTest::addColumn<bool>("chooseSource");
    QTest::addColumn<QString>("extract");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("no source") << false << QStringLiteral("x.csv") << Ui("** 元ファイルの指定がありません。")
                               << "Button1";
    QTest::newRow("no extract") << true << QString() << Ui("** 抽出ファイルの指定がありません。")
                                << "Button2";
    QTest::newRow("@ only in the extract")
        << true << QStringLiteral("out@.csv") << Ui("** 抽出ﾌｧｲﾙの＠は元ﾌｧｲﾙに＠がないので指定できません。")
        << "Button2";
  }

  void planErrorMovesTheFocus() {
    QFETCH(bool, chooseSource);
    QFETCH(QString, extract);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    if (chooseSource) ChooseSource(Path("source.csv"), StandardTable());
    Form1->Edit2->setText(extract);
    ChooseEverything();
    for (QLineEdit* field : {Form1->Edit3, Form1->Edit4, Form1->Edit5, Form1->Edit6})
      field->setText(QStringLiteral("old"));
    Form1->Button9->setFocus();
    dialogs_->Clear();
    Form1->Button3Click();
    QCOMPARE(dialogs_->Texts(), std::vector<QString>{message});
    QCOMPARE(dialogs_->beeps, 1);
    QVERIFY(dialogs_->boxes[0].beepBefore);
    QCOMPARE(Form1->focusWidget()->objectName(), focus);
    for (QLineEdit* field : {Form1->Edit3, Form1->Edit4, Form1->Edit5, Form1->Edit6})
      QVERIFY(field->text().isEmpty());
    QVERIFY(Form1->Button4->isEnabled());
    QVERIFY(!Form1->Button6->isEnabled());
  }

  void conversionFailureWithoutBeep() {
    ChooseSource(Path("source.csv"), StandardTable());
    Form1->Edit2->setText(Path("out.csv"));
    ChooseEverything();
    Form1->Tabs->RadioButton6->click();
    Form1->Tabs->StringGrid4->SetCell(1, 1, QStringLiteral("1x"));
    Form1->Button9->setFocus();
    dialogs_->Clear();
    Form1->Button3Click();
    QCOMPARE(dialogs_->Texts(), std::vector<QString>{Ui("'1x' は整数ではありません")});
    QCOMPARE(dialogs_->beeps, 0);
    QCOMPARE(dialogs_->boxes[0].kind, FakeDialogs::Kind::Error);
    QCOMPARE(Form1->focusWidget(), Form1->Button9);
    QVERIFY(!QFile::exists(Path("out.csv")));
  }

  void seriesThroughTheSubstitutionDialog() {
    for (const char* name : {"01", "02", "A"})
      sifta::test::WriteBytes(Path(QStringLiteral("data%1.csv").arg(QLatin1String(name))),
                              SjLines({"ID,ｾﾙ1", (std::string(name) + ",1").c_str()}));
    ChooseSource(Path("data01.csv"), SjLines({"ID,ｾﾙ1", "01,1"}));
    Form1->Edit1->setText(Path("data@.csv"));
    Form1->Edit2->setText(Path("out.csv"));
    ChooseEverything();
    sifta::test::SubstitutionAnswers answers({
        {QStringLiteral("01"), QStringLiteral("02")},  // a range
        {QStringLiteral("8"), QStringLiteral("12")},   // refused: lengths differ
        {QStringLiteral("A"), QStringLiteral("B")},    // a single text
        {QString(), QString(), true},                  // empty, the end
    });
    dialogs_->Clear();
    Form1->Button3Click();

    QCOMPARE(answers.dialogsShown, 3);
    QCOMPARE(answers.prompts, QStringList({Ui("最初の＠に相当する文字："), Ui("つぎの＠に相当する文字："),
                                           Ui("つぎの＠に相当する文字：")}));
    QCOMPARE(answers.doneTexts, QStringList({QString(), QStringLiteral("02"), QStringLiteral("A")}));
    QCOMPARE(dialogs_->Texts(), std::vector<QString>({Ui("** 左右の文字長さが異なります。"), Ui(kFinished)}));
    QCOMPARE(sifta::test::ReadBytes(Path("out.csv")), SjLines({"ID,ｾﾙ1", "01,1", "02,1", "A,1"}));
    const QStringList lines = ListLines();
    QCOMPARE(lines.size(), 18);
    QCOMPARE(lines[0], QStringLiteral(" ---------------------------"));
    QCOMPARE(lines[1], Ui("＠相当文字：01"));
    QCOMPARE(lines[7], Ui("＠相当文字：02"));
    QCOMPARE(lines[13], Ui("＠相当文字：A"));
    QCOMPARE(lines[14], Ui("元ファイル名　：") + Path("dataA.csv"));
    QCOMPARE(lines[15], Ui("抽出ファイル名：") + Path("out.csv"));
    QCOMPARE(Form1->Edit6->text(), QStringLiteral(" 3"));
    QCOMPARE(Form1->Edit3->text(), QStringLiteral(" 3"));
    // Every file went to the extract of the file whose layout the run used.
    QCOMPARE(Form1->Record().informationExtractFile, sifta::PathBytes(Path("out.csv")));
    QCOMPARE(Form1->Record().informationExtractCount, 3);
  }

  void closingTheSubstitutionDialogEndsTheSeries() {
    ChooseSource(Path("data1.csv"), SjLines({"ID,ｾﾙ1", "1,1"}));
    Form1->Edit1->setText(Path("data@.csv"));
    Form1->Edit2->setText(Path("out@.csv"));
    ChooseEverything();
    sifta::test::SubstitutionAnswers answers({{{}, {}, false, true}});
    dialogs_->Clear();
    Form1->Button3Click();
    QCOMPARE(answers.dialogsShown, 1);
    QCOMPARE(dialogs_->Texts(), std::vector<QString>{Ui(kFinished)});
    QVERIFY(ListLines().isEmpty());
    QCOMPARE(Form1->Edit6->text(), QStringLiteral(" "));
    QVERIFY(!QFile::exists(Path("out1.csv")));
  }

  void cancelInTheSecondOfThreeFiles() {
    const std::string part = SjLines({"ID,ｾﾙ1", "1,1", "2,2", "3,3", "4,4"});
    for (int n = 1; n <= 3; ++n) sifta::test::WriteBytes(Path(QStringLiteral("part%1.csv").arg(n)), part);
    ChooseSource(Path("part1.csv"), part);
    Form1->Edit1->setText(Path("part@.csv"));
    Form1->Edit2->setText(Path("cut@.csv"));
    ChooseEverything();
    // Every record services the events, so the press comes at the first record.
    Form1->Layer().SetServiceInterval(0);
    int shown = 0;
    Form1->Layer().progressShown = [&](int file, TForm2& progress) {
      shown = file;
      QVERIFY(progress.isVisible());
      QVERIFY(progress.Edit2->isVisibleTo(&progress));
      QCOMPARE(progress.Edit2->text(), QStringLiteral(" %1").arg(file));
      if (file == 2) QTimer::singleShot(0, &progress, [&progress] { progress.Button1Click(); });
    };
    dialogs_->questionAnswers = {Answer::Yes};
    sifta::test::SubstitutionAnswers answers({{QStringLiteral("1"), QStringLiteral("3"), true}});
    dialogs_->Clear();
    Form1->Button3Click();

    QCOMPARE(shown, 2);
    QCOMPARE(dialogs_->Texts(), std::vector<QString>({Ui("キャンセルしますか？"), Ui(kFinished)}));
    QCOMPARE(dialogs_->boxes[0].caption, Ui("確認"));
    QCOMPARE(sifta::test::ReadBytes(Path("cut1.csv")), SjLines({"ID,ｾﾙ1", "1,1", "2,2", "3,3", "4,4"}));
    // The record being serviced is still written; the next line ends the file.
    QCOMPARE(sifta::test::ReadBytes(Path("cut2.csv")), SjLines({"ID,ｾﾙ1", "1,1"}));
    QVERIFY(!QFile::exists(Path("cut3.csv")));
    const QStringList lines = ListLines();
    QCOMPARE(lines.size(), 12);
    QCOMPARE(lines[10], Ui(" 元ﾌｧｲﾙﾚｺｰﾄﾞ数　：2"));
    QCOMPARE(lines[11], Ui(" 抽出ﾌｧｲﾙﾚｺｰﾄﾞ数：1"));
    QCOMPARE(Form1->Edit6->text(), QStringLiteral(" 6"));
    QCOMPARE(Form1->Edit3->text(), QStringLiteral(" 5"));
  }

  void nothingOfTheRunCanChangeWhileItRuns() {
    ChooseSource(Path("source.csv"), StandardTable());
    Form1->Edit2->setText(Path("out.csv"));
    ChooseEverything();
    bool checked = false;
    Form1->Layer().progressShown = [&](int, TForm2&) {
      checked = true;
      for (QPushButton* button : {Form1->Button1, Form1->Button2, Form1->Button3, Form1->Button4})
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
      QVERIFY(Form1->Edit1->isReadOnly());
      QVERIFY(Form1->Edit2->isReadOnly());
      QVERIFY(Form1->Tabs->IsLocked());
      QVERIFY(!Form1->Tabs->RadioButton3->isEnabled());
      QVERIFY(Form1->Button9->isEnabled());
      // A second run, a new source or extract choice, or closing the window: nothing.
      const size_t boxes = dialogs_->boxes.size();
      Form1->Button3Click();
      Form1->Button1Click();
      Form1->Button2Click();
      QCOMPARE(dialogs_->boxes.size(), boxes);
      QVERIFY(dialogs_->fileDialogs.empty());
      QVERIFY(!Form1->close());
      QVERIFY(Form1->isVisible());
    };
    dialogs_->Clear();
    Form1->Button3Click();
    QVERIFY(checked);
    QCOMPARE(dialogs_->Texts(), std::vector<QString>{Ui(kFinished)});
    for (QPushButton* button : {Form1->Button1, Form1->Button2, Form1->Button3, Form1->Button4})
      QVERIFY(button->isEnabled());
    QVERIFY(!Form1->Edit1->isReadOnly());
    QVERIFY(!Form1->Edit2->isReadOnly());
    QVERIFY(!Form1->Tabs->IsLocked());
    QVERIFY(Form1->Tabs->RadioButton3->isEnabled());
  }

  // "順番でまとまっている" chosen in Code mode stays selected, out of reach,
  // when the user switches to Value mode: it must not end the run at the
  // first value beyond the rows, nor order the rows.
  void valueModeReadsEveryRecordWhateverTheGrouping() {
    ChooseSource(Path("v.csv"), SjLines({"ID,ｾﾙ1,ｾﾙ2", "1,10,a", "2,30,b", "3,20,c", "4,10,d", "5,40,e"}));
    Form1->Edit2->setText(Path("v-out.csv"));
    ChooseEverything();
    Form1->Tabs->RadioButton7->click();
    Form1->Tabs->RadioButton9->click();
    Form1->Tabs->RadioButton13->click();
    QVERIFY(Form1->Tabs->RadioButton9->isChecked());
    QVERIFY(!Form1->Tabs->GroupBox4->isEnabled());
    Form1->Tabs->StringGrid4->SetCell(1, 1, QStringLiteral("1"));
    Form1->Tabs->StringGrid5->SetCell(1, 1, QStringLiteral("40"));
    Form1->Tabs->StringGrid5->SetCell(1, 2, QStringLiteral("10"));
    dialogs_->Clear();
    Form1->Button3Click();
    QCOMPARE(dialogs_->Texts(), std::vector<QString>{Ui(kFinished)});
    QCOMPARE(Form1->Edit6->text(), QStringLiteral(" 5"));
    QCOMPARE(sifta::test::ReadBytes(Path("v-out.csv")),
             SjLines({"ID,ｾﾙ1,ｾﾙ2", "1,10,a", "4,10,d", "5,40,e"}));
  }

  // A grid text without a code page 932 form is refused after the file name
  // checks, with its own message; nothing is created.
  void unreadableGridTextAfterTheFileNames() {
    ChooseSource(Path("s.csv"), StandardTable());
    ChooseEverything();
    Form1->Tabs->RadioButton6->click();
    Form1->Tabs->StringGrid4->SetCell(1, 3, QStringLiteral("2😀"));
    Form1->Edit1->clear();
    dialogs_->Clear();
    Form1->Button3Click();
    QCOMPARE(dialogs_->Texts(), std::vector<QString>{Ui("** 元ファイルの指定がありません。")});
    QCOMPARE(Form1->focusWidget(), Form1->Button1);
    Form1->Edit1->setText(Path("s.csv"));
    Form1->Edit2->setText(Path("never.csv"));
    Form1->Edit3->setText(QStringLiteral(" 9"));
    dialogs_->Clear();
    Form1->Button3Click();
    QCOMPARE(dialogs_->Texts(), std::vector<QString>{Ui("**ﾚｺｰﾄﾞの抽出(3)：ｼﾌﾄJISにない文字があります。")});
    QVERIFY(dialogs_->boxes[0].beepBefore);
    QVERIFY(Form1->Edit3->text().isEmpty());
    QVERIFY(!QFile::exists(Path("never.csv")));
  }

  // Closing the main window while a run is under way: refused, with a beep
  // and the progress window brought to the front, restored when it was
  // minimised, so that its cancel button can be reached.
  void closingDuringARunShowsTheProgressWindow() {
    ChooseSource(Path("source.csv"), StandardTable());
    Form1->Edit2->setText(Path("out.csv"));
    ChooseEverything();
    bool checked = false;
    Form1->Layer().progressShown = [&](int, TForm2& progress) {
      checked = true;
      progress.showMinimized();
      QVERIFY(progress.isMinimized());
      const int beeps = dialogs_->beeps;
      QVERIFY(!Form1->close());
      QCOMPARE(dialogs_->beeps, beeps + 1);
      QVERIFY(progress.isVisible());
      QVERIFY(!progress.isMinimized());
      QVERIFY(Form1->isVisible());
    };
    Form1->Button3Click();
    QVERIFY(checked);
    QVERIFY(Form1->close());
  }

  // Each file dialog starts in the folder of the name in its box, or the
  // nearest folder above it that exists; the current folder for an empty box.
  void fileDialogsStartBesideTheNameInTheBox() {
    QDir(folder_->path()).mkpath(QStringLiteral("a/b"));
    Form1->Button2Click();
    QCOMPARE(dialogs_->fileDialogs.back().folder, QString());
    Form1->Edit2->setText(Path("a/b/out.csv"));
    Form1->Button2Click();
    QCOMPARE(dialogs_->fileDialogs.back().folder, Path("a/b"));
    Form1->Edit2->setText(Path("a/new/deeper/out@.csv"));
    Form1->Button2Click();
    QCOMPARE(dialogs_->fileDialogs.back().folder, Path("a"));
    ChooseSource(Path("a/b/src.csv"), StandardTable());
    Form1->Edit1->setText(Path("a/b/s@.csv"));
    dialogs_->Clear();
    Form1->Button1Click();
    QCOMPARE(dialogs_->fileDialogs.back().folder, Path("a/b"));
    // Saving the record count list starts beside the list saved last.
    Form8->Button3Click();
    QCOMPARE(dialogs_->fileDialogs.back().folder, QString());
    dialogs_->saveAnswers = {Path("a/list.txt")};
    Form8->Button3Click();
    Form8->Button3Click();
    QCOMPARE(dialogs_->fileDialogs.back().folder, Path("a"));
  }

  // A file dropped on the source name is chosen as 元ﾌｧｲﾙの選択 chooses it;
  // one dropped on the extract name becomes it; several files, a folder or
  // a name with @ are refused. A drop is taken as a copy, whatever the drag
  // proposes (a file manager proposes a move within a disk), and a drag
  // that offers nothing but a move is refused: the file it came from stays.
  void droppedFilesOnTheNameFields() {
    const QString user = Path("u.csv");
    sifta::test::WriteBytes(user, SjLines({"地域,人口", "東京,1"}));
    sifta::test::WriteBytes(Path("a@.csv"), StandardTable());
    const auto drop = [](QWidget* field, const QStringList& paths,
                         Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction) {
      QMimeData data;
      QList<QUrl> urls;
      for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
      data.setUrls(urls);
      QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
      enter.setDropAction(Qt::MoveAction);
      QApplication::sendEvent(field, &enter);
      QCOMPARE(enter.isAccepted(), offered.testFlag(Qt::CopyAction));
      QDropEvent dropped(QPointF(5, 5), offered, &data, Qt::LeftButton, Qt::NoModifier);
      dropped.setDropAction(Qt::MoveAction);
      QApplication::sendEvent(field, &dropped);
      if (offered.testFlag(Qt::CopyAction)) QCOMPARE(dropped.dropAction(), Qt::CopyAction);
      QVERIFY(!dropped.isAccepted() || dropped.dropAction() != Qt::MoveAction);
    };
    drop(Form1->Edit2, {Path("moved.csv")}, Qt::MoveAction);
    QVERIFY(Form1->Edit2->text().isEmpty());
    dialogs_->questionAnswers = {Answer::Yes};
    drop(Form1->Edit1, {user});
    QCOMPARE(dialogs_->Texts(), std::vector<QString>{BoxText(kHeadingQuestion)});
    // With the system's separators, as the user types names.
    QCOMPARE(Form1->Edit1->text(), QDir::toNativeSeparators(user));
    QVERIFY(Form1->Layout().headingKind == sifta::HeadingKind::User);
    QVERIFY(!Form1->Tabs->PageControl1->isTabVisible(0));
    QVERIFY(!Form1->Edit1->isReadOnly());
    drop(Form1->Edit2, {Path("out.csv")});
    QCOMPARE(Form1->Edit2->text(), QDir::toNativeSeparators(Path("out.csv")));

    dialogs_->Clear();
    drop(Form1->Edit1, {user, Path("a@.csv")});
    drop(Form1->Edit2, {folder_->path()});
    drop(Form1->Edit1, {Path("a@.csv")});
    QCOMPARE(dialogs_->Texts(),
             std::vector<QString>(
                 {Ui("** ファイルは1つだけドロップしてください。"),
                  Ui("** フォルダはドロップできません。ファイルをドロップしてください。"),
                  Ui("** この段階では＠を指定できません。\n    最初に処理するﾌｧｲﾙを指定してください。")}));
    QCOMPARE(dialogs_->beeps, 3);
    QCOMPARE(Form1->Edit1->text(), QDir::toNativeSeparators(user));
    QCOMPARE(Form1->Edit2->text(), QDir::toNativeSeparators(Path("out.csv")));
  }

  void missingSourceFileInASeries() {
    sifta::test::WriteBytes(Path("m1.csv"), SjLines({"ID,ｾﾙ1", "1,1"}));
    sifta::test::WriteBytes(Path("m3.csv"), SjLines({"ID,ｾﾙ1", "3,3"}));
    ChooseSource(Path("m1.csv"), SjLines({"ID,ｾﾙ1", "1,1"}));
    Form1->Edit1->setText(Path("m@.csv"));
    Form1->Edit2->setText(Path("cut@.csv"));
    ChooseEverything();
    sifta::test::SubstitutionAnswers answers({{QStringLiteral("1"), QStringLiteral("3"), true}});
    dialogs_->Clear();
    Form1->Button3Click();

    QCOMPARE(dialogs_->boxes.size(), size_t{1});
    QCOMPARE(dialogs_->boxes[0].kind, FakeDialogs::Kind::Error);
    QVERIFY(dialogs_->boxes[0].beepBefore);
    QVERIFY2(dialogs_->boxes[0].text.contains(Ui("ファイルが見つかりません")),
             qPrintable(dialogs_->boxes[0].text));
    QCOMPARE(sifta::test::ReadBytes(Path("cut1.csv")), SjLines({"ID,ｾﾙ1", "1,1"}));
    QVERIFY(!QFile::exists(Path("cut3.csv")));
    const QStringList lines = ListLines();
    QCOMPARE(lines.size(), 8);
    QCOMPARE(lines[7], Ui("＠相当文字：2"));
    // The run end steps did not run, and nothing stays locked.
    QVERIFY(Form1->Edit3->text().isEmpty());
    QCOMPARE(Form1->Edit5->text(), QStringLiteral(" "));
    for (QPushButton* button : {Form1->Button1, Form1->Button2, Form1->Button3, Form1->Button4})
      QVERIFY(button->isEnabled());
    QVERIFY(!Form1->Tabs->IsLocked());
    QVERIFY(Form2 == nullptr);
  }

  void sourceInformationAsksOncePerChoice() {
    ChooseSource(Path("source.csv"), StandardTable());
    dialogs_->Clear();
    dialogs_->questionAnswers = {Answer::No};
    Form1->Button7Click();
    Form1->Button7Click();
    QCOMPARE(dialogs_->Texts(), std::vector<QString>{Ui("ﾚｺｰﾄﾞ数を確認しますか？")});
    QVERIFY(dialogs_->boxes[0].beepBefore);
    QVERIFY(!dialogs_->boxes[0].withCancel);
    QVERIFY(Form4->isVisible());
    QVERIFY(!Form4->HasRecordCount());
    QCOMPARE(Form4->Edit5->text(), Path("source.csv"));
    QCOMPARE(Form4->Edit1->text(), QStringLiteral(" 2"));

    // A new choice asks again; once counted, it never asks.
    ChooseSource(Path("second.csv"), StandardTable() + SjLines({"04,札幌,1,2,3"}));
    dialogs_->Clear();
    dialogs_->questionAnswers = {Answer::Yes};
    Form1->Button7Click();
    Form1->Button7Click();
    QCOMPARE(dialogs_->Texts(), std::vector<QString>{Ui("ﾚｺｰﾄﾞ数を確認しますか？")});
    QCOMPARE(Form4->Edit3->text(), QStringLiteral(" 4"));
    QCOMPARE(Form4->Edit5->text(), Path("second.csv"));
    QVERIFY(!Form5->isVisible());
    QVERIFY(Form1->LayoutInformationShown());
  }

  void sourceInformationAfterTheFileWentAway() {
    ChooseSource(Path("gone.csv"), StandardTable());
    QFile::remove(Path("gone.csv"));
    dialogs_->Clear();
    dialogs_->questionAnswers = {Answer::Yes, Answer::No};
    Form1->Button7Click();
    QCOMPARE(dialogs_->boxes.size(), size_t{2});
    QCOMPARE(dialogs_->boxes[1].kind, FakeDialogs::Kind::Error);
    QVERIFY(!Form1->LayoutInformationShown());
    QVERIFY(!Form5->isVisible());
    // The next press asks again.
    Form1->Button7Click();
    QCOMPARE(dialogs_->boxes.size(), size_t{3});
    QCOMPARE(dialogs_->boxes[2].text, Ui("ﾚｺｰﾄﾞ数を確認しますか？"));
  }

  void newSourceChoiceKeepsTheExtractInformation() {
    ChooseSource(Path("first.csv"), StandardTable());
    Form1->Edit2->setText(Path("first-out.csv"));
    ChooseEverything();
    Form1->Button3Click();
    ChooseSource(Path("second.csv"), SjLines({"ID,ｾﾙ1,ｾﾙ2", "9,9,9"}));
    dialogs_->Clear();
    Form1->Button8Click();
    QVERIFY(dialogs_->boxes.empty());
    QCOMPARE(Form6->Edit5->text(), Path("first-out.csv"));
    QCOMPARE(Form6->Edit1->text(), QStringLiteral(" 3"));
    QCOMPARE(Form6->Edit3->text(), QStringLiteral(" 2"));  // read with the new kind: Standard
  }

  void extractInformationBeforeAndAfterARun() {
    dialogs_->Clear();
    Form1->Button8Click();
    QCOMPARE(dialogs_->Texts(), std::vector<QString>{Ui("** 抽出は未だされていません。")});
    QVERIFY(dialogs_->boxes[0].beepBefore);
    QVERIFY(!Form6->isVisible());

    // A run that keeps no record leaves an extract with only its heading.
    ChooseSource(Path("source.csv"), StandardTable());
    Form1->Edit2->setText(Path("empty.csv"));
    Form1->Tabs->RadioButton1->click();
    Form1->Tabs->RadioButton3->click();
    Form1->Tabs->RadioButton6->click();
    Form1->Tabs->StringGrid4->SetCell(1, 1, QStringLiteral("9"));
    Form1->Button3Click();
    QCOMPARE(sifta::test::ReadBytes(Path("empty.csv")), SjLines({"ID,NAME,ｾﾙ1,ｾﾙ2,ｾﾙ3"}));
    dialogs_->Clear();
    Form1->Button8Click();
    QCOMPARE(dialogs_->Texts(), std::vector<QString>{Ui("** この抽出ﾌｧｲﾙにﾃﾞｰﾀがありません。")});
    QVERIFY(!Form6->isVisible());
  }

 private:
  QString Path(const QString& name) const { return folder_->filePath(name); }
  QString Path(const char* name) const { return Path(Ui(name)); }

  static QString BoxText(const char* text) { return Ui(text); }

  void ChooseSource(const QString& path, const std::string& content) {
    sifta::test::WriteBytes(path, content);
    dialogs_->openAnswers = {path};
    Form1->Button1Click();
    QCOMPARE(Form1->Edit1->text(), path);
  }

  std::unique_ptr<sifta::test::ProgramForms> forms_;
  std::unique_ptr<QTemporaryDir> folder_;
  std::unique_ptr<FakeDialogs> dialogs_;
};

SIFTA_REGISTER_TEST(RunFromWindowTest)

#include "RunFromWindowTest.moc"
