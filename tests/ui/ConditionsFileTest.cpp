// Conditions files from the main window's context menu: what is typed into
// the window, saved and opened in a fresh window runs as it ran where it was
// typed and as sifta-batch runs the same file; a file the window cannot show
// is refused by its field and leaves the window as it was.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

#include "FakeDialogs.h"
#include "Sifta1TestForms.h"
#include "TestRegistry.h"
#include "ui/ConditionTabs.h"
#include "ui/Dialogs.h"
#include "ui/StringGrid.h"

using sifta::Ui;
using sifta::test::FakeDialogs;
using sifta::test::SjLines;
using Answer = sifta::Dialogs::Answer;

namespace {

const char* const kFilter = "条件ファイル|*.json|すべてのファイル|*.*";
const char* const kSaved = "**「条件を保存」が終わりました。";
const char* const kRefused = "** この条件ファイルは開けません：\n";
const char* const kFinished = "** 終わりました。「終わり」ﾎﾞﾀﾝを押してください。";

// Statistics by prefecture code: two RID items, four cells, quoted marks.
std::string StandardTable() {
  return SjLines({"CODE,NAME,ｾﾙ1,ｾﾙ2,ｾﾙ3,ｾﾙ4", "01000,北海道,1,2,3,4", "13000,東京都,5,\"X\",7,8",
                  "13100,区部,9,-,11,12", "27000,大阪府,13,14,\"X\",16", "47000,沖縄県,17,18,19,20"});
}

// A heading of the user's own: the window asks about it.
std::string UserTable() { return SjLines({"地域,人口,世帯", "札幌,197,97", "東京,1404,730", "那覇,31,15"}); }

// What one case types into the window's tabs.
void TypeStandardConditions(ConditionTabs& tabs) {
  tabs.RadioButton2->click();
  tabs.StringGrid1->SetCell(1, 1, QStringLiteral("2"));
  tabs.StringGrid1->SetCell(1, 3, QStringLiteral(" 1"));  // row 2 left empty
  tabs.RadioButton4->click();
  tabs.StringGrid2->SetCell(1, 1, QStringLiteral("1"));
  tabs.StringGrid2->SetCell(1, 2, QStringLiteral("2"));
  tabs.StringGrid2->SetCell(2, 2, QStringLiteral("*"));
  tabs.CheckBox1->click();
  tabs.CheckBox2->click();
  tabs.StringGrid3->SetCell(1, 1, QStringLiteral("X"));
  tabs.RadioButton7->click();
  tabs.StringGrid4->SetCell(1, 1, QStringLiteral("1"));
  tabs.StringGrid5->SetCell(1, 1, QStringLiteral("13000"));
  tabs.StringGrid5->SetCell(2, 1, QStringLiteral("13999"));
  tabs.StringGrid5->SetCell(1, 2, QStringLiteral("47000"));
  tabs.RadioButton9->click();
}

void TypeUserConditions(ConditionTabs& tabs) {
  tabs.RadioButton3->click();
  tabs.RadioButton13->click();
  tabs.StringGrid4->SetCell(1, 1, QStringLiteral("1"));
  tabs.StringGrid5->SetCell(1, 1, Ui("東京"));
  tabs.CheckBox3->click();  // every record but Tokyo
}

// What the window shows of its conditions, for "nothing changed".
struct WindowState {
  QString source, extract;
  sifta::ExtractionConditions conditions;
  std::string layoutFile;
  bool tab1Visible = false;
  bool edit1ReadOnly = false;
  friend bool operator==(const WindowState&, const WindowState&) = default;
};

WindowState StateOf(const TForm1& form) {
  return {form.Edit1->text(),
          form.Edit2->text(),
          form.Tabs->ReadConditions(form.Edit1->text(), form.Edit2->text(), true),
          form.Layout().fileName,
          form.Tabs->PageControl1->isTabVisible(0),
          form.Edit1->isReadOnly()};
}

}  // namespace

class ConditionsFileTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    dialogs_ = std::make_unique<FakeDialogs>();
  }

  void cleanup() {
    dialogs_.reset();
    folder_.reset();
  }

  void savedOpenedAndRunAsSiftaBatchRunsIt_data() {
    QTest::addColumn<bool>("user");
    QTest::addColumn<int>("encoding");  // ComboBox1's item
    QTest::addColumn<bool>("sourceColumn");
    QTest::addColumn<bool>("split");  // in parts for Excel: the extract is its first part
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("standard heading, code mode")
        << false << 0 << false << false
        << QByteArray::fromStdString(SjLines({"NAME,CODE,ｾﾙ1,ｾﾙ2,ｾﾙ3,ｾﾙ4", "東京都,13000,5,0,7,8",
                                              "区部,13100,9,-,11,12", "沖縄県,47000,17,18,19,20"}));
    QTest::newRow("user heading, value mode, all except")
        << true << 0 << false << false
        << QByteArray::fromStdString(SjLines({"地域,人口,世帯", "札幌,197,97", "那覇,31,15"}));
    QTest::newRow("UTF-8 with its mark, the source column, in parts")
        << true << 1 << true << true
        << QByteArray(
               "\xEF\xBB\xBF"
               "元ファイル名,地域,人口,世帯\r\n地域.csv,札幌,197,97\r\n地域.csv,那覇,31,15\r\n");
  }

  void savedOpenedAndRunAsSiftaBatchRunsIt() {
    QFETCH(bool, user);
    QFETCH(int, encoding);
    QFETCH(bool, sourceColumn);
    QFETCH(bool, split);
    QFETCH(QByteArray, expected);
    const QString source = Path(user ? "統計/地域.csv" : "統計/都道府県.csv");
    const QString extract = Path("抽出/結果.csv");
    const QString conditions = Path("条件/来月も.json");
    const QString written = split ? Path("抽出/結果_001.csv") : extract;
    sifta::test::WriteBytes(source, user ? UserTable() : StandardTable());

    std::string typedRun;
    sifta::ExtractionConditions typed;
    {
      sifta::test::ProgramForms forms;
      dialogs_->openAnswers = {source};
      if (user) dialogs_->questionAnswers = {Answer::Yes};
      Form1->Button1Click();
      Form1->Edit2->setText(extract);
      if (user)
        TypeUserConditions(*Form1->Tabs);
      else
        TypeStandardConditions(*Form1->Tabs);
      Form1->ComboBox1->setCurrentIndex(encoding);
      if (sourceColumn) Form1->CheckBox4->click();
      if (split) Form1->CheckBox5->click();
      dialogs_->Clear();
      Form1->Button3Click();
      QCOMPARE(dialogs_->LastText(), Ui(kFinished));
      typedRun = sifta::test::ReadBytes(written);
      typed = Form1->ReadConditions(true);

      dialogs_->Clear();
      dialogs_->saveAnswers = {conditions};
      Form1->N3->trigger();
      QCOMPARE(dialogs_->fileDialogs.size(), size_t{1});
      QCOMPARE(dialogs_->fileDialogs[0].filter, Ui(kFilter));
      QCOMPARE(dialogs_->fileDialogs[0].folder, QFileInfo(source).absolutePath());
      QCOMPARE(dialogs_->Texts(), std::vector<QString>{Ui(kSaved)});
      Form1->N4Click();  // cancelled: it starts where the last conditions file is
      QCOMPARE(dialogs_->fileDialogs[1].folder, QFileInfo(conditions).absolutePath());
    }
    QCOMPARE(QByteArray::fromStdString(typedRun), expected);

    QFile::remove(written);
    {
      sifta::test::ProgramForms forms;
      dialogs_->Clear();
      dialogs_->openAnswers = {conditions};
      if (user) dialogs_->questionAnswers = {Answer::Yes};
      Form1->N4->trigger();
      QCOMPARE(dialogs_->fileDialogs[0].filter, Ui(kFilter));
      // The heading question, where the layout asks it, is the only box.
      QCOMPARE(dialogs_->boxes.size(), user ? size_t{1} : size_t{0});
      // Every control as typed, grids of the same length; the source choice's
      // state; the label of a row after an empty one.
      QVERIFY(Form1->ReadConditions(true) == typed);
      QVERIFY(!Form1->Edit1->isReadOnly());
      QCOMPARE(Form1->Tabs->PageControl1->isTabVisible(0), !user);
      if (!user) QCOMPARE(Form1->Tabs->StringGrid1->Cell(0, 3), QStringLiteral("(3)"));
      dialogs_->Clear();
      Form1->Button3Click();
      QCOMPARE(dialogs_->LastText(), Ui(kFinished));
    }
    QCOMPARE(sifta::test::ReadBytes(written), typedRun);

    QFile::remove(written);
    QProcess batch;
    batch.start(QStringLiteral(SIFTA_BATCH_PATH), {conditions});
    QVERIFY(batch.waitForFinished(30000));
    QVERIFY2(batch.exitStatus() == QProcess::NormalExit && batch.exitCode() == 0,
             batch.readAllStandardError().constData());
    QCOMPARE(sifta::test::ReadBytes(written), typedRun);
  }

  void refusedFileChangesNothing_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");  // the last box; for a parse error its start
    const auto row = [](const char* name, const std::string& json, const QString& what) {
      QTest::newRow(name) << QByteArray::fromStdString(json) << Ui(kRefused) + what;
    };
    std::string longGrid = R"({"source": "SOURCE", "rid": {"choice": "listed", "rows": [)";
    for (int i = 0; i < 1000; ++i) longGrid += i ? R"(, ["1", "1"])" : R"(["1", "1"])";
    longGrid += "]}}";
    row("unknown key", R"({"source": "SOURCE", "cells": {"choice": "all", "colour": "red"}})",
        Ui("cells.colour: この名前は使えません。次のどれかにしてください：choice, rows"));
    row("row wider than its grid", R"({"source": "SOURCE", "records": {"codes": [["1", "2", "3"]]}})",
        Ui("records.codes[0]: セルが多すぎます。この表の1行のセルは2つまでです。"));
    row("grid longer than the window's grid", longGrid,
        Ui("rid.rows: 1000行あります。画面の表は999行までです。行を減らしてください。"));
    row("text without code page 932 form", R"({"source": "SOURCE", "special": ["-", "€"]})",
        Ui("special[1]: "
           "シフトJIS（コードページ932）にない文字があります。その文字を使わずに書いてください。"));
    row("layout of a series", R"({"source": "a@.csv", "layout": "a@.csv"})",
        Ui("layout: ＠のあるファイル名は使えません。シリーズの最初のファイルの名前を書いてください。"));
    row("no JSON", "{\"source\": \"SOURCE\",\n \"extract\": \"抽出.csv\" \"cells\": {}}",
        Ui("JSON "
           "の書き方に誤りがあります（2行目の28文字目）。その前後の括弧、引用符（\"）、コンマを確かめてくださ"
           "い。"));
    // Nothing wrong with the file, but the heading question of its layout
    // is cancelled.
    QTest::newRow("heading question cancelled")
        << QByteArray(R"({"source": "SOURCE", "cells": {"choice": "all"}})")
        << Ui("**「見出し」の問いが取り消されました。\n** 条件は開きませんでした。");
  }

  void refusedFileChangesNothing() {
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    sifta::test::ProgramForms forms;
    const QString source = Path("source.csv");
    const QString other = Path("other.csv");
    sifta::test::WriteBytes(source, StandardTable());
    sifta::test::WriteBytes(other, UserTable());
    dialogs_->openAnswers = {source};
    Form1->Button1Click();
    Form1->Edit2->setText(Path("out.csv"));
    TypeStandardConditions(*Form1->Tabs);
    const WindowState before = StateOf(*Form1);

    // A file that would otherwise choose another layout (with its question).
    const QString conditions = Path("refused.json");
    sifta::test::WriteBytes(conditions, json.replace("SOURCE", other.toUtf8()).toStdString());
    dialogs_->Clear();
    dialogs_->openAnswers = {conditions};
    dialogs_->questionAnswers = {Answer::Cancel};
    Form1->N4Click();
    QVERIFY(dialogs_->boxes.back().beepBefore);
    QVERIFY2(dialogs_->LastText().startsWith(message), qPrintable(dialogs_->LastText()));
    if (!message.endsWith(QStringLiteral(": "))) QCOMPARE(dialogs_->LastText(), message);
    QVERIFY(StateOf(*Form1) == before);
  }

  // A name without an extension gets ".json"; a file of that name is
  // replaced only when the user says so.
  void savingOverAFileAsksFirst() {
    sifta::test::ProgramForms forms;
    const QString conditions = Path("条件");
    sifta::test::WriteBytes(conditions + QStringLiteral(".json"), "old");
    dialogs_->saveAnswers = {conditions, conditions};
    dialogs_->questionAnswers = {Answer::No, Answer::Yes};
    Form1->N3Click();
    QCOMPARE(sifta::test::ReadBytes(conditions + QStringLiteral(".json")), std::string("old"));
    Form1->N3Click();
    QCOMPARE(dialogs_->Texts().size(), size_t{3});
    QCOMPARE(dialogs_->boxes[0].text, Ui("** 次のファイルはすでにあります。上書きしますか？\n") + conditions +
                                          QStringLiteral(".json"));
    QCOMPARE(dialogs_->LastText(), Ui(kSaved));
    QVERIFY(sifta::test::ReadBytes(conditions + QStringLiteral(".json")).starts_with("{\n"));
  }

  // A typed text with no code page 932 form cannot be saved, in whatever grid.
  void textWithoutCodePage932FormIsNotSaved() {
    sifta::test::ProgramForms forms;
    Form1->Tabs->StringGrid5->SetCell(1, 2, QStringLiteral("€"));
    Form1->N3Click();
    QVERIFY(dialogs_->fileDialogs.empty());
    QCOMPARE(dialogs_->Texts(),
             std::vector<QString>{
                 Ui("**ﾚｺｰﾄﾞの抽出(2)：ｼﾌﾄJISにない文字があります。\n** 条件は保存しませんでした。")});
  }

 private:
  QString Path(const char* name) const { return folder_->filePath(Ui(name)); }

  std::unique_ptr<QTemporaryDir> folder_;
  std::unique_ptr<FakeDialogs> dialogs_;
};

SIFTA_REGISTER_TEST(ConditionsFileTest)

#include "ConditionsFileTest.moc"
