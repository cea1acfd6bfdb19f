#include "ui/Sifta6.h"

#include <QLineEdit>
#include <QPushButton>

#include "ui/QtText.h"

TForm6* Form6 = nullptr;

TForm6::TForm6(QWidget* owner)
    : FileInformationWindow(owner, "Form6", sifta::Ui("抽出ファイルの情報"), QColor(215, 206, 246),
                            sifta::Ui("抽出ﾚｺｰﾄﾞ数："), {"Edit1", "Edit2", "Edit3", "Edit4"}) {
  Edit1 = countBox_;
  Edit2 = itemsBox_;
  Edit3 = ridBox_;
  Edit4 = bodyBox_;
}

void TForm6::FillLayout(const sifta::FileLayout& extractLayout, std::int64_t extractRecordCount) {
  Edit1->setText(sifta::CountBoxText(extractRecordCount));
  ShowFileLayout(extractLayout);
}
