#include "ui/Sifta6.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>

#include "inspect/FileInspection.h"
#include "scan/NumberText.h"
#include "ui/QtText.h"

TForm6* Form6 = nullptr;

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int x, int y) {
  auto* label = new QLabel(sifta::Ui(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->move(x, y);
  label->adjustSize();
  return label;
}

QLineEdit* MakeBox(QWidget* parent, const char* name, int x, int y, int width) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setReadOnly(true);
  edit->setGeometry(x, y, width, 22);
  return edit;
}

QString Number(int value) { return QStringLiteral(" ") + QString::number(value); }

}  // namespace

TForm6::TForm6(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName(QStringLiteral("Form6"));
  setWindowTitle(sifta::Ui("抽出ファイルの情報"));
  resize(560, 420);
  QFont font(sifta::Ui("ＭＳ Ｐゴシック"));
  font.setPixelSize(12);
  setFont(font);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor(215, 206, 246));
  setPalette(palette);
  setAutoFillBackground(true);

  Label1 = MakeLabel(this, "Label1", "ファイル名：", 16, 16);
  Edit5 = MakeBox(this, "Edit5", 120, 12, 424);
  Label2 = MakeLabel(this, "Label2", "抽出ﾚｺｰﾄﾞ数：", 16, 46);
  Edit1 = MakeBox(this, "Edit1", 120, 42, 120);
  Label3 = MakeLabel(this, "Label3", "全項目数：", 290, 46);
  Edit2 = MakeBox(this, "Edit2", 424, 42, 120);
  Label4 = MakeLabel(this, "Label4", "ＲＩＤの項目数：", 16, 76);
  Edit3 = MakeBox(this, "Edit3", 120, 72, 120);
  Label5 = MakeLabel(this, "Label5", "ＢＯＤＹのセル数：", 290, 76);
  Edit4 = MakeBox(this, "Edit4", 424, 72, 120);
  Label6 = MakeLabel(this, "Label6", "全項目の一覧：", 16, 106);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont fixed(sifta::Ui("ＭＳ ゴシック"));
  fixed.setPixelSize(12);
  Memo1->setFont(fixed);
  Memo1->setGeometry(16, 124, 528, 244);

  Button1 = new QPushButton(sifta::Ui("閉じる"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(454, 378, 90, 30);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TForm6::FillLayout(const sifta::FileLayout& extractLayout, std::int64_t extractRecordCount) {
  Edit1->setText(QStringLiteral(" ") + QString::fromStdString(sifta::FormatCount(extractRecordCount)));
  Edit5->setText(sifta::PathText(extractLayout.fileName));
  Edit2->setText(Number(extractLayout.itemCount));
  Edit3->setText(Number(extractLayout.ridItemCount));
  Edit4->setText(Number(extractLayout.bodyCellCount));
  QStringList lines;
  for (const std::string& line : sifta::BuildItemList(extractLayout)) lines << sifta::FromSj(line);
  Memo1->setPlainText(lines.join(QLatin1Char('\n')));
}

void TForm6::Button1Click() { close(); }
