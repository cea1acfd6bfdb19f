#include "ui/Sifta1.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>
#include <algorithm>
#include <variant>

#include "conditions/BatchConditionsWriter.h"
#include "conditions/BatchRequest.h"
#include "inspect/FileInspection.h"
#include "platform/Files.h"
#include "run/PlanMessages.h"
#include "run/RunMessages.h"
#include "scan/PathFolders.h"
#include "ui/Application.h"
#include "ui/ConditionTabs.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/MainWindowLayer.h"
#include "ui/QtText.h"
#include "ui/Sifta2.h"
#include "ui/Sifta3.h"
#include "ui/Sifta4.h"
#include "ui/Sifta5.h"
#include "ui/Sifta6.h"
#include "ui/Sifta7.h"
#include "ui/Sifta8.h"
#include "ui/WindowMessages.h"

TForm1* Form1 = nullptr;

namespace {

using sifta::Dialogs;
using sifta::MakeButton;
using sifta::MakeEdit;
using sifta::MakeLabel;
using sifta::Named;
using sifta::PixelFont;
using sifta::SetBackground;
using sifta::Ui;
namespace window_messages = sifta::window_messages;

// A message written with CR LF or CR line breaks, as a box shows it.
QString BoxText(const char* utf8) {
  QString text = Ui(utf8);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

const char* const kOpenFilter = "すべてのファイル（＠なし）|*.*";
const char* const kSaveFilter = "すべてのファイル|*.*";
const char* const kConditionsFilter = "条件ファイル|*.json|すべてのファイル|*.*";
// The rows a grid of the window takes from a conditions file; the row labels
// go up to "(999)".
constexpr std::size_t kMaxGridRows = 999;
const char* const kHintLabel = "ヒント時間調整\r\nは右クリックで";

QGroupBox* MakeGroupBox(QWidget* parent, const char* name, const char* caption, int x, int y, int w, int h) {
  auto* box = Named(new QGroupBox(Ui(caption), parent), name);
  box->setGeometry(x, y, w, h);
  return box;
}

// Shown in front of the others, restored first when it was minimised.
void Raise(QWidget* window) {
  if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(Ui("ＣＳＶレコードの抽出( Sifta 1.26 )"));
  // 621 x 630 with the frame, at 188, 92: the client area is a frame's width
  // and a caption's height smaller.
  move(188, 92);
  resize(613, 596);
  setFont(PixelFont("ＭＳ Ｐゴシック", 12));
  layer_ = std::make_unique<sifta::MainWindowLayer>(*this);
  BuildControls();
  FormCreate();
}

TForm1::~TForm1() {
  layer_.reset();
  delete Tabs;
  Tabs = nullptr;
  if (Form1 == this) Form1 = nullptr;
}

// Controls are created in the top level's tab order: GroupBox1, GroupBox2,
// GroupBox5, Button7, Button8, Button9.
void TForm1::BuildControls() {
  GroupBox1 = MakeGroupBox(this, "GroupBox1", " ファイルの選択 ", 8, 8, 457, 140);
  Button1 = MakeButton(GroupBox1, "Button1", "元ﾌｧｲﾙの選択", 16, 19, 97, 25);
  Label3 =
      MakeLabel(GroupBox1, "Label3", "( 元ファイルで＠を使う場合は下のファイル名を直接直します )", 120, 28);
  QPalette navy = Label3->palette();
  navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
  Label3->setPalette(navy);
  Label1 = MakeLabel(GroupBox1, "Label1", "ファイル名：", 30, 52);
  Edit1 = MakeEdit(GroupBox1, "Edit1", 94, 48, 348, 20);
  Edit1->setFont(PixelFont("ＭＳ ゴシック", 12));
  Edit1->setReadOnly(true);
  Edit1->installEventFilter(this);
  Edit1->setAcceptDrops(true);
  Button2 = MakeButton(GroupBox1, "Button2", "抽出ﾌｧｲﾙの選択", 16, 76, 97, 25);
  Label2 = MakeLabel(GroupBox1, "Label2", "ファイル名：", 30, 112);
  Edit2 = MakeEdit(GroupBox1, "Edit2", 94, 107, 348, 20);
  Edit2->setFont(PixelFont("ＭＳ ゴシック", 12));
  Edit2->installEventFilter(this);
  Edit2->setAcceptDrops(true);
  // The extract's form, beyond the described window: its encoding (the
  // source's own by default) and a first item naming each record's source.
  Label11 = MakeLabel(GroupBox1, "Label11", "文字ｺｰﾄﾞ：", 122, 83);
  ComboBox1 = sifta::Place(new QComboBox(GroupBox1), "ComboBox1", 184, 78, 124, 22);
  for (const char* item : {"元のまま", "UTF-8（BOM付き）", "UTF-8（BOMなし）"}) ComboBox1->addItem(Ui(item));
  CheckBox4 =
      sifta::Place(new QCheckBox(Ui("元ﾌｧｲﾙ名の列を付ける"), GroupBox1), "CheckBox4", 314, 80, 140, 18);

  GroupBox2 = MakeGroupBox(this, "GroupBox2", " 抽出の条件（下のタブをクリックしてすべて記入してください） ",
                           8, 158, 595, 322);
  Tabs = new ConditionTabs(GroupBox2);
  Tabs->PageControl1->setGeometry(14, 18, 570, 288);

  GroupBox5 = MakeGroupBox(this, "GroupBox5", " 実　行 ", 8, 489, 502, 96);
  Button3 = MakeButton(GroupBox5, "Button3", "抽出する", 16, 20, 65, 25);
  Button4 = MakeButton(GroupBox5, "Button4", "おわり", 110, 20, 65, 25);
  Button6 = MakeButton(GroupBox5, "Button6", "レコード数一覧", 41, 56, 109, 25);
  Label9 = MakeLabel(GroupBox5, "Label9", "全元レコード数：", 201, 28);
  Edit6 = MakeEdit(GroupBox5, "Edit6", 285, 24, 80, 20);
  Label6 = MakeLabel(GroupBox5, "Label6", "抽出レコード数：", 201, 62);
  Edit3 = MakeEdit(GroupBox5, "Edit3", 285, 58, 80, 20);
  Label7 = MakeLabel(GroupBox5, "Label7", "始め時間：", 375, 28);
  // The time fields are 12 pixels wider than 56: the IPA proportional font's
  // digits are wider than those of the font the layout was made for (on
  // Windows, where its glyphs are not hinted, wider still), and " hh:mm:ss"
  // would not fit. They still end within GroupBox5.
  Edit4 = MakeEdit(GroupBox5, "Edit4", 433, 24, 68, 20);
  Label8 = MakeLabel(GroupBox5, "Label8", "終り時間：", 375, 60);
  Edit5 = MakeEdit(GroupBox5, "Edit5", 433, 56, 68, 20);

  Button7 = MakeButton(this, "Button7", "元ﾌｧｲﾙ情報表示", 480, 32, 117, 25);
  Button8 = MakeButton(this, "Button8", "抽出ﾌｧｲﾙ情報表示", 480, 72, 117, 25);
  Button9 = MakeButton(this, "Button9", "ヘ ル プ", 480, 112, 89, 25);
  CheckBox5 = sifta::Place(new QCheckBox(Ui("Excelの行数で分割"), this), "CheckBox5", 472, 140, 136, 17);

  Label10 = Named(new QLabel(this), "Label10");
  Label10->move(520, 504);
  Label10->setFont(PixelFont("ＭＳ 明朝", 12));

  PopupMenu1 = Named(new QMenu(this), "PopupMenu1");
  N1 = PopupMenu1->addAction(Ui("ヒント表示： 標準"));
  N1->setObjectName(QStringLiteral("N1"));
  N2 = PopupMenu1->addAction(Ui("ヒント表示： 長く"));
  N2->setObjectName(QStringLiteral("N2"));
  connect(N1, &QAction::triggered, this, [this] { N1Click(); });
  connect(N2, &QAction::triggered, this, [this] { N2Click(); });
  PopupMenu1->addSeparator();
  N3 = PopupMenu1->addAction(Ui("条件を保存..."));
  N3->setObjectName(QStringLiteral("N3"));
  N4 = PopupMenu1->addAction(Ui("条件を開く..."));
  N4->setObjectName(QStringLiteral("N4"));
  connect(N3, &QAction::triggered, this, [this] { N3Click(); });
  connect(N4, &QAction::triggered, this, [this] { N4Click(); });

  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
  connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
  connect(Button7, &QPushButton::clicked, this, [this] { Button7Click(); });
  connect(Button8, &QPushButton::clicked, this, [this] { Button8Click(); });
  connect(Button9, &QPushButton::clicked, this, [this] { Button9Click(); });
}

void TForm1::FormCreate() {
  // 1. No source file information has been shown.
  layoutInformationShown_ = false;
  // 2.
  Edit1->clear();
  Edit2->clear();
  Edit3->clear();
  Edit4->clear();
  Edit5->clear();
  // 3.
  Button6->setEnabled(false);
  Button7->setEnabled(false);
  Button8->setEnabled(false);
  // 4.
  Label3->setVisible(false);
  // 5. to 9.: the grids inactive, Label4/5 and GroupBox4 off, the key grid's
  // titles, CheckBox3 off.
  Tabs->StartState();
  // 10.
  SetBackground(this, QColor(207, 254, 249));
  for (QGroupBox* box : {GroupBox1, GroupBox2, GroupBox5}) SetBackground(box, QColor(218, 218, 254));
  Tabs->ApplyBackgroundColours();
  // 11.
  Label10->setText(BoxText(kHintLabel));
  Label10->adjustSize();
}

QString TForm1::CopySwitch() { return QStringLiteral("#"); }

bool TForm1::Edit1KeyPress(int key) {
  if (key != 13) return false;
  Button2->setFocus();
  return true;
}

// Only its name is taken from a dropped file: the drop is accepted as a
// copy (or a link), never as a move, which would let the program the file
// was dragged from remove it. False when the drag offers neither.
bool TForm1::AcceptAsCopy(QDropEvent& drop) {
  for (const Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
    if (!(drop.possibleActions() & action)) continue;
    drop.setDropAction(action);
    drop.accept();
    return true;
  }
  drop.ignore();
  return false;
}

// A file dropped on a name field: one local file, not a folder.
std::optional<QString> TForm1::DroppedFile(const QMimeData* data) {
  const QList<QUrl> urls = data->urls();
  const char* refusal = nullptr;
  if (urls.size() != 1)
    refusal = window_messages::kDropOneFile;
  else if (!urls.front().isLocalFile() || QFileInfo(urls.front().toLocalFile()).isDir())
    refusal = window_messages::kDropNoFolder;
  if (refusal == nullptr) return QDir::toNativeSeparators(urls.front().toLocalFile());
  Dialogs::Current().Beep();
  Dialogs::Current().Information(this, Ui(refusal));
  return std::nullopt;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == Edit1 || watched == Edit2) &&
      (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove)) {
    auto* drag = static_cast<QDragMoveEvent*>(event);
    if (drag->mimeData()->hasUrls() && !runInProgress_ && AcceptAsCopy(*drag)) return true;
  }
  if ((watched == Edit1 || watched == Edit2) && event->type() == QEvent::Drop) {
    auto* drop = static_cast<QDropEvent*>(event);
    if (!drop->mimeData()->hasUrls()) return QWidget::eventFilter(watched, event);
    if (!AcceptAsCopy(*drop)) return true;
    if (runInProgress_) return true;
    if (const std::optional<QString> path = DroppedFile(drop->mimeData())) {
      if (watched == Edit2) {
        Edit2->setText(*path);
      } else if (path->contains(QLatin1Char('@'))) {
        Dialogs::Current().Beep();
        Dialogs::Current().Information(this, sifta::FromSj(sifta::PlaceholderInChosenFileMessage()));
      } else {
        TakeSourceFile(*path);
      }
    }
    return true;
  }
  if (watched == Edit1 && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return Edit1KeyPress(13);
  }
  return QWidget::eventFilter(watched, event);
}

