#include "ui/Sifta8.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>

#include "inspect/TextLines.h"
#include "scan/PathFolders.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/PrintDialogs.h"
#include "ui/PrinterCanvas.h"
#include "ui/QtText.h"
#include "ui/WindowMessages.h"

TForm8* Form8 = nullptr;

namespace {

using sifta::PixelFont;

// The list's buttons: 96 x 30, with their hint.
QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, const char* hint, int x, int y) {
  auto* button = sifta::MakeButton(parent, name, sifta::Ui(text), x, y, 96, 30);
  if (hint) button->setToolTip(sifta::Ui(hint));
  return button;
}

void Done(QWidget* parent, const char* text) {
  sifta::Dialogs& dialogs = sifta::Dialogs::Current();
  dialogs.Beep();
  dialogs.Information(parent, sifta::Ui(text));
}

void Fault(QWidget* parent, const QString& text) {
  sifta::Dialogs& dialogs = sifta::Dialogs::Current();
  dialogs.Beep();
  dialogs.Error(parent, text);
}

QString PrinterName(const QPrinter& printer) {
  if (!printer.outputFileName().isEmpty()) return printer.outputFileName();
  return printer.printerName();
}

}  // namespace

TForm8::TForm8(QWidget* owner)
    : QWidget(owner, Qt::Window),
      dialogFont_(PixelFont("ＭＳ Ｐゴシック", 12)),
      printFont_(PixelFont("ＭＳ Ｐゴシック", 12)) {
  setObjectName(QStringLiteral("Form8"));
  setWindowTitle(sifta::Ui("抽出レコード数一覧"));
  resize(600, 430);
  setFont(PixelFont("ＭＳ Ｐゴシック", 12));

  Label1 = sifta::MakeLabel(this, "Label1", sifta::Ui("抽出レコード数一覧："), 16, 12);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setFont(PixelFont("ＭＳ ゴシック", 12));
  Memo1->setGeometry(16, 30, 568, 300);

  Label2 = sifta::MakeLabel(this, "Label2", sifta::Ui("全抽出レコード数："), 16, 346);
  Edit1 = sifta::MakeEdit(this, "Edit1", 124, 342, 160);
  Edit1->setReadOnly(true);

  Button1 = MakeButton(this, "Button1", "コピー", "ﾏｳｽで範囲指定してからｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ", 16, 384);
  Button2 = MakeButton(this, "Button2", "印　刷", "ﾌﾟﾘﾝﾀｰに出力します", 128, 384);
  Button3 = MakeButton(this, "Button3", "保　存", "ﾌｧｲﾙに出力します", 240, 384);
  Button4 = MakeButton(this, "Button4", "閉じる", nullptr, 488, 384);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
}

TForm8::~TForm8() = default;

void TForm8::ClearList() {
  lines_.clear();
  Memo1->clear();
}

void TForm8::AppendLine(const std::string& cp932Line) {
  lines_.push_back(cp932Line);
  Memo1->appendPlainText(sifta::FromSj(cp932Line));
}

void TForm8::SetTotal(const std::string& cp932Text) { Edit1->setText(sifta::FromSj(cp932Text)); }

std::vector<std::string> TForm8::Lines() const { return lines_; }

QPrinter& TForm8::Printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

void TForm8::showEvent(QShowEvent* event) {
  FormShow();
  QWidget::showEvent(event);
}

void TForm8::FormShow() {
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor(129, 255, 219));
  setPalette(palette);
  setAutoFillBackground(true);
}

void TForm8::Button1Click() {
  // The whole list, whatever is selected.
  QString text;
  for (const std::string& line : lines_) text += sifta::FromSj(line) + QLatin1Char('\n');
  QClipboard* clipboard = QApplication::clipboard();
  clipboard->clear();
  clipboard->setText(text);
  Done(this, sifta::window_messages::kCopyDone);
}

void TForm8::Button2Click() {
  sifta::PrintDialogs& dialogs = sifta::PrintDialogs::Current();
  if (const std::optional<QFont> font = dialogs.ChooseFont(this, dialogFont_)) {
    dialogFont_ = *font;
    printFont_ = *font;
  }
  QPrinter& printer = Printer();
  dialogs.SetUpPrinter(this, printer);
  if (!dialogs.ConfirmPrint(this, printer)) {
    Done(this, sifta::window_messages::kNoPrinter);
    return;
  }

  sifta::PrinterCanvas canvas(printer, printFont_);
  if (!canvas.Begin()) {
    Fault(this, sifta::Ui(sifta::window_messages::kPrintNotStarted) + PrinterName(printer));
    return;
  }
  const bool printed = sifta::PrintLines(lines_, canvas);
  canvas.End();
  if (!printed) {
    Fault(this, sifta::Ui(sifta::window_messages::kPrinterFailed) + PrinterName(printer));
    return;
  }
  Done(this, sifta::window_messages::kPrintDone);
}

void TForm8::Button3Click() {
  const std::optional<QString> chosen =
      sifta::Dialogs::Current().SaveFileName(this, QString(), sifta::StartFolder(savedName_));
  if (!chosen) return;
  savedName_ = *chosen;
  const std::filesystem::path path = sifta::FilePath(*chosen);
  sifta::CreatePathFolders(path);
  if (const std::optional<sifta::IoError> error = sifta::SaveLines(path, lines_)) {
    Fault(this, sifta::FromSj(error->message));
    return;
  }
  Done(this, sifta::window_messages::kSaveDone);
}

void TForm8::Button4Click() { close(); }
