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

FileInformationControls BuildFileInformationWindow(QWidget* window, const QString& caption,
                                                   const QColor& background, const QString& countLabel,
                                                   const FileInformationBoxNames& names) {
  window->setWindowTitle(caption);
  window->resize(560, 420);
  window->setFont(PixelFont("ＭＳ Ｐゴシック", 12));
  SetBackground(window, background);

  FileInformationControls c;
  c.labels[0] = NumberedLabel(window, 1, Ui("ファイル名："), 16, 16);
  c.path = MakeBox(window, names.path, 120, 12, 424);
  c.labels[1] = NumberedLabel(window, 2, countLabel, 16, 46);
  c.count = MakeBox(window, names.count, 120, 42, 120);
  c.labels[2] = NumberedLabel(window, 3, Ui("全項目数："), 290, 46);
  c.items = MakeBox(window, names.items, 424, 42, 120);
  c.labels[3] = NumberedLabel(window, 4, Ui("ＲＩＤの項目数："), 16, 76);
  c.rid = MakeBox(window, names.rid, 120, 72, 120);
  c.labels[4] = NumberedLabel(window, 5, Ui("ＢＯＤＹのセル数："), 290, 76);
  c.body = MakeBox(window, names.body, 424, 72, 120);
  c.labels[5] = NumberedLabel(window, 6, Ui("全項目の一覧："), 16, 106);

  c.list = new QPlainTextEdit(window);
  c.list->setObjectName(QStringLiteral("Memo1"));
  c.list->setReadOnly(true);
  c.list->setLineWrapMode(QPlainTextEdit::NoWrap);
  c.list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  c.list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  c.list->setFont(PixelFont("ＭＳ ゴシック", 12));
  c.list->setGeometry(16, 124, 528, 244);

  c.close = MakeButton(window, "Button1", Ui("閉じる"), 454, 378, 90, 30);
  return c;
}

void ShowFileLayout(const FileInformationControls& c, const FileLayout& layout) {
  c.path->setText(PathText(layout.fileName));
  c.items->setText(Number(layout.itemCount));
  c.rid->setText(Number(layout.ridItemCount));
  c.body->setText(Number(layout.bodyCellCount));
  QStringList lines;
  for (const std::string& line : BuildItemList(layout)) lines << FromSj(line);
  c.list->setPlainText(lines.join(QLatin1Char('\n')));
}

QString CountBoxText(std::int64_t count) {
  return QStringLiteral(" ") + QString::fromStdString(FormatCount(count));
}

}  // namespace sifta