void TForm1::contextMenuEvent(QContextMenuEvent* event) {
  PopupMenu1->popup(event->globalPos());
  event->accept();
}

void TForm1::closeEvent(QCloseEvent* event) {
  // A running run is ended by its own cancel button, not by closing the
  // window: the beep and the progress window in front say where that is.
  if (runInProgress_) {
    event->ignore();
    Dialogs::Current().Beep();
    if (Form2 && Form2->isVisible()) Raise(Form2);
    return;
  }
  QWidget::closeEvent(event);
}

std::optional<sifta::HeadingKind> TForm1::AskHeadingKind() {
  Dialogs::Current().Beep();
  switch (Dialogs::Current().Question(this, BoxText(window_messages::kHeadingQuestion), true)) {
    case Dialogs::Answer::Yes:
      return sifta::HeadingKind::User;
    case Dialogs::Answer::No:
      return sifta::HeadingKind::None;
    case Dialogs::Answer::Cancel:
      break;
  }
  return std::nullopt;
}

void TForm1::Button1Click() {
  if (runInProgress_) return;
  QString path;
  QString near = Edit1->text();
  for (;;) {
    const std::optional<QString> chosen =
        Dialogs::Current().OpenFileName(this, Ui(kOpenFilter), sifta::StartFolder(near));
    if (!chosen) return;
    if (!chosen->contains(QLatin1Char('@'))) {
      path = *chosen;
      break;
    }
    Dialogs::Current().Beep();
    Dialogs::Current().Information(this, sifta::FromSj(sifta::PlaceholderInChosenFileMessage()));
    near = *chosen;
  }
  TakeSourceFile(path);
}

