#include "ui/ConditionTabs.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <initializer_list>

#include "scan/Cp932.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/GridSteps.h"
#include "ui/HintTexts.h"
#include "ui/QtText.h"
#include "ui/StringGrid.h"
#include "ui/WindowMessages.h"

using sifta::EnterOutcome;
using sifta::RecordMode;
using sifta::StringGrid;

namespace {

// Tabs 20 pixels high; the tab under the mouse is drawn highlighted (a bar
// along its top edge), apart from the lasting highlight of its caption.
class TabBar final : public QTabBar {
 public:
  explicit TabBar(QWidget* parent) : QTabBar(parent) {
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
  }

 protected:
  QSize tabSizeHint(int index) const override {
    QSize size = QTabBar::tabSizeHint(index);
    size.setHeight(20);
    return size;
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    SetHovered(tabAt(event->position().toPoint()));
    QTabBar::mouseMoveEvent(event);
  }

  void leaveEvent(QEvent* event) override {
    SetHovered(-1);
    QTabBar::leaveEvent(event);
  }

  void paintEvent(QPaintEvent* event) override {
    QTabBar::paintEvent(event);
    if (hovered_ < 0 || hovered_ >= count() || !isTabVisible(hovered_)) return;
    QPainter painter(this);
    const QRect tab = tabRect(hovered_);
    painter.fillRect(QRect(tab.left() + 1, tab.top(), tab.width() - 2, 2),
                     palette().color(QPalette::Highlight));
  }

 private:
  void SetHovered(int index) {
    if (index == hovered_) return;
    hovered_ = index;
    update();
  }

  int hovered_ = -1;
};

class PageControl final : public QTabWidget {
 public:
  explicit PageControl(QWidget* parent) : QTabWidget(parent) { setTabBar(new TabBar(this)); }
};

using sifta::MakeLabel;
using sifta::Place;
using sifta::SetBackground;

QRadioButton* MakeRadio(QWidget* parent, const char* name, const QString& caption, int left, int top,
                        int width) {
  return Place(new QRadioButton(caption, parent), name, left, top, width, 18);
}

QFrame* MakePanel(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* panel = Place(new QFrame(parent), name, left, top, width, height);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(1);
  return panel;
}

StringGrid* MakeGrid(QWidget* parent, const char* name, const StringGrid::Shape& shape, int left, int top,
                     int width, int height) {
  return Place(new StringGrid(parent, shape), name, left, top, width, height);
}

void SetCaption(QLabel* label, const QString& caption) {
  label->setText(caption);
  label->adjustSize();
}

// What an Enter step asked for, shown.
void Show(const EnterOutcome& outcome, StringGrid* grid, StringGrid* valueGrid, QWidget* parent) {
  switch (outcome.kind) {
    case EnterOutcome::Kind::Moved:
      grid->SetFocus();
      break;
    case EnterOutcome::Kind::Refused:
      sifta::Dialogs::Current().Beep();
      sifta::Dialogs::Current().Information(parent, outcome.message);
      grid->SetFocus();
      break;
    case EnterOutcome::Kind::NotAnInteger:
      sifta::Dialogs::Current().Error(parent, outcome.message);
      grid->SetFocus();
      break;
    case EnterOutcome::Kind::FocusValueGrid:
      valueGrid->SetFocus();
      break;
  }
}

}  // namespace

ConditionTabs::ConditionTabs(QWidget* pageControlParent) : QObject(pageControlParent) {
  PageControl1 = Place(new PageControl(pageControlParent), "PageControl1", 14, 18, 570, 288);
  TabSheet1 = new QWidget;
  TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
  TabSheet2 = new QWidget;
  TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
  TabSheet3 = new QWidget;
  TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
  PageControl1->addTab(TabSheet1, QStringLiteral(" ＲＩＤ項目の抽出 "));
  PageControl1->addTab(TabSheet2, QStringLiteral(" セルの抽出 "));
  PageControl1->addTab(TabSheet3, QStringLiteral(" レコードの抽出 "));
  BuildRidTab();
  BuildCellTab();
  BuildRecordTab();
  PageControl1->setCurrentIndex(0);
}

ConditionTabs::~ConditionTabs() = default;

