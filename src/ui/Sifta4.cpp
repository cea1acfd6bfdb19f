#include "ui/Sifta4.h"

#include <QLineEdit>
#include <QPushButton>

#include "ui/QtText.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* owner)
    : FileInformationWindow(owner, "Form4", sifta::Ui("元ファイルの情報"), QColor(255, 218, 200),
                            sifta::Ui("レコード数："), {"Edit3", "Edit4", "Edit1", "Edit2"}) {
  Edit1 = ridBox_;
  Edit2 = bodyBox_;
  Edit3 = countBox_;
  Edit4 = itemsBox_;
  ClearRecordCount();
}

void TForm4::FillLayout(const sifta::FileLayout& layout) { ShowFileLayout(layout); }

void TForm4::SetRecordCount(std::int64_t count) { Edit3->setText(sifta::CountBoxText(count)); }

void TForm4::ClearRecordCount() { Edit3->clear(); }

bool TForm4::HasRecordCount() const { return !Edit3->text().isEmpty(); }