void TForm1::TakeSourceFile(const QString& path) {
  // The information is worked out anew for this file.
  Edit1->setText(path);
  layoutInformationShown_ = false;
  if (Form4) Form4->ClearRecordCount();

  const sifta::LayoutResult result = sifta::ReadFileLayout(
      sifta::FilePath(path), [this] { return AskHeadingKind(); },
      [this](sifta::HeadingKind kind) { Tabs->SetHeadingKind(kind); });

  const std::optional<sifta::LayoutRefusal> refusal = sifta::LayoutRefusalOf(result);
  if (!refusal) return TakeLayout(std::get<sifta::FileLayout>(result));
  if (std::holds_alternative<sifta::LayoutCancelled>(result)) Edit1->clear();
  if (const auto* noData = std::get_if<sifta::LayoutNoData>(&result)) {
    // The new file's name, kind, heading and counts; the first record stays.
    std::string firstRecord = std::move(layout_.firstRecord);
    layout_ = noData->layout;
    layout_.firstRecord = std::move(firstRecord);
    layoutChosen_ = true;
  }
  Dialogs::Current().Beep();
  if (refusal->ioError)
    Dialogs::Current().Error(this, sifta::FromSj(refusal->message));
  else
    Dialogs::Current().Information(this, sifta::FromSj(refusal->message));
}

