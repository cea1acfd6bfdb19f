#include "ui/Sifta6.h"

#include <QLineEdit>
#include <QPushButton>

#include "ui/QtText.h"

TForm6* Form6 = nullptr;

TForm6::TForm6(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName(QStringLiteral("Form6"));
  controls_ = sifta::BuildFileInformationWindow(this, sifta::Ui("抽出ファイルの情報"), QColor(215, 206, 246),
                                                sifta::Ui("抽出ﾚｺｰﾄﾞ数："),
                                                {"Edit5", "Edit1", "Edit2", "Edit3", "Edit4"});
  Label1 = controls_.labels[0];
  Label2 = controls_.labels[1];
  Label3 = controls_.labels[2];
  Label4 = controls_.labels[3];
  Label5 = controls_.labels[4];
  Label6 = controls_.labels[5];
  Edit5 = controls_.path;
  Edit1 = controls_.count;
  Edit2 = controls_.items;
  Edit3 = controls_.rid;
  Edit4 = controls_.body;
  Memo1 = controls_.list;
  Button1 = controls_.close;
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TForm6::FillLayout(const sifta::FileLayout& extractLayout, std::int64_t extractRecordCount) {
  Edit1->setText(sifta::CountBoxText(extractRecordCount));
  sifta::ShowFileLayout(controls_, extractLayout);
}

void TForm6::Button1Click() { close(); }
