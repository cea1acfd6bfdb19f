// An editable grid with a fixed title row and a fixed row-label column, as
// the condition tabs use it: the table's headers stand for the fixed row and
// column (they never scroll), rows are 17 pixels high, the text is the
// fixed-pitch "ＭＳ ゴシック" of 12 pixels and the cell editor is always shown.
// Enter in the grid (also inside the cell editor) goes to `onKeyPress` with
// key 13, after the editor's text has reached the cell; the handler swallows
// it by setting the key to 0.
#pragma once

#include <QColor>
#include <QPointer>
#include <QTableWidget>
#include <functional>
#include <initializer_list>

#include "ui/GridModel.h"

namespace sifta {

// The colour a system colour stands for on this platform.
QColor SystemColourValue(SystemColour colour);
// COLOR_INACTIVECAPTION: the caption of a group box that is off.
QColor InactiveCaptionColour();

class StringGrid : public QTableWidget, public GridModel {
  Q_OBJECT

 public:
  struct Shape {
    int columns = 3;          // columns of the form grid, the fixed one included
    int rows = 20;            // rows of the form grid, the title row included
    bool fixedColumn = true;  // column 0 is the row-label column
    bool editable = true;
    int rowHeight = 17;
  };

  StringGrid(QWidget* parent, const Shape& shape);

  // Widths of the form grid's columns from column 0.
  void SetColumnWidths(std::initializer_list<int> widths);

  // Enter (key 13) in the grid.
  std::function<void(char& key)> onKeyPress;
  // Tab, Shift+Tab, Ctrl+Tab in the grid (also inside the cell editor): the
  // grid is left for the next or previous control when this allows it (or is
  // not set); the cursor stays where it is.
  std::function<bool()> onLeave;

  // The exact hint (also the dynamic property "hintText").
  QString Hint() const override { return hint_; }
  void SetHint(const QString& hint) override;

  QString Cell(int column, int row) const override;
  void SetCell(int column, int row, const QString& text) override;
  int Column() const override;
  int Row() const override;
  void SetColumn(int column) override;
  void SetRow(int row) override;
  int RowCount() const override;
  void AppendRow() override;
  bool Enabled() const override { return isEnabled(); }
  void SetEnabled(bool enabled) override;
  SystemColour TextColour() const override { return text_; }
  void SetTextColour(SystemColour colour) override;
  SystemColour BackgroundColour() const override { return background_; }
  void SetBackgroundColour(SystemColour colour) override;
  void SetFocus() override;

  // The cell editor that is open, if any.
  QWidget* OpenEditor() const { return EditorOpen() ? editor_.data() : nullptr; }

  // Enter as the grid receives it: commits the open editor, then the handler.
  void EnterPressed();
  // Tab as the grid receives it: commits the open editor, asks onLeave, then
  // moves the focus on (forward) or back.
  void TabPressed(bool forward);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  class Delegate;

  int Offset() const { return fixedColumn_ ? 1 : 0; }
  void ApplyColours();
  void MoveCursor(int tableRow, int tableColumn);
  bool EditorOpen() const { return editor_ != nullptr && state() == QAbstractItemView::EditingState; }
  void OpenCurrentEditor();

  bool fixedColumn_ = true;
  bool editable_ = true;
  SystemColour text_ = SystemColour::WindowText;
  SystemColour background_ = SystemColour::Window;
  QString hint_;
  QPointer<QWidget> editor_;
};

}  // namespace sifta