void ConditionTabs::BuildRidTab() {
  Panel1 = MakePanel(TabSheet1, "Panel1", 24, 7, 334, 53);
  RadioButton1 = MakeRadio(Panel1, "RadioButton1", QStringLiteral("すべてのＲＩＤ項目を抽出"), 8, 8, 176);
  RadioButton2 =
      MakeRadio(Panel1, "RadioButton2", QStringLiteral("下で指定するＲＩＤ項目を抽出"), 8, 29, 200);
  RadioButton11 = MakeRadio(Panel1, "RadioButton11", QStringLiteral("RID項目を抽出しない"), 190, 8, 140);
  StringGrid1 = MakeGrid(TabSheet1, "StringGrid1", {3, 20, true, true, 17}, 72, 68, 160, 180);
  StringGrid1->SetColumnWidths({29, 54, 52});

  connect(RadioButton1, &QRadioButton::clicked, this, &ConditionTabs::RadioButton1Click);
  connect(RadioButton2, &QRadioButton::clicked, this, &ConditionTabs::RadioButton2Click);
  connect(RadioButton11, &QRadioButton::clicked, this, &ConditionTabs::RadioButton11Click);
  StringGrid1->onKeyPress = [this](char& key) { StringGrid1KeyPress(key); };
  StringGrid1->onLeave = [this] { return LeaveGrid(*StringGrid1, sifta::ConditionGrid::Rid); };
}

void ConditionTabs::BuildCellTab() {
  Panel2 = MakePanel(TabSheet2, "Panel2", 13, 7, 331, 53);
  RadioButton3 = MakeRadio(Panel2, "RadioButton3", QStringLiteral("すべてのセル項目を抽出"), 8, 8, 176);
  RadioButton4 = MakeRadio(Panel2, "RadioButton4", QStringLiteral("下で指定するセル項目を抽出"), 8, 29, 200);
  RadioButton12 = MakeRadio(Panel2, "RadioButton12", QStringLiteral("セル項目を抽出しない"), 190, 8, 138);

  StringGrid6 = MakeGrid(TabSheet2, "StringGrid6", {2, 2, false, false, 18}, 49, 69, 260, 23);
  StringGrid6->SetColumnWidths({104, 149});
  // Only the title row shows.
  StringGrid6->horizontalHeader()->setFixedHeight(23 - 2 * StringGrid6->frameWidth());
  StringGrid2 = MakeGrid(TabSheet2, "StringGrid2", {5, 20, true, true, 17}, 18, 89, 309, 160);
  StringGrid2->SetColumnWidths({29, 52, 52, 76, 72});

  GroupBox3 =
      Place(new QGroupBox(QStringLiteral(" セルのゼロ化 "), TabSheet2), "GroupBox3", 358, 23, 194, 226);
  CheckBox1 =
      Place(new QCheckBox(QStringLiteral("非数字をゼロにする"), GroupBox3), "CheckBox1", 14, 20, 170, 18);
  CheckBox1->setToolTip(sifta::CheckBox1Hint());
  CheckBox2 = Place(new QCheckBox(QStringLiteral("下の特定文字をゼロにする"), GroupBox3), "CheckBox2", 14, 41,
                    176, 18);
  CheckBox2->setToolTip(sifta::CheckBox2Hint());
  StringGrid3 = MakeGrid(GroupBox3, "StringGrid3", {2, 20, true, true, 17}, 18, 64, 162, 155);
  StringGrid3->SetColumnWidths({28, 108});

  connect(RadioButton3, &QRadioButton::clicked, this, &ConditionTabs::RadioButton3Click);
  connect(RadioButton4, &QRadioButton::clicked, this, &ConditionTabs::RadioButton4Click);
  connect(RadioButton12, &QRadioButton::clicked, this, &ConditionTabs::RadioButton12Click);
  connect(CheckBox2, &QCheckBox::clicked, this, &ConditionTabs::CheckBox2Click);
  StringGrid2->onKeyPress = [this](char& key) { StringGrid2KeyPress(key); };
  StringGrid3->onKeyPress = [this](char& key) { StringGrid3KeyPress(key); };
  StringGrid2->onLeave = [this] { return LeaveGrid(*StringGrid2, sifta::ConditionGrid::Cell); };
}