void TForm1::TakeLayout(const sifta::FileLayout& layout) {
  layout_ = layout;
  layoutChosen_ = true;
  Label3->setVisible(true);
  Edit1->setReadOnly(false);
  Button2->setFocus();
  Button7->setEnabled(true);
}

void TForm1::Button2Click() {
  if (runInProgress_) return;
  if (const std::optional<QString> path =
          Dialogs::Current().SaveFileName(this, Ui(kSaveFilter), sifta::StartFolder(Edit2->text())))
    Edit2->setText(*path);
}

void TForm1::Button3Click() {
  // No second run while one is under way, whatever its stage.
  if (runInProgress_ || inButton3_) return;
  inButton3_ = true;
  struct Leave {
    bool& flag;
    ~Leave() { flag = false; }
  } leave{inButton3_};

  sifta::RunExtraction(ReadConditions(), layout_, *layer_, record_);
  // Whatever ended the run, nothing stays locked.
  if (runInProgress_) layer_->Unlock();
}

void TForm1::SetRunInProgress(bool inProgress) {
  if (inProgress == runInProgress_) return;
  runInProgress_ = inProgress;
  if (inProgress) {
    edit1WasReadOnly_ = Edit1->isReadOnly();
    Edit1->setReadOnly(true);
    Edit2->setReadOnly(true);
  } else {
    Edit1->setReadOnly(edit1WasReadOnly_);
    Edit2->setReadOnly(false);
  }
  for (QPushButton* button : {Button1, Button2, Button3, Button4}) button->setEnabled(!inProgress);
  ComboBox1->setEnabled(!inProgress);
  CheckBox4->setEnabled(!inProgress);
  CheckBox5->setEnabled(!inProgress);
  Tabs->SetLocked(inProgress);
}

