// The extract information window.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "TestRegistry.h"
#include "scan/Cp932.h"
#include "ui/QtText.h"
#include "ui/Sifta6.h"

using sifta::Ui;

class Sifta6Test : public QObject {
  Q_OBJECT

 private slots:
  void fillsTheBoxesWithTheRunsCount_data() {
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QString>("shown");
    QTest::newRow("zero") << qint64{0} << " ";
    QTest::newRow("millions") << qint64{1234567} << " 1,234,567";
  }
  void fillsTheBoxesWithTheRunsCount() {
    QFETCH(qint64, count);
    QFETCH(QString, shown);
    sifta::FileLayout layout;
    layout.fileName = "/out/抽出.csv";
    layout.headingKind = sifta::HeadingKind::Standard;
    layout.headingText = sifta::Sj("ID,ｾﾙ1,ｾﾙ2");
    layout.firstRecord = sifta::Sj("7,8,9");
    layout.itemCount = 3;
    layout.ridItemCount = 1;
    layout.bodyCellCount = 2;
    TForm6 form(nullptr);
    form.FillLayout(layout, count);
    QCOMPARE(form.Edit1->text(), shown);
    QCOMPARE(form.Edit5->text(), Ui("/out/抽出.csv"));
    QCOMPARE(form.Edit2->text(), QStringLiteral(" 3"));
    QCOMPARE(form.Edit3->text(), QStringLiteral(" 1"));
    QCOMPARE(form.Edit4->text(), QStringLiteral(" 2"));
    QCOMPARE(form.Memo1->toPlainText(), Ui("(1) ID … 7\n<1> ｾﾙ1 … 8\n<2> ｾﾙ2 … 9"));
  }

  void extractWithOnlyRidItemsListsOnlyRidItems() {
    sifta::FileLayout layout;
    layout.fileName = "/out/a.csv";
    layout.headingKind = sifta::HeadingKind::Standard;
    layout.headingText = "ID,NAME";
    layout.firstRecord = "1,x";
    layout.itemCount = 2;
    layout.ridItemCount = 2;
    layout.bodyCellCount = 0;
    TForm6 form(nullptr);
    form.FillLayout(layout, 5);
    QCOMPARE(form.Edit4->text(), QStringLiteral(" 0"));
    QCOMPARE(form.Memo1->toPlainText(), Ui("(1) ID … 1\n(2) NAME … x"));
  }

  void windowLooksAsItShould() {
    TForm6 form(nullptr);
    QCOMPARE(form.windowTitle(), Ui("抽出ファイルの情報"));
    QCOMPARE(form.palette().color(QPalette::Window), QColor(215, 206, 246));
    QCOMPARE(form.Label2->text(), Ui("抽出ﾚｺｰﾄﾞ数："));
    QCOMPARE(form.Label6->text(), Ui("全項目の一覧："));
    QCOMPARE(form.Memo1->font().family(), Ui("ＭＳ ゴシック"));
    QCOMPARE(form.Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(form.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(form.Button1->text(), Ui("閉じる"));
    form.show();
    form.Button1->click();
    QVERIFY(!form.isVisible());
  }
};

SIFTA_REGISTER_TEST(Sifta6Test)
#include "Sifta6Test.moc"