void ConditionTabs::BuildRecordTab() {
  Panel3 = MakePanel(TabSheet3, "Panel3", 24, 7, 518, 32);
  RadioButton5 = MakeRadio(Panel3, "RadioButton5", QStringLiteral("すべてのレコードを抽出"), 8, 7, 158);
  RadioButton6 = MakeRadio(Panel3, "RadioButton6", QStringLiteral("カウントで抽出"), 172, 7, 110);
  RadioButton7 = MakeRadio(Panel3, "RadioButton7", QStringLiteral("コードで抽出"), 290, 7, 100);
  RadioButton13 = MakeRadio(Panel3, "RadioButton13", QStringLiteral("セル値で抽出"), 398, 7, 100);

  Label4 = MakeLabel(TabSheet3, "Label4", QStringLiteral("ｺｰﾄﾞｷｰ番号："), 29, 48);
  Label5 = MakeLabel(TabSheet3, "Label5", QStringLiteral("ｺｰﾄﾞ："), 237, 53);
  StringGrid4 = MakeGrid(TabSheet3, "StringGrid4", {3, 20, true, true, 17}, 35, 64, 189, 119);
  StringGrid4->SetColumnWidths({29, 67, 66});
  StringGrid5 = MakeGrid(TabSheet3, "StringGrid5", {3, 20, true, true, 17}, 272, 48, 279, 127);
  StringGrid5->SetColumnWidths({31, 108, 112});

  CheckBox3 = Place(new QCheckBox(QStringLiteral("上のコード（セル値）以外を抽出"), TabSheet3), "CheckBox3",
                    325, 180, 220, 18);
  GroupBox4 =
      Place(new QGroupBox(QStringLiteral(" コードのまとまり方 "), TabSheet3), "GroupBox4", 24, 201, 392, 49);
  RadioButton8 = MakeRadio(GroupBox4, "RadioButton8", QStringLiteral("わからない"), 10, 22, 80);
  RadioButton8->setToolTip(sifta::RadioButton8Hint());
  RadioButton9 = MakeRadio(GroupBox4, "RadioButton9", QStringLiteral("順番でまとまっている"), 94, 22, 140);
  RadioButton9->setToolTip(sifta::RadioButton9Hint());
  RadioButton10 =
      MakeRadio(GroupBox4, "RadioButton10", QStringLiteral("順番だが散らばっている"), 236, 22, 152);
  RadioButton10->setToolTip(sifta::RadioButton10Hint());

  connect(RadioButton5, &QRadioButton::clicked, this, &ConditionTabs::RadioButton5Click);
  connect(RadioButton6, &QRadioButton::clicked, this, &ConditionTabs::RadioButton6Click);
  connect(RadioButton7, &QRadioButton::clicked, this, &ConditionTabs::RadioButton7Click);
  connect(RadioButton13, &QRadioButton::clicked, this, &ConditionTabs::RadioButton13Click);
  StringGrid4->onKeyPress = [this](char& key) { StringGrid4KeyPress(key); };
  StringGrid5->onKeyPress = [this](char& key) { StringGrid5KeyPress(key); };
  StringGrid4->onLeave = [this] { return LeaveGrid(*StringGrid4, sifta::ConditionGrid::Key); };
}

// --- state -----------------------------------------------------------------

// The record tab with no mode chosen: its labels, key and value grids and
// "all except" off, the key grid under its start titles.
void ConditionTabs::RecordTabWithoutMode() {
  Label4->setEnabled(false);
  Label5->setEnabled(false);
  SetGroupBoxOn(GroupBox4, false);
  sifta::WriteKeyGridStartTitles(*StringGrid4);
  SetupKeyGrid(false, RecordMode::All);
  SetupValueGrid(false, RecordMode::All);
  CheckBox3->setEnabled(false);
}

void ConditionTabs::StartState() {
  SetupRidGrid(false);
  SetupCellGrid(false);
  SetupSpecialGrid(false);
  RecordTabWithoutMode();
  SetGroupBoxOn(GroupBox3, true);
  PageControl1->setCurrentIndex(0);
}

void ConditionTabs::SetHeadingKind(sifta::HeadingKind kind) {
  headingKind_ = kind;
  const bool standard = kind == sifta::HeadingKind::Standard;
  PageControl1->setTabVisible(0, standard);
  RadioButton7->setEnabled(standard);
  RadioButton12->setEnabled(standard);
}

void ConditionTabs::SetLocked(bool locked) {
  locked_ = locked;
  for (QWidget* page : {TabSheet1, TabSheet2, TabSheet3}) page->setEnabled(!locked);
}

