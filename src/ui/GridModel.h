// What the condition grids' set-up operations and Enter steps need of a grid,
// so that they run on a stand-in grid without any window.
//
// Cells are addressed (column, row) as on the form: row 0 is the fixed title
// row, column 0 the fixed row-label column (for a grid that has one); data
// cells start at (1, 1).
#pragma once

#include <QString>

namespace sifta {

// The system colours a grid is drawn in (their Windows names).
enum class SystemColour {
  Window,          // COLOR_WINDOW: background of an active grid
  WindowText,      // COLOR_WINDOWTEXT: text of an active grid
  InactiveBorder,  // COLOR_INACTIVEBORDER: background of an inactive grid
  GrayText,        // COLOR_GRAYTEXT: text of an inactive grid
};

class GridModel {
 public:
  virtual ~GridModel() = default;

  virtual QString Cell(int column, int row) const = 0;
  virtual void SetCell(int column, int row, const QString& text) = 0;

  // The cursor.
  virtual int Column() const = 0;
  virtual int Row() const = 0;
  virtual void SetColumn(int column) = 0;
  virtual void SetRow(int row) = 0;

  // Rows including the title row; a new row is appended at the end.
  virtual int RowCount() const = 0;
  virtual void AppendRow() = 0;

  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;

  virtual SystemColour TextColour() const = 0;
  virtual void SetTextColour(SystemColour colour) = 0;
  virtual SystemColour BackgroundColour() const = 0;
  virtual void SetBackgroundColour(SystemColour colour) = 0;

  // The hint exactly as given (line breaks LF CR); empty until one is given.
  virtual QString Hint() const = 0;
  virtual void SetHint(const QString& hint) = 0;

  virtual void SetFocus() = 0;
};

}  // namespace sifta