void TForm1::Button4Click() {
  delete Form3;
  Form3 = nullptr;
  delete Form4;
  Form4 = nullptr;
  close();
}

void TForm1::Button6Click() {
  if (Form8) Raise(Form8);
}

void TForm1::Button7Click() {
  if (!Form4) return;
  if (!layoutInformationShown_) {
    if (!Form4->HasRecordCount()) {
      Dialogs::Current().Beep();
      if (Dialogs::Current().Question(this, Ui(window_messages::kCountQuestion), false) ==
          Dialogs::Answer::Yes) {
        if (!Form5) Form5 = new TForm5(this);
        Form5->ShowAndPaint();
        const auto counted =
            sifta::CountRecords(sifta::platform::PathFromUtf8(layout_.fileName), layout_.headingKind);
        Form5->CloseWait();
        if (const auto* error = std::get_if<sifta::IoError>(&counted)) {
          // The count box stays empty and the question comes again.
          Dialogs::Current().Beep();
          Dialogs::Current().Error(this, sifta::FromSj(error->message));
          return;
        }
        Form4->SetRecordCount(std::get<std::int64_t>(counted));
      }
    }
    Form4->FillLayout(layout_);
    layoutInformationShown_ = true;
  }
  Raise(Form4);
}

void TForm1::Button8Click() {
  if (!Form6) return;
  if (record_.informationExtractFile.empty()) {
    Dialogs::Current().Beep();
    Dialogs::Current().Information(this, Ui(window_messages::kNoExtractYet));
    return;
  }
  const sifta::ExtractLayoutResult result = sifta::ReadExtractLayout(
      sifta::platform::PathFromUtf8(record_.informationExtractFile), layout_.headingKind,
      sifta::LineReader::kDefaultBlockSize, record_.informationExtractUtf8);
  if (std::holds_alternative<sifta::LayoutNoData>(result)) {
    Dialogs::Current().Beep();
    Dialogs::Current().Information(this, Ui(window_messages::kExtractNoData));
    return;
  }
  if (const auto* error = std::get_if<sifta::IoError>(&result)) {
    Dialogs::Current().Beep();
    Dialogs::Current().Error(this, sifta::FromSj(error->message));
    return;
  }
  Form6->FillLayout(std::get<sifta::FileLayout>(result), record_.informationExtractCount);
  Raise(Form6);
}

void TForm1::Button9Click() {
  copySwitchText_ = Edit3->text() == CopySwitch() ? CopySwitch() : QStringLiteral(" ");
  if (Form3) Raise(Form3);
}

void TForm1::N1Click() { sifta::SetHintDisplayTime(2500); }

void TForm1::N2Click() { sifta::SetHintDisplayTime(10000); }

