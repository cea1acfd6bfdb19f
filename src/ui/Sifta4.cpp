#include "ui/Sifta4.h"

#include <QLineEdit>
#include <QPushButton>

#include "ui/QtText.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* owner) : QWidget(owner, Qt::Window) {
  setObjectName(QStringLiteral("Form4"));
  controls_ = sifta::BuildFileInformationWindow(this, sifta::Ui("元ファイルの情報"), QColor(255, 218, 200),
                                                sifta::Ui("レコード数："),
                                                {"Edit5", "Edit3", "Edit4", "Edit1", "Edit2"});
  Label1 = controls_.labels[0];
  Label2 = controls_.labels[1];
  Label3 = controls_.labels[2];
  Label4 = controls_.labels[3];
  Label5 = controls_.labels[4];
  Label6 = controls_.labels[5];
  Edit5 = controls_.path;
  Edit3 = controls_.count;
  Edit4 = controls_.items;
  Edit1 = controls_.rid;
  Edit2 = controls_.body;
  Memo1 = controls_.list;
  Button1 = controls_.close;
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  ClearRecordCount();
}

void TForm4::FillLayout(const sifta::FileLayout& layout) { sifta::ShowFileLayout(controls_, layout); }

void TForm4::SetRecordCount(std::int64_t count) { Edit3->setText(sifta::CountBoxText(count)); }

void TForm4::ClearRecordCount() { Edit3->clear(); }

bool TForm4::HasRecordCount() const { return !Edit3->text().isEmpty(); }

void TForm4::Button1Click() { close(); }
