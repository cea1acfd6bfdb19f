#include "ui/FileInformation.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>

#include "inspect/FileInspection.h"
#include "scan/NumberText.h"
#include "ui/Controls.h"
#include "ui/QtText.h"

namespace sifta {

namespace {

QLabel* NumberedLabel(QWidget* parent, int index, const QString& text, int x, int y) {
  return sifta::MakeLabel(parent, QStringLiteral("Label%1").arg(index), text, x, y);
}

QLineEdit* MakeBox(QWidget* parent, const char* name, int x, int y, int width) {
  QLineEdit* box = MakeEdit(parent, name, x, y, width);
  box->setReadOnly(true);
  return box;
}

QString Number(int value) { return QStringLiteral(" ") + QString::number(value); }

}  // namespace

FileInformationWindow::FileInformationWindow(QWidget* owner, const char* formName, const QString& caption,
                                             const QColor& background, const QString& countLabel,
                                             const BoxNames& names)
    : QWidget(owner, Qt::Window) {
  setObjectName(QString::fromLatin1(formName));
  setWindowTitle(caption);
  resize(560, 420);
  setFont(PixelFont("ＭＳ Ｐゴシック", 12));
  SetBackground(this, background);

  Label1 = NumberedLabel(this, 1, Ui("ファイル名："), 16, 16);
  Edit5 = MakeBox(this, "Edit5", 120, 12, 424);
  Label2 = NumberedLabel(this, 2, countLabel, 16, 46);
  countBox_ = MakeBox(this, names.count, 120, 42, 120);
  Label3 = NumberedLabel(this, 3, Ui("全項目数："), 290, 46);
  itemsBox_ = MakeBox(this, names.items, 424, 42, 120);
  Label4 = NumberedLabel(this, 4, Ui("ＲＩＤの項目数："), 16, 76);
  ridBox_ = MakeBox(this, names.rid, 120, 72, 120);
  Label5 = NumberedLabel(this, 5, Ui("ＢＯＤＹのセル数："), 290, 76);
  bodyBox_ = MakeBox(this, names.body, 424, 72, 120);
  Label6 = NumberedLabel(this, 6, Ui("全項目の一覧："), 16, 106);

  Memo1 = Place(new QPlainTextEdit(this), "Memo1", 16, 124, 528, 244);
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setFont(PixelFont("ＭＳ ゴシック", 12));

  Button1 = MakeButton(this, "Button1", Ui("閉じる"), 454, 378, 90, 30);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void FileInformationWindow::Button1Click() { close(); }

void FileInformationWindow::ShowFileLayout(const FileLayout& layout) {
  Edit5->setText(PathText(layout.fileName));
  itemsBox_->setText(Number(layout.itemCount));
  ridBox_->setText(Number(layout.ridItemCount));
  bodyBox_->setText(Number(layout.bodyCellCount));
  QStringList lines;
  for (const std::string& line : BuildItemList(layout)) lines << FromSj(line);
  Memo1->setPlainText(lines.join(QLatin1Char('\n')));
}

QString CountBoxText(std::int64_t count) {
  return QStringLiteral(" ") + QString::fromStdString(FormatCount(count));
}

}  // namespace sifta