void TForm1::N3Click() {
  if (runInProgress_) return;
  sifta::batch::BatchRequest request;
  request.conditions = ReadConditions(/*everyGrid=*/true);
  if (const std::optional<sifta::UnreadableCell> cell = request.conditions.unreadableCell) {
    Dialogs::Current().Beep();
    Dialogs::Current().Information(
        this, sifta::FromSj(sifta::PlanRowMessage(cell->tab, cell->row, sifta::PlanText::NoCp932Form)) +
                  QLatin1Char('\n') + Ui(window_messages::kConditionsNotSaved));
    return;
  }
  sifta::batch::DropEmptyRowsAtEnd(request.conditions);
  if (layoutChosen_) {
    request.layoutChosen = true;
    request.layoutPath = layout_.fileName;
    // User and None are the answers to the heading question.
    if (layout_.headingKind != sifta::HeadingKind::Standard) request.headingAnswer = layout_.headingKind;
  }
  const auto written = sifta::batch::WriteBatchConditions(request);
  if (const auto* fault = std::get_if<sifta::batch::RequestFault>(&written)) {
    Dialogs::Current().Beep();
    Dialogs::Current().Information(this, QString::fromStdString(fault->what) + QLatin1Char('\n') +
                                             Ui(window_messages::kConditionsNotSaved));
    return;
  }
  const std::optional<QString> chosen = Dialogs::Current().SaveFileName(
      this, Ui(kConditionsFilter),
      sifta::StartFolder(conditionsName_.isEmpty() ? Edit1->text() : conditionsName_));
  if (!chosen) return;
  // A name typed without an extension is a conditions file.
  QString name = *chosen;
  if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".json");
  if (QFileInfo::exists(name)) {
    Dialogs::Current().Beep();
    if (Dialogs::Current().Question(this,
                                    Ui(window_messages::kConditionsOverwrite) + QLatin1Char('\n') + name,
                                    false) != Dialogs::Answer::Yes)
      return;
  }
  conditionsName_ = name;
  const std::filesystem::path path = sifta::FilePath(name);
  sifta::CreatePathFolders(path);
  if (const std::optional<sifta::IoError> error =
          sifta::batch::SaveConditionsFile(path, std::get<std::string>(written))) {
    Dialogs::Current().Beep();
    Dialogs::Current().Error(this, sifta::FromSj(error->message));
    return;
  }
  Dialogs::Current().Beep();
  Dialogs::Current().Information(this, Ui(window_messages::kConditionsSaved));
}

void TForm1::RefuseConditions(const QString& what) {
  Dialogs::Current().Beep();
  Dialogs::Current().Information(this, Ui(window_messages::kConditionsRefused) + QLatin1Char('\n') + what);
}

