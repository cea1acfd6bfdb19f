// The three condition tabs of the main window: PageControl1 with the RID tab
// (TabSheet1), the cell tab (TabSheet2) and the record tab (TabSheet3), their
// radio buttons, check boxes, labels, group boxes and the six grids, with the
// choice handlers and the grids' Enter steps. The controls are the
// conditions: ReadConditions gathers them when a run starts.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <optional>
#include <variant>

#include "inspect/FileLayout.h"
#include "run/ExtractionConditions.h"
#include "ui/GridSteps.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace sifta {
class StringGrid;
}

class ConditionTabs : public QObject {
  Q_OBJECT

 public:
  // Builds PageControl1 (570 x 288) as a child of `pageControlParent`; the
  // main window places it (GroupBox2, at 14, 18). Nothing is set up yet: the
  // main window's creation calls StartState.
  explicit ConditionTabs(QWidget* pageControlParent);
  ~ConditionTabs() override;

  // The creation steps for the tabs: SetupRidGrid(No), SetupCellGrid(No),
  // SetupSpecialGrid(No); Label4, Label5 disabled; GroupBox4 off; key grid
  // titles "　左番号" / "　右番号"; SetupKeyGrid(No, All); SetupValueGrid(No,
  // All); CheckBox3 disabled. Tab 1 shown.
  void StartState();

  // The heading kind of the chosen source file: tab 1 shown and RadioButton7 /
  // RadioButton12 enabled for Standard, hidden / disabled otherwise (their
  // selection is kept). RadioButton12Click refuses unless it is Standard.
  // Standard until a source file is chosen.
  void SetHeadingKind(sifta::HeadingKind kind);
  sifta::HeadingKind HeadingKind() const { return headingKind_; }

  // Every radio button, check box and grid row (cells trimmed of the bytes
  // 0..32, typed text as code page 932) with the two file names as typed
  // (UTF-8). The first typed text without a code page 932 form in a grid that
  // the chosen conditions use is named in `unreadableCell`, for the plan to
  // refuse after its file name checks; elsewhere such a text does no harm.
  // With `everyGrid` every grid counts as used (a conditions file holds
  // them all).
  sifta::ExtractionConditions ReadConditions(const QString& sourceName, const QString& extractName,
                                             bool everyGrid = false) const;

  // The tabs as they would be after the choices and texts of `conditions`
  // were made by hand (the file names are the main window's): radio buttons
  // and check boxes set, or none checked where a choice is nothing, the grids
  // set up, the choices' tabs highlighted, every grid holding the rows given
  // from row 1 (grown as Enter grows it, labelled up to its last given row)
  // and nothing else. A grouping that is Unknown checks "わからない".
  void ApplyConditions(const sifta::ExtractionConditions& conditions);

  // While a run is in progress the tab pages take no input (the tabs can still
  // be looked at).
  void SetLocked(bool locked);
  bool IsLocked() const { return locked_; }

  // The creation step's colours: GroupBox3 235, 193, 249; GroupBox4 203, 252,
  // 180; Panel1..Panel3 194, 200, 245.
  void ApplyBackgroundColours();

  // Tab n (1..3) drawn highlighted; a highlight is never removed.
  void HighlightTab(int n);
  bool IsTabHighlighted(int n) const;

  // The selected record mode (RadioButton5 / 6 / 7 / 13), nothing before one.
  std::optional<sifta::RecordMode> SelectedRecordMode() const;

  // The set-up operations (idempotent).
  void SetupRidGrid(bool active);
  void SetupCellGrid(bool active);
  void SetupSpecialGrid(bool active);
  void SetupKeyGrid(bool active, sifta::RecordMode mode);
  void SetupValueGrid(bool active, sifta::RecordMode mode);

  // The choice handlers; each runs after its control took its new state.
  void RadioButton1Click();
  void RadioButton2Click();
  void RadioButton11Click();
  void RadioButton3Click();
  void RadioButton4Click();
  void RadioButton12Click();
  void CheckBox2Click();
  void RadioButton5Click();
  void RadioButton6Click();
  void RadioButton7Click();
  void RadioButton13Click();

  // The Enter steps: act on key 13 only and then set `key` to 0 (swallowed);
  // any other key is left as it is.
  void StringGrid1KeyPress(char& key);
  void StringGrid2KeyPress(char& key);
  void StringGrid3KeyPress(char& key);
  void StringGrid4KeyPress(char& key);
  void StringGrid5KeyPress(char& key);

  // The controls, named as on the form (each also by setObjectName).
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QWidget* TabSheet2 = nullptr;
  QWidget* TabSheet3 = nullptr;

  QFrame* Panel1 = nullptr;
  QRadioButton* RadioButton1 = nullptr;
  QRadioButton* RadioButton2 = nullptr;
  QRadioButton* RadioButton11 = nullptr;
  sifta::StringGrid* StringGrid1 = nullptr;  // RID grid

  QFrame* Panel2 = nullptr;
  QRadioButton* RadioButton3 = nullptr;
  QRadioButton* RadioButton4 = nullptr;
  QRadioButton* RadioButton12 = nullptr;
  sifta::StringGrid* StringGrid6 = nullptr;  // cell header band
  sifta::StringGrid* StringGrid2 = nullptr;  // cell grid
  QGroupBox* GroupBox3 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  sifta::StringGrid* StringGrid3 = nullptr;  // special-strings grid

  QFrame* Panel3 = nullptr;
  QRadioButton* RadioButton5 = nullptr;
  QRadioButton* RadioButton6 = nullptr;
  QRadioButton* RadioButton7 = nullptr;
  QRadioButton* RadioButton13 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  sifta::StringGrid* StringGrid4 = nullptr;  // key grid
  sifta::StringGrid* StringGrid5 = nullptr;  // value grid
  QCheckBox* CheckBox3 = nullptr;
  QGroupBox* GroupBox4 = nullptr;
  QRadioButton* RadioButton8 = nullptr;
  QRadioButton* RadioButton9 = nullptr;
  QRadioButton* RadioButton10 = nullptr;

 private:
  // The record tab with no mode chosen (at the start, or opened so).
  void RecordTabWithoutMode();
  void BuildRidTab();
  void BuildCellTab();
  void BuildRecordTab();
  void SetGroupBoxOn(QGroupBox* box, bool on);
  // Tab out of a grid: its Enter check of the current cell, shown when it
  // refuses (false: the grid keeps the focus).
  bool LeaveGrid(sifta::StringGrid& grid, sifta::ConditionGrid which);
  QWidget* DialogParent() const;

  sifta::HeadingKind headingKind_ = sifta::HeadingKind::Standard;
  std::array<bool, 3> highlighted_{};
  bool locked_ = false;
};