void ConditionTabs::ApplyBackgroundColours() {
  SetBackground(GroupBox3, QColor(235, 193, 249));
  SetBackground(GroupBox4, QColor(203, 252, 180));
  for (QFrame* panel : {Panel1, Panel2, Panel3}) SetBackground(panel, QColor(194, 200, 245));
}

void ConditionTabs::HighlightTab(int n) {
  if (n < 1 || n > 3) return;
  highlighted_[static_cast<std::size_t>(n - 1)] = true;
  PageControl1->tabBar()->setTabTextColor(n - 1, PageControl1->palette().color(QPalette::Highlight));
}

bool ConditionTabs::IsTabHighlighted(int n) const {
  return n >= 1 && n <= 3 && highlighted_[static_cast<std::size_t>(n - 1)];
}

std::optional<RecordMode> ConditionTabs::SelectedRecordMode() const {
  if (RadioButton5->isChecked()) return RecordMode::All;
  if (RadioButton6->isChecked()) return RecordMode::Count;
  if (RadioButton7->isChecked()) return RecordMode::Code;
  if (RadioButton13->isChecked()) return RecordMode::Value;
  return std::nullopt;
}

// On: enabled, caption in the window-text colour. Off: disabled (so are the
// controls inside), caption in the inactive-caption colour.
void ConditionTabs::SetGroupBoxOn(QGroupBox* box, bool on) {
  const QColor caption =
      on ? sifta::SystemColourValue(sifta::SystemColour::WindowText) : sifta::InactiveCaptionColour();
  QPalette palette = box->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::WindowText, caption);
    palette.setColor(group, QPalette::Text, caption);
  }
  box->setPalette(palette);
  box->setEnabled(on);
}

QWidget* ConditionTabs::DialogParent() const { return PageControl1->window(); }

// --- set-up operations -------------------------------------------------------

void ConditionTabs::SetupRidGrid(bool active) { sifta::SetupRidGrid(*StringGrid1, active); }

void ConditionTabs::SetupCellGrid(bool active) { sifta::SetupCellGrid(*StringGrid2, *StringGrid6, active); }

void ConditionTabs::SetupSpecialGrid(bool active) { sifta::SetupSpecialGrid(*StringGrid3, active); }

void ConditionTabs::SetupKeyGrid(bool active, RecordMode mode) {
  sifta::SetupKeyGrid(*StringGrid4, active, mode);
}

void ConditionTabs::SetupValueGrid(bool active, RecordMode mode) {
  sifta::SetupValueGrid(*StringGrid5, active, mode);
}

// --- choice handlers ---------------------------------------------------------

void ConditionTabs::RadioButton1Click() {
  SetupRidGrid(false);
  HighlightTab(1);
}

void ConditionTabs::RadioButton2Click() {
  SetupRidGrid(true);
  HighlightTab(1);
  StringGrid1->SetFocus();
  StringGrid1->SetHint(sifta::RidGridHint());
}

void ConditionTabs::RadioButton11Click() {
  SetupRidGrid(false);
  HighlightTab(1);
}

void ConditionTabs::RadioButton3Click() {
  SetupCellGrid(false);
  HighlightTab(2);
  SetGroupBoxOn(GroupBox3, true);
}

void ConditionTabs::RadioButton4Click() {
  SetupCellGrid(true);
  HighlightTab(2);
  SetGroupBoxOn(GroupBox3, true);
  StringGrid2->SetFocus();
  StringGrid2->SetHint(sifta::CellGridHint());
}

void ConditionTabs::RadioButton12Click() {
  if (headingKind_ != sifta::HeadingKind::Standard) {
    sifta::Dialogs::Current().Beep();
    sifta::Dialogs::Current().Information(DialogParent(), sifta::Ui(sifta::window_messages::kNotAllowed));
    return;
  }
  HighlightTab(2);
  SetupCellGrid(false);
  SetGroupBoxOn(GroupBox3, false);
}

void ConditionTabs::CheckBox2Click() {
  if (CheckBox2->isChecked()) {
    SetupSpecialGrid(true);
    StringGrid3->SetFocus();
    StringGrid3->SetHint(sifta::SpecialGridHint());
  } else {
    SetupSpecialGrid(false);
  }
}

