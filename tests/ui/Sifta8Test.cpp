// The record count list window: the list, copy, print through the three
// dialogs, save.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>

#include "TestRegistry.h"
#include "scan/Cp932.h"
#include "ui/FakeDialogs.h"
#include "ui/PrintDialogs.h"
#include "ui/QtText.h"
#include "ui/Sifta8.h"

using sifta::Ui;
using sifta::test::FakeDialogs;

namespace {

// Answers the font, set-up and print dialogs; an OK print dialog sends the
// job to a PDF file.
class FakePrintDialogs final : public sifta::PrintDialogs {
 public:
  FakePrintDialogs() { Install(this); }
  ~FakePrintDialogs() override { Install(nullptr); }

  std::deque<std::optional<QFont>> fontAnswers;  // empty: Cancel
  bool printAnswer = true;
  QString pdfPath;

  std::vector<QString> calls;
  std::vector<QFont> fontsOffered;

  std::optional<QFont> ChooseFont(QWidget*, const QFont& initial) override {
    calls.push_back(QStringLiteral("font"));
    fontsOffered.push_back(initial);
    if (fontAnswers.empty()) return std::nullopt;
    std::optional<QFont> answer = fontAnswers.front();
    fontAnswers.pop_front();
    return answer;
  }
  void SetUpPrinter(QWidget*, QPrinter&) override { calls.push_back(QStringLiteral("setup")); }
  bool ConfirmPrint(QWidget*, QPrinter& printer) override {
    calls.push_back(QStringLiteral("print"));
    if (!printAnswer) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
    return true;
  }
};

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

// The output of a poppler tool; a null string when it is not installed.
QString RunTool(const char* tool, const QStringList& arguments) {
  const QString program = QStandardPaths::findExecutable(QString::fromLatin1(tool));
  if (program.isEmpty()) return {};
  QProcess process;
  process.start(program, arguments);
  process.waitForFinished(10000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

// pdftotext gives the ideographic space back as a blank.
QString PdfText(const QString& pdf) { return RunTool("pdftotext", {pdf, QStringLiteral("-")}); }
QString AsExtracted(const char* utf8) { return Ui(utf8).replace(QChar(0x3000), QLatin1Char(' ')); }
QString PdfFonts(const QString& pdf) { return RunTool("pdffonts", {pdf}); }

void Fill(TForm8& form) {
  form.ClearList();
  form.AppendLine(sifta::Sj("元ファイル名　：/data/in.csv"));
  form.AppendLine(sifta::Sj("抽出ファイル名：/data/out.csv"));
  form.AppendLine(sifta::Sj(" 元ﾌｧｲﾙﾚｺｰﾄﾞ数　：1,234"));
  form.AppendLine(sifta::Sj(" 抽出ﾌｧｲﾙﾚｺｰﾄﾞ数："));
  form.SetTotal(" 0");
}

QByteArray Saved(const TForm8& form) {
  QByteArray bytes;
  for (const std::string& line : form.Lines())
    bytes += QByteArray(line.data(), static_cast<qsizetype>(line.size())) + "\r\n";
  return bytes;
}

}  // namespace

class Sifta8Test : public QObject {
  Q_OBJECT

 private slots:
  void windowLooksAsItShould() {
    TForm8 form(nullptr);
    QCOMPARE(form.windowTitle(), Ui("抽出レコード数一覧"));
    QCOMPARE(form.Label1->text(), Ui("抽出レコード数一覧："));
    QCOMPARE(form.Label2->text(), Ui("全抽出レコード数："));
    QCOMPARE(form.Button1->text(), Ui("コピー"));
    QCOMPARE(form.Button2->text(), Ui("印　刷"));
    QCOMPARE(form.Button3->text(), Ui("保　存"));
    QCOMPARE(form.Button4->text(), Ui("閉じる"));
    QCOMPARE(form.Button1->toolTip(), Ui("ﾏｳｽで範囲指定してからｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ"));
    QCOMPARE(form.Button2->toolTip(), Ui("ﾌﾟﾘﾝﾀｰに出力します"));
    QCOMPARE(form.Button3->toolTip(), Ui("ﾌｧｲﾙに出力します"));
    QVERIFY(form.Memo1->isReadOnly());
    QVERIFY(form.Edit1->isReadOnly());
    QCOMPARE(form.Memo1->font().family(), Ui("ＭＳ ゴシック"));
    QCOMPARE(form.Memo1->font().pixelSize(), 12);
    QCOMPARE(form.Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(form.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // The colour is set at every showing.
    QPalette palette = form.palette();
    palette.setColor(QPalette::Window, Qt::black);
    form.setPalette(palette);
    form.show();
    QCOMPARE(form.palette().color(QPalette::Window), QColor(129, 255, 219));
    form.Button4->click();
    QVERIFY(!form.isVisible());
  }

  void listKeepsTheLinesAsAppended() {
    TForm8 form(nullptr);
    Fill(form);
    QCOMPARE(form.Lines().size(), size_t{4});
    QCOMPARE(form.Lines()[2], sifta::Sj(" 元ﾌｧｲﾙﾚｺｰﾄﾞ数　：1,234"));
    QCOMPARE(form.Memo1->toPlainText(), Ui("元ファイル名　：/data/in.csv\n抽出ファイル名：/data/out.csv\n"
                                           " 元ﾌｧｲﾙﾚｺｰﾄﾞ数　：1,234\n 抽出ﾌｧｲﾙﾚｺｰﾄﾞ数："));
    QCOMPARE(form.Edit1->text(), QStringLiteral(" 0"));
    form.ClearList();
    QVERIFY(form.Lines().empty());
    QVERIFY(form.Memo1->toPlainText().isEmpty());
  }

  void copyPutsTheWholeListOnTheClipboard() {
    FakeDialogs dialogs;
    TForm8 form(nullptr);
    Fill(form);
    QTextCursor cursor = form.Memo1->textCursor();
    cursor.setPosition(2);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    form.Memo1->setTextCursor(cursor);  // a part is selected
    form.Button1->click();
    QCOMPARE(QApplication::clipboard()->text(),
             Ui("元ファイル名　：/data/in.csv\n抽出ファイル名：/data/out.csv\n"
                " 元ﾌｧｲﾙﾚｺｰﾄﾞ数　：1,234\n 抽出ﾌｧｲﾙﾚｺｰﾄﾞ数：\n"));
    QCOMPARE(dialogs.boxes.size(), size_t{1});
    QVERIFY(dialogs.boxes[0].beepBefore);
    QCOMPARE(dialogs.boxes[0].text, Ui("**「ｺﾋﾟｰ」が終わりました。"));
  }

  void printGoesThroughTheThreeDialogsToThePrinter() {
    FakeDialogs dialogs;
    FakePrintDialogs print;
    QTemporaryDir folder;
    print.pdfPath = folder.filePath(QStringLiteral("list.pdf"));
    TForm8 form(nullptr);
    Fill(form);
    form.Button2->click();
    QCOMPARE(print.calls, std::vector<QString>({"font", "setup", "print"}));
    QCOMPARE(print.fontsOffered[0].family(), Ui("ＭＳ Ｐゴシック"));
    QCOMPARE(print.fontsOffered[0].pixelSize(), 12);
    QCOMPARE(dialogs.boxes.size(), size_t{1});
    QVERIFY(dialogs.boxes[0].beepBefore);
    QCOMPARE(dialogs.boxes[0].text, Ui("**「印刷」が終わりました。"));
    QVERIFY(ReadFile(print.pdfPath).startsWith("%PDF"));
    const QString text = PdfText(print.pdfPath);
    if (text.isNull()) QSKIP("pdftotext is not installed");
    QVERIFY2(text.contains(AsExtracted("元ファイル名　：/data/in.csv")), qPrintable(text));
    QVERIFY(text.contains(AsExtracted("元ﾌｧｲﾙﾚｺｰﾄﾞ数　：1,234")));
  }

  void fontChosenOnceIsKeptWhenTheDialogIsCancelled() {
    FakeDialogs dialogs;
    FakePrintDialogs print;
    QTemporaryDir folder;
    print.pdfPath = folder.filePath(QStringLiteral("1.pdf"));
    QFont mincho(Ui("ＭＳ 明朝"));
    mincho.setPixelSize(20);
    print.fontAnswers = {mincho};
    TForm8 form(nullptr);
    Fill(form);
    form.Button2Click();
    QCOMPARE(form.PrintFont(), mincho);
    print.pdfPath = folder.filePath(QStringLiteral("2.pdf"));
    form.Button2Click();  // the font dialog is cancelled this time
    QCOMPARE(print.fontsOffered.size(), size_t{2});
    QCOMPARE(print.fontsOffered[1], mincho);  // the dialog starts with the last choice
    QCOMPARE(form.PrintFont(), mincho);
    QCOMPARE(dialogs.Texts(),
             std::vector<QString>({Ui("**「印刷」が終わりました。"), Ui("**「印刷」が終わりました。")}));
    const QString fonts = PdfFonts(print.pdfPath);
    if (fonts.isNull()) QSKIP("pdffonts is not installed");
    QVERIFY2(fonts.contains(QStringLiteral("Mincho")), qPrintable(fonts));
  }

  void cancelledPrintDialogPrintsNothing() {
    FakeDialogs dialogs;
    FakePrintDialogs print;
    QTemporaryDir folder;
    print.pdfPath = folder.filePath(QStringLiteral("list.pdf"));
    print.printAnswer = false;
    TForm8 form(nullptr);
    Fill(form);
    form.Button2Click();
    QCOMPARE(dialogs.boxes.size(), size_t{1});
    QVERIFY(dialogs.boxes[0].beepBefore);
    QCOMPARE(dialogs.boxes[0].text, Ui("** プリンターが用意されていません。"));
    QVERIFY(!QFile::exists(print.pdfPath));
  }

  void printerThatCannotStartIsAnErrorWithoutCompletion() {
    FakeDialogs dialogs;
    FakePrintDialogs print;
    QTemporaryDir folder;
    print.pdfPath = folder.filePath(QStringLiteral("missing/list.pdf"));
    TForm8 form(nullptr);
    Fill(form);
    form.Button2Click();
    QCOMPARE(dialogs.boxes.size(), size_t{1});
    QCOMPARE(dialogs.boxes[0].kind, FakeDialogs::Kind::Error);
    QVERIFY(dialogs.boxes[0].beepBefore);
    QVERIFY(dialogs.boxes[0].text.contains(print.pdfPath));
  }

  void emptyListPrintsAnEmptyJob() {
    FakeDialogs dialogs;
    FakePrintDialogs print;
    QTemporaryDir folder;
    print.pdfPath = folder.filePath(QStringLiteral("empty.pdf"));
    TForm8 form(nullptr);
    form.Button2Click();
    QCOMPARE(dialogs.LastText(), Ui("**「印刷」が終わりました。"));
    QVERIFY(ReadFile(print.pdfPath).startsWith("%PDF"));
    const QString text = PdfText(print.pdfPath);
    if (text.isNull()) QSKIP("pdftotext is not installed");
    QVERIFY(text.trimmed().isEmpty());
  }

  void saveWritesTheBytesIntoMissingFolders() {
    FakeDialogs dialogs;
    QTemporaryDir folder;
    const QString path = folder.filePath(Ui("新しい/フォルダ/一覧.txt"));
    dialogs.saveAnswers = {path};
    TForm8 form(nullptr);
    Fill(form);
    form.Button3->click();
    QCOMPARE(dialogs.fileDialogs.size(), size_t{1});
    QVERIFY(dialogs.fileDialogs[0].save);
    QVERIFY(dialogs.fileDialogs[0].filter.isEmpty());
    QCOMPARE(ReadFile(path), Saved(form));
    QCOMPARE(dialogs.boxes.size(), size_t{1});
    QVERIFY(dialogs.boxes[0].beepBefore);
    QCOMPARE(dialogs.boxes[0].text, Ui("**「保存」が終わりました。"));
  }

  void emptyListSavesAnEmptyFileOverAnOldOne() {
    FakeDialogs dialogs;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.txt"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old\r\n");
    old.close();
    dialogs.saveAnswers = {path};
    TForm8 form(nullptr);
    form.Button3Click();
    QVERIFY(QFile::exists(path));
    QCOMPARE(ReadFile(path), QByteArray());
    QCOMPARE(dialogs.LastText(), Ui("**「保存」が終わりました。"));
  }

  void cancelledSaveDoesNothing() {
    FakeDialogs dialogs;
    TForm8 form(nullptr);
    Fill(form);
    form.Button3Click();
    QCOMPARE(dialogs.fileDialogs.size(), size_t{1});
    QVERIFY(dialogs.boxes.empty());
    QCOMPARE(dialogs.beeps, 0);
  }

  void fileThatCannotBeCreatedIsAnErrorWithoutCompletion() {
    FakeDialogs dialogs;
    QTemporaryDir folder;
    dialogs.saveAnswers = {folder.path()};  // a folder, not a file
    TForm8 form(nullptr);
    Fill(form);
    form.Button3Click();
    QCOMPARE(dialogs.boxes.size(), size_t{1});
    QCOMPARE(dialogs.boxes[0].kind, FakeDialogs::Kind::Error);
    QVERIFY(dialogs.boxes[0].beepBefore);
    QVERIFY(!dialogs.boxes[0].text.isEmpty());
  }
};

SIFTA_REGISTER_TEST(Sifta8Test)
#include "Sifta8Test.moc"
