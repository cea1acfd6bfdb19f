// The source information window and the wait window.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "TestRegistry.h"
#include "scan/Cp932.h"
#include "ui/QtText.h"
#include "ui/Sifta4.h"
#include "ui/Sifta5.h"

using sifta::Ui;

namespace {

sifta::FileLayout Layout(sifta::HeadingKind kind, const char* heading, const char* record, int items,
                         int rid) {
  sifta::FileLayout layout;
  layout.fileName = "/data/元.csv";
  layout.headingKind = kind;
  layout.headingText = sifta::Sj(heading);
  layout.firstRecord = sifta::Sj(record);
  layout.itemCount = items;
  layout.ridItemCount = rid;
  layout.bodyCellCount = items - rid;
  return layout;
}

QStringList MemoLines(const QPlainTextEdit* memo) { return memo->toPlainText().split(QLatin1Char('\n')); }

}  // namespace

class Sifta4Test : public QObject {
  Q_OBJECT

 private slots:
  void recordCountHasOneBlankAndGroupsOfThree_data() {
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QString>("shown");
    QTest::newRow("zero") << qint64{0} << " ";
    QTest::newRow("three digits") << qint64{999} << " 999";
    QTest::newRow("four digits") << qint64{1000} << " 1,000";
    QTest::newRow("millions") << qint64{1234567} << " 1,234,567";
  }
  void recordCountHasOneBlankAndGroupsOfThree() {
    QFETCH(qint64, count);
    QFETCH(QString, shown);
    TForm4 form(nullptr);
    QVERIFY(!form.HasRecordCount());
    form.SetRecordCount(count);
    QCOMPARE(form.Edit3->text(), shown);
    QVERIFY(form.HasRecordCount());  // a single blank is a done count too
    form.ClearRecordCount();
    QVERIFY(form.Edit3->text().isEmpty());
    QVERIFY(!form.HasRecordCount());
  }

  void standardLayoutFillsTheBoxesAndTheList() {
    TForm4 form(nullptr);
    form.SetRecordCount(12);
    form.FillLayout(Layout(sifta::HeadingKind::Standard, "ID,NAME,ｾﾙ1,ｾﾙ2", "0001,\"A,B\",125,\"X\"", 4, 2));
    QCOMPARE(form.Edit5->text(), Ui("/data/元.csv"));
    QCOMPARE(form.Edit4->text(), QStringLiteral(" 4"));
    QCOMPARE(form.Edit1->text(), QStringLiteral(" 2"));
    QCOMPARE(form.Edit2->text(), QStringLiteral(" 2"));
    QCOMPARE(form.Edit3->text(), QStringLiteral(" 12"));  // filling keeps the count
    QCOMPARE(MemoLines(form.Memo1), QStringList({Ui("(1) ID … 0001"), Ui("(2) NAME … \"A,B\""),
                                                 Ui("<1> ｾﾙ1 … 125"), Ui("<2> ｾﾙ2 … \"X\"")}));
  }

  void userHeadingListsOnlyBodyCells() {
    TForm4 form(nullptr);
    form.FillLayout(Layout(sifta::HeadingKind::User, "A,B,C", "1,2,3", 3, 0));
    QCOMPARE(form.Edit1->text(), QStringLiteral(" 0"));
    QCOMPARE(form.Edit2->text(), QStringLiteral(" 3"));
    const QStringList lines = MemoLines(form.Memo1);
    QCOMPARE(lines.size(), 3);
    for (int n = 1; n <= 3; ++n) QVERIFY(lines[n - 1].startsWith(QStringLiteral("<%1> ").arg(n)));
  }

  void withoutHeadingTheNumberIsFollowedByTheEllipsis() {
    TForm4 form(nullptr);
    sifta::FileLayout layout = Layout(sifta::HeadingKind::None, "", "1,2", 2, 0);
    form.FillLayout(layout);
    QCOMPARE(MemoLines(form.Memo1), QStringList({Ui("<1>  … 1"), Ui("<2>  … 2")}));
  }

  void refillReplacesTheList() {
    TForm4 form(nullptr);
    form.FillLayout(Layout(sifta::HeadingKind::User, "A,B,C", "1,2,3", 3, 0));
    form.FillLayout(Layout(sifta::HeadingKind::User, "A", "1", 1, 0));
    QCOMPARE(MemoLines(form.Memo1), QStringList({Ui("<1> A … 1")}));
  }

  void windowLooksAsItShould() {
    TForm4 form(nullptr);
    QCOMPARE(form.windowTitle(), Ui("元ファイルの情報"));
    QCOMPARE(form.palette().color(QPalette::Window), QColor(255, 218, 200));
    QCOMPARE(form.Label1->text(), Ui("ファイル名："));
    QCOMPARE(form.Label2->text(), Ui("レコード数："));
    QCOMPARE(form.Label3->text(), Ui("全項目数："));
    QCOMPARE(form.Label4->text(), Ui("ＲＩＤの項目数："));
    QCOMPARE(form.Label5->text(), Ui("ＢＯＤＹのセル数："));
    QCOMPARE(form.Label6->text(), Ui("全項目の一覧："));
    for (QLineEdit* box : {form.Edit1, form.Edit2, form.Edit3, form.Edit4, form.Edit5})
      QVERIFY(box->isReadOnly());
    QVERIFY(form.Memo1->isReadOnly());
    QCOMPARE(form.Memo1->font().family(), Ui("ＭＳ ゴシック"));
    QCOMPARE(form.Memo1->font().pixelSize(), 12);
    QCOMPARE(form.Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(form.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(form.Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(form.Button1->text(), Ui("閉じる"));
    form.show();
    QVERIFY(form.isVisible());
    form.Button1->click();
    QVERIFY(!form.isVisible());
  }

  void waitWindowIsShownPaintedAndClosed() {
    TForm5 form(nullptr);
    QCOMPARE(form.windowTitle(), Ui("レコード数の確認…"));
    form.ShowAndPaint();
    QVERIFY(form.isVisible());
    QCOMPARE(form.Label1->text(), Ui("レコード数の確認中です。しばらくお待ちください…"));
    QVERIFY(form.Label1->font().bold());
    QCOMPARE(form.Label1->font().pixelSize(), 15);
    QCOMPARE(form.palette().color(QPalette::Window), QColor(255, 255, 193));
    QCOMPARE(form.Label1->palette().color(QPalette::Window), QColor(210, 255, 255));
    form.CloseWait();
    QVERIFY(!form.isVisible());
  }
};

SIFTA_REGISTER_TEST(Sifta4Test)
#include "Sifta4Test.moc"