void ConditionTabs::RadioButton5Click() {
  Label4->setEnabled(false);
  Label5->setEnabled(false);
  SetGroupBoxOn(GroupBox4, false);
  SetupKeyGrid(false, RecordMode::All);
  SetupValueGrid(false, RecordMode::All);
  CheckBox3->setEnabled(false);
  HighlightTab(3);
}

void ConditionTabs::RadioButton6Click() {
  Label4->setEnabled(true);
  SetCaption(Label4, QStringLiteral("カウント："));
  Label5->setEnabled(false);
  HighlightTab(3);
  SetGroupBoxOn(GroupBox4, false);
  SetupKeyGrid(true, RecordMode::Count);
  StringGrid4->SetFocus();
  SetupValueGrid(false, RecordMode::Count);
  CheckBox3->setEnabled(false);
  StringGrid4->SetHint(sifta::KeyGridCountHint());
}

void ConditionTabs::RadioButton7Click() {
  Label4->setEnabled(true);
  SetCaption(Label4, QStringLiteral("ｺｰﾄﾞｷｰ番号："));
  Label5->setEnabled(true);
  SetCaption(Label5, QStringLiteral("ｺｰﾄﾞ："));
  HighlightTab(3);
  SetGroupBoxOn(GroupBox4, true);
  SetupKeyGrid(true, RecordMode::Code);
  SetupValueGrid(true, RecordMode::Code);
  CheckBox3->setEnabled(true);
  StringGrid4->SetFocus();
  StringGrid4->SetHint(sifta::KeyGridCodeHint());
  StringGrid5->SetHint(sifta::ValueGridCodeHint());
}

void ConditionTabs::RadioButton13Click() {
  Label4->setEnabled(true);
  SetCaption(Label4, QStringLiteral("ｾﾙｷｰ番号（1個だけ）："));
  Label5->setEnabled(true);
  SetCaption(Label5, QStringLiteral("ｾﾙ値："));
  HighlightTab(3);
  SetGroupBoxOn(GroupBox4, false);
  SetupKeyGrid(true, RecordMode::Value);
  SetupValueGrid(true, RecordMode::Value);
  CheckBox3->setEnabled(true);
  StringGrid4->SetFocus();
  StringGrid4->SetHint(sifta::KeyGridValueHint());
  StringGrid5->SetHint(sifta::ValueGridValueHint());
}

// --- Enter steps -------------------------------------------------------------

void ConditionTabs::StringGrid1KeyPress(char& key) {
  if (key != 13) return;
  key = 0;
  Show(sifta::RidGridEnter(*StringGrid1), StringGrid1, StringGrid5, DialogParent());
}

void ConditionTabs::StringGrid2KeyPress(char& key) {
  if (key != 13) return;
  key = 0;
  Show(sifta::CellGridEnter(*StringGrid2), StringGrid2, StringGrid5, DialogParent());
}

void ConditionTabs::StringGrid3KeyPress(char& key) {
  if (key != 13) return;
  key = 0;
  Show(sifta::SpecialGridEnter(*StringGrid3), StringGrid3, StringGrid5, DialogParent());
}

void ConditionTabs::StringGrid4KeyPress(char& key) {
  if (key != 13) return;
  key = 0;
  const RecordMode mode = SelectedRecordMode().value_or(RecordMode::All);
  Show(sifta::KeyGridEnter(*StringGrid4, mode), StringGrid4, StringGrid5, DialogParent());
}

void ConditionTabs::StringGrid5KeyPress(char& key) {
  if (key != 13) return;
  key = 0;
  Show(sifta::ValueGridEnter(*StringGrid5), StringGrid5, StringGrid5, DialogParent());
}

bool ConditionTabs::LeaveGrid(StringGrid& grid, sifta::ConditionGrid which) {
  const RecordMode mode = SelectedRecordMode().value_or(RecordMode::All);
  const std::optional<EnterOutcome> refused = sifta::LeaveCheck(grid, which, mode);
  if (!refused) return true;
  Show(*refused, &grid, StringGrid5, DialogParent());
  return false;
}

// --- reading the conditions --------------------------------------------------

namespace {

using Tab = sifta::PlanTab;

// Reads the rows of one grid. A grid that the conditions use refuses a text
// without a code page 932 form; the cells of a grid that they do not use are
// never looked at, so there a stand-in character does no harm.
class GridReader {
 public:
  std::optional<sifta::UnreadableCell> unreadable;