void TForm1::N4Click() {
  if (runInProgress_) return;
  const std::optional<QString> chosen = Dialogs::Current().OpenFileName(
      this, Ui(kConditionsFilter),
      sifta::StartFolder(conditionsName_.isEmpty() ? Edit1->text() : conditionsName_));
  if (!chosen) return;
  conditionsName_ = *chosen;

  // Everything is checked before any control changes.
  const auto loaded = sifta::batch::LoadConditionsFile(sifta::FilePath(*chosen));
  if (const auto* error = std::get_if<sifta::IoError>(&loaded)) {
    Dialogs::Current().Beep();
    Dialogs::Current().Error(this, sifta::FromSj(error->message));
    return;
  }
  if (const auto* fault = std::get_if<sifta::batch::RequestFault>(&loaded))
    return RefuseConditions(QString::fromStdString(fault->what));
  const sifta::batch::BatchRequest& request = std::get<sifta::batch::BatchRequest>(loaded);
  const sifta::ExtractionConditions& conditions = request.conditions;
  for (const auto& [field, rows] :
       {std::pair{"rid.rows", conditions.ridRows.size()}, std::pair{"cells.rows", conditions.cellRows.size()},
        std::pair{"special", conditions.specialRows.size()},
        std::pair{"records.keys", conditions.keyRows.size()},
        std::pair{"records.codes", conditions.codeRows.size()}})
    if (rows > kMaxGridRows)
      return RefuseConditions(Ui("%1: %2行あります。画面の表は%3行までです。行を減らしてください。")
                                  .arg(QLatin1String(field))
                                  .arg(rows)
                                  .arg(kMaxGridRows));
  if (request.layoutChosen && request.layoutPath.find('@') != std::string::npos)
    return RefuseConditions(
        Ui("layout: ＠のあるファイル名は使えません。シリーズの最初のファイルの名前を書いてください。"));

  // The layout, as the source choice reads it; the tabs follow its heading
  // kind only once it has been read.
  if (request.layoutChosen) {
    const sifta::LayoutResult result = sifta::ReadFileLayout(
        sifta::platform::PathFromUtf8(request.layoutPath), [this] { return AskHeadingKind(); });
    const auto* layout = std::get_if<sifta::FileLayout>(&result);
    if (!layout) {
      // Opening conditions asks the heading question anew: its own words
      // when it is cancelled.
      const QString reason = std::holds_alternative<sifta::LayoutCancelled>(result)
                                 ? Ui(window_messages::kHeadingNotAnswered)
                                 : sifta::FromSj(sifta::LayoutRefusalOf(result)->message);
      Dialogs::Current().Beep();
      Dialogs::Current().Information(this,
                                     reason + QLatin1Char('\n') + Ui(window_messages::kConditionsNotOpened));
      return;
    }
    layoutInformationShown_ = false;
    if (Form4) Form4->ClearRecordCount();
    Tabs->SetHeadingKind(layout->headingKind);
    TakeLayout(*layout);
  } else {
    // No source file: the window as before any choice.
    layout_ = sifta::FileLayout{};
    layoutChosen_ = false;
    layoutInformationShown_ = false;
    if (Form4) Form4->ClearRecordCount();
    Tabs->SetHeadingKind(sifta::HeadingKind::Standard);
    Label3->setVisible(false);
    Edit1->setReadOnly(true);
    Button7->setEnabled(false);
  }
  Edit1->setText(sifta::PathText(conditions.sourceNameText));
  Edit2->setText(sifta::PathText(conditions.extractNameText));
  ComboBox1->setCurrentIndex(static_cast<int>(conditions.outputEncoding));
  CheckBox4->setChecked(conditions.sourceColumn);
  CheckBox5->setChecked(conditions.splitForExcel);
  Tabs->ApplyConditions(conditions);
}

sifta::ExtractionConditions TForm1::ReadConditions(bool everyGrid) const {
  sifta::ExtractionConditions conditions = Tabs->ReadConditions(Edit1->text(), Edit2->text(), everyGrid);
  conditions.outputEncoding = static_cast<sifta::OutputEncoding>(std::max(ComboBox1->currentIndex(), 0));
  conditions.sourceColumn = CheckBox4->isChecked();
  conditions.splitForExcel = CheckBox5->isChecked();
  return conditions;
}

namespace sifta {

namespace {

template <typename Form>
Form* MakeOwned(TForm1* owner) {
  auto* form = new Form(owner);
  if (!form->isWindow()) form->setWindowFlag(Qt::Window);
  return form;
}

}  // namespace

void CreateForms() {
  Form1 = new TForm1;
  Form2 = MakeOwned<TForm2>(Form1);
  Form3 = MakeOwned<TForm3>(Form1);
  Form4 = MakeOwned<TForm4>(Form1);
  Form5 = MakeOwned<TForm5>(Form1);
  Form6 = MakeOwned<TForm6>(Form1);
  Form7 = MakeOwned<TForm7>(Form1);
  Form8 = MakeOwned<TForm8>(Form1);
}

void DestroyForms() {
  delete Form8;
  Form8 = nullptr;
  delete Form7;
  Form7 = nullptr;
  delete Form6;
  Form6 = nullptr;
  delete Form5;
  Form5 = nullptr;
  delete Form4;
  Form4 = nullptr;
  delete Form3;
  Form3 = nullptr;
  delete Form2;
  Form2 = nullptr;
  delete Form1;
  Form1 = nullptr;
}

}  // namespace sifta
