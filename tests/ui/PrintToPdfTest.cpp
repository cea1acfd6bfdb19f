// A real print job: the text lines laid out on a QPrinter that writes a PDF
// file, read back with poppler's tools.
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "TestRegistry.h"
#include "inspect/TextLines.h"
#include "scan/Cp932.h"
#include "ui/PrinterCanvas.h"
#include "ui/QtText.h"

using sifta::Ui;

namespace {

QString RunTool(const char* tool, const QStringList& arguments) {
  const QString program = QStandardPaths::findExecutable(QString::fromLatin1(tool));
  if (program.isEmpty()) return {};
  QProcess process;
  process.start(program, arguments);
  process.waitForFinished(10000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

int PageCount(const QString& pdf) {
  const QString info = RunTool("pdfinfo", {pdf});
  for (const QString& line : info.split(QLatin1Char('\n')))
    if (line.startsWith(QStringLiteral("Pages:"))) return line.mid(6).trimmed().toInt();
  return -1;
}

QFont ListFont() {
  QFont font(Ui("ＭＳ Ｐゴシック"));
  font.setPixelSize(12);
  return font;
}

struct Job {
  QTemporaryDir folder;
  QString pdf;
  QPrinter printer{QPrinter::HighResolution};
  Job() {
    pdf = folder.filePath(QStringLiteral("job.pdf"));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
  }
  bool Print(const std::vector<std::string>& lines) {
    sifta::PrinterCanvas canvas(printer, ListFont());
    if (!canvas.Begin()) return false;
    const bool printed = sifta::PrintLines(lines, canvas);
    canvas.End();
    return printed;
  }
};

}  // namespace

class PrintToPdfTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
      QSKIP("poppler-utils (pdftotext) is not installed");
  }

  void canvasMeasuresInPrinterUnits() {
    Job job;
    sifta::PrinterCanvas canvas(job.printer, ListFont());
    QVERIFY(canvas.Begin());
    QCOMPARE(canvas.PageWidth(), job.printer.width());
    QCOMPARE(canvas.PageHeight(), job.printer.height());
    // 9 points at 1200 dpi: 150 device units high, give or take the leading.
    QVERIFY2(canvas.FontHeight() > 120 && canvas.FontHeight() < 220,
             qPrintable(QString::number(canvas.FontHeight())));
    QVERIFY(canvas.AverageCharWidth() > 0);
    const std::string wide = sifta::Sj("あ");
    QVERIFY(canvas.TextWidth(wide) > canvas.TextWidth("a"));
    canvas.End();
  }

  void linesArePrintedInOrder() {
    Job job;
    QVERIFY(job.Print({sifta::Sj("元ファイル名　：/data/入力.csv"), sifta::Sj(" 抽出ﾌｧｲﾙﾚｺｰﾄﾞ数：12")}));
    const QString text = RunTool("pdftotext", {job.pdf, QStringLiteral("-")});
    // pdftotext gives the ideographic space back as a blank.
    const int first = text.indexOf(Ui("元ファイル名 ：/data/入力.csv"));
    const int second = text.indexOf(Ui("抽出ﾌｧｲﾙﾚｺｰﾄﾞ数：12"));
    QVERIFY2(first >= 0 && second > first, qPrintable(text));
    QCOMPARE(PageCount(job.pdf), 1);
  }

  void longLineWrapsToTheLeftEdge() {
    Job job;
    std::string line;
    for (int i = 0; i < 100; ++i) line += sifta::Sj("表");  // trail byte 0x5C each
    line += "END";
    QVERIFY(job.Print({line}));
    const QString text = RunTool("pdftotext", {QStringLiteral("-layout"), job.pdf, QStringLiteral("-")});
    QStringList printed;
    for (const QString& row : text.split(QLatin1Char('\n')))
      if (!row.trimmed().isEmpty()) printed << row;
    QVERIFY2(printed.size() >= 2, qPrintable(text));
    // Nothing lost or split, and the continuation starts at the left edge
    // while the first part follows the five blanks.
    QCOMPARE(printed.join(QString()).count(Ui("表")), 100);
    QVERIFY(printed.last().trimmed().endsWith(QStringLiteral("END")));
    QVERIFY(printed[0].startsWith(QLatin1Char(' ')));
    QVERIFY2(!printed[1].startsWith(QLatin1Char(' ')), qPrintable(text));
  }

  void manyLinesGoOnNewPages() {
    Job job;
    std::vector<std::string> lines;
    for (int i = 1; i <= 150; ++i) lines.push_back("line " + std::to_string(i));
    QVERIFY(job.Print(lines));
    QVERIFY(PageCount(job.pdf) >= 2);
    const QString text = RunTool("pdftotext", {job.pdf, QStringLiteral("-")});
    int from = 0;
    for (int i = 1; i <= 150; ++i) {
      const QRegularExpression wanted(QStringLiteral("\\bline %1\\b").arg(i));
      const int at = text.indexOf(wanted, from);
      QVERIFY2(at >= 0, qPrintable(QStringLiteral("line %1 missing").arg(i)));
      from = at;
    }
  }

  void emptyListIsOneEmptyPage() {
    Job job;
    QVERIFY(job.Print({}));
    QCOMPARE(PageCount(job.pdf), 1);
    QVERIFY(RunTool("pdftotext", {job.pdf, QStringLiteral("-")}).trimmed().isEmpty());
  }
};

SIFTA_REGISTER_TEST(PrintToPdfTest)
#include "PrintToPdfTest.moc"