  template <std::size_t N>
  std::vector<std::array<std::string, N>> Rows(const StringGrid& grid, Tab tab, bool used) {
    std::vector<std::array<std::string, N>> rows;
    for (int row = 1; row < grid.RowCount(); ++row) {
      std::array<std::string, N> cells;
      for (std::size_t i = 0; i < N; ++i) cells[i] = Read(grid, static_cast<int>(i) + 1, row, tab, used);
      rows.push_back(std::move(cells));
    }
    return rows;
  }

 private:
  std::string Read(const StringGrid& grid, int column, int row, Tab tab, bool used) {
    const QString typed = grid.Cell(column, row);
    if (!used) return sifta::GridCellText(sifta::Utf8ToCp932ForDisplay(typed.toStdString()));
    std::optional<std::string> bytes = sifta::ToSj(typed);
    if (!bytes) {
      if (!unreadable) unreadable = sifta::UnreadableCell{tab, row};
      return {};
    }
    return sifta::GridCellText(*bytes);
  }
};

}  // namespace

sifta::ExtractionConditions ConditionTabs::ReadConditions(const QString& sourceName,
                                                          const QString& extractName, bool everyGrid) const {
  using sifta::ColumnChoice;
  sifta::ExtractionConditions conditions;
  conditions.sourceNameText = sifta::PathBytes(sourceName);
  conditions.extractNameText = sifta::PathBytes(extractName);

  if (RadioButton1->isChecked()) conditions.ridChoice = ColumnChoice::AllItems;
  if (RadioButton2->isChecked()) conditions.ridChoice = ColumnChoice::ListedItems;
  if (RadioButton11->isChecked()) conditions.ridChoice = ColumnChoice::NoItems;
  if (RadioButton3->isChecked()) conditions.cellChoice = ColumnChoice::AllItems;
  if (RadioButton4->isChecked()) conditions.cellChoice = ColumnChoice::ListedItems;
  if (RadioButton12->isChecked()) conditions.cellChoice = ColumnChoice::NoItems;
  conditions.zeroNonNumeric = CheckBox1->isChecked();
  conditions.zeroSpecial = CheckBox2->isChecked();
  conditions.recordMode = SelectedRecordMode();
  if (RadioButton9->isChecked())
    conditions.grouping = sifta::CodeGrouping::GroupedInOrder;
  else if (RadioButton10->isChecked())
    conditions.grouping = sifta::CodeGrouping::Scattered;
  conditions.extractAllExcept = CheckBox3->isChecked();

  bool ridUsed =
      headingKind_ == sifta::HeadingKind::Standard && conditions.ridChoice == ColumnChoice::ListedItems;
  bool cellUsed = conditions.cellChoice == ColumnChoice::ListedItems;
  bool specialUsed = conditions.zeroSpecial && conditions.cellChoice.has_value() &&
                     conditions.cellChoice != ColumnChoice::NoItems;
  bool keyUsed = conditions.recordMode.has_value() && conditions.recordMode != RecordMode::All;
  bool codeUsed = conditions.recordMode == RecordMode::Code || conditions.recordMode == RecordMode::Value;

  GridReader reader;
  if (everyGrid) ridUsed = cellUsed = specialUsed = keyUsed = codeUsed = true;
  conditions.ridRows = reader.Rows<2>(*StringGrid1, Tab::Rid, ridUsed);
  conditions.cellRows = reader.Rows<4>(*StringGrid2, Tab::Cell, cellUsed);
  for (const auto& row : reader.Rows<1>(*StringGrid3, Tab::Cell, specialUsed))
    conditions.specialRows.push_back(row[0]);
  conditions.keyRows = reader.Rows<2>(*StringGrid4, Tab::Record, keyUsed);
  conditions.codeRows = reader.Rows<2>(*StringGrid5, Tab::Record, codeUsed);
  conditions.unreadableCell = reader.unreadable;
  return conditions;
}

// --- conditions from a file --------------------------------------------------

namespace {

// One radio button of a group checked, or none.
void Check(std::initializer_list<QRadioButton*> group, QRadioButton* checked) {
  for (QRadioButton* button : group) {
    button->setAutoExclusive(false);
    button->setChecked(button == checked);
    button->setAutoExclusive(true);
  }
}

// The grid emptied, then rows 1.. as given; the labels up to the last one.
template <std::size_t N>
void FillGrid(StringGrid& grid, const std::vector<std::array<std::string, N>>& rows) {
  for (int row = 1; row < grid.RowCount(); ++row) {
    if (row > 1) grid.SetCell(0, row, QString());
    for (int column = 1; column <= static_cast<int>(N); ++column) grid.SetCell(column, row, QString());
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const int row = static_cast<int>(r) + 1;
    while (row > grid.RowCount() - 1) grid.AppendRow();
    grid.SetCell(0, row, sifta::RowLabel(row));
    for (std::size_t i = 0; i < N; ++i)
      grid.SetCell(static_cast<int>(i) + 1, row,
                   QString::fromStdString(sifta::Cp932ToUtf8ForDisplay(rows[r][i])));
  }
  grid.SetColumn(1);
  grid.SetRow(1);
}

}  // namespace

void ConditionTabs::ApplyConditions(const sifta::ExtractionConditions& conditions) {
  using sifta::ColumnChoice;
  const auto choiceButton = [](const std::optional<ColumnChoice>& choice, QRadioButton* all,
                               QRadioButton* listed, QRadioButton* none) -> QRadioButton* {
    if (!choice) return nullptr;
    return *choice == ColumnChoice::AllItems ? all : *choice == ColumnChoice::ListedItems ? listed : none;
  };

  Check({RadioButton1, RadioButton2, RadioButton11},
        choiceButton(conditions.ridChoice, RadioButton1, RadioButton2, RadioButton11));
  if (conditions.ridChoice == ColumnChoice::ListedItems)
    RadioButton2Click();
  else if (conditions.ridChoice)
    RadioButton1Click();
  else
    SetupRidGrid(false);

  Check({RadioButton3, RadioButton4, RadioButton12},
        choiceButton(conditions.cellChoice, RadioButton3, RadioButton4, RadioButton12));
  if (conditions.cellChoice == ColumnChoice::ListedItems) {
    RadioButton4Click();
  } else if (conditions.cellChoice == ColumnChoice::AllItems) {
    RadioButton3Click();
  } else {
    // "セル項目を抽出しない" as its handler leaves it, also for a file of a
    // heading kind where the button itself would refuse.
    if (conditions.cellChoice) HighlightTab(2);
    SetupCellGrid(false);
    SetGroupBoxOn(GroupBox3, !conditions.cellChoice);
  }
  CheckBox1->setChecked(conditions.zeroNonNumeric);
  CheckBox2->setChecked(conditions.zeroSpecial);
  CheckBox2Click();

  const std::optional<RecordMode> mode = conditions.recordMode;
  Check({RadioButton5, RadioButton6, RadioButton7, RadioButton13}, !mode                        ? nullptr
                                                                   : *mode == RecordMode::All   ? RadioButton5
                                                                   : *mode == RecordMode::Count ? RadioButton6
                                                                   : *mode == RecordMode::Code
                                                                       ? RadioButton7
                                                                       : RadioButton13);
  if (!mode) {
    RecordTabWithoutMode();
  } else if (*mode == RecordMode::All) {
    RadioButton5Click();
  } else if (*mode == RecordMode::Count) {
    RadioButton6Click();
  } else if (*mode == RecordMode::Code) {
    RadioButton7Click();
  } else {
    RadioButton13Click();
  }
  Check({RadioButton8, RadioButton9, RadioButton10},
        conditions.grouping == sifta::CodeGrouping::GroupedInOrder ? RadioButton9
        : conditions.grouping == sifta::CodeGrouping::Scattered    ? RadioButton10
                                                                   : RadioButton8);
  CheckBox3->setChecked(conditions.extractAllExcept);

  FillGrid(*StringGrid1, conditions.ridRows);
  FillGrid(*StringGrid2, conditions.cellRows);
  std::vector<std::array<std::string, 1>> special;
  for (const std::string& text : conditions.specialRows) special.push_back({text});
  FillGrid(*StringGrid3, special);
  FillGrid(*StringGrid4, conditions.keyRows);
  FillGrid(*StringGrid5, conditions.codeRows);
  PageControl1->setCurrentIndex(PageControl1->isTabVisible(0) ? 0 : 1);
}
