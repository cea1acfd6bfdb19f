#include "ui/StringGrid.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QStyledItemDelegate>

#include "ui/Controls.h"
#include "ui/HintTexts.h"

namespace sifta {

QColor SystemColourValue(SystemColour colour) {
  const QPalette palette = QApplication::palette();
  switch (colour) {
    case SystemColour::Window:
      return palette.color(QPalette::Active, QPalette::Base);
    case SystemColour::WindowText:
      return palette.color(QPalette::Active, QPalette::Text);
    case SystemColour::InactiveBorder:
      return palette.color(QPalette::Active, QPalette::Window);
    case SystemColour::GrayText:
      return palette.color(QPalette::Disabled, QPalette::Text);
  }
  return {};
}

QColor InactiveCaptionColour() { return QApplication::palette().color(QPalette::Active, QPalette::Dark); }

namespace {

bool IsForward(const QKeyEvent& event) {
  return event.key() == Qt::Key_Tab && !(event.modifiers() & Qt::ShiftModifier);
}

}  // namespace

// Opens the cell editors in the grid's font and hands Enter typed in one to
// the grid, after its text has reached the cell. The editor stays open: the
// grid moves the cursor itself, which opens the next one.
class StringGrid::Delegate final : public QStyledItemDelegate {
 public:
  explicit Delegate(StringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (editor != nullptr) {
      editor->setFont(grid_->font());
      if (auto* line = qobject_cast<QLineEdit*>(editor)) line->setFrame(false);
      grid_->editor_ = editor;
    }
    return editor;
  }

  // The cell under the cursor is drawn as it is (the editor shows over it
  // while the grid has the focus); the other cells of a range selection are
  // drawn selected, and an inactive grid shows no selection.
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem plain(option);
    if ((option.state & QStyle::State_Selected) && (index == grid_->currentIndex() || !grid_->isEnabled())) {
      plain.state &= ~QStyle::State_Selected;
      painter->fillRect(option.rect, option.palette.brush(QPalette::Base));  // over the row's highlight
    }
    QStyledItemDelegate::paint(painter, plain, index);
  }

  void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
    if (grid_->editor_ == editor) grid_->editor_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
  }

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        grid_->EnterPressed();
        return true;
      }
      if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        grid_->TabPressed(IsForward(*static_cast<QKeyEvent*>(event)));
        return true;
      }
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }

 private:
  StringGrid* grid_;
};

StringGrid::StringGrid(QWidget* parent, const Shape& shape)
    : QTableWidget(parent), fixedColumn_(shape.fixedColumn), editable_(shape.editable) {
  QFont gridFont = PixelFont("ＭＳ ゴシック", 12);
  gridFont.setStyleHint(QFont::TypeWriter);
  setFont(gridFont);
  horizontalHeader()->setFont(gridFont);
  verticalHeader()->setFont(gridFont);

  setColumnCount(shape.columns - Offset());
  setRowCount(shape.rows - 1);
  for (int column = 0; column < columnCount(); ++column)
    setHorizontalHeaderItem(column, new QTableWidgetItem);
  for (int row = 0; row < rowCount(); ++row) setVerticalHeaderItem(row, new QTableWidgetItem);

  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setFixedHeight(shape.rowHeight);
  horizontalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setHighlightSections(false);
  verticalHeader()->setSectionsClickable(false);
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(shape.rowHeight);
  verticalHeader()->setVisible(fixedColumn_);
  setCornerButtonEnabled(false);
  setWordWrap(false);
  setShowGrid(true);

  if (editable_) {
    setItemDelegate(new Delegate(this));
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    MoveCursor(0, 0);
  } else {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }
  ApplyColours();
}

void StringGrid::SetColumnWidths(std::initializer_list<int> widths) {
  int column = 0;
  for (int width : widths) {
    if (fixedColumn_ && column == 0)
      verticalHeader()->setFixedWidth(width);
    else if (column - Offset() < columnCount())
      setColumnWidth(column - Offset(), width);
    ++column;
  }
}

void StringGrid::SetHint(const QString& hint) {
  hint_ = hint;
  setProperty("hintText", hint);
  // Shown over the cells and the fixed row and column alike.
  const QString shown = hint.isEmpty() ? QString() : HintForDisplay(hint);
  setToolTip(shown);
  viewport()->setToolTip(shown);
  horizontalHeader()->viewport()->setToolTip(shown);
  verticalHeader()->viewport()->setToolTip(shown);
}

QString StringGrid::Cell(int column, int row) const {
  const int tableColumn = column - Offset();
  const QTableWidgetItem* item = nullptr;
  if (row == 0) {
    if (tableColumn >= 0) item = horizontalHeaderItem(tableColumn);
  } else if (tableColumn < 0) {
    item = verticalHeaderItem(row - 1);
  } else {
    item = this->item(row - 1, tableColumn);
  }
  return item != nullptr ? item->text() : QString();
}

void StringGrid::SetCell(int column, int row, const QString& text) {
  const int tableColumn = column - Offset();
  if (row < 0 || row > rowCount() || tableColumn >= columnCount()) return;
  if (row == 0) {
    if (tableColumn < 0) return;
    if (QTableWidgetItem* item = horizontalHeaderItem(tableColumn))
      item->setText(text);
    else
      setHorizontalHeaderItem(tableColumn, new QTableWidgetItem(text));
  } else if (tableColumn < 0) {
    if (QTableWidgetItem* item = verticalHeaderItem(row - 1))
      item->setText(text);
    else
      setVerticalHeaderItem(row - 1, new QTableWidgetItem(text));
  } else if (QTableWidgetItem* item = this->item(row - 1, tableColumn)) {
    item->setText(text);
  } else {
    setItem(row - 1, tableColumn, new QTableWidgetItem(text));
  }
}

int StringGrid::Column() const { return currentColumn() + Offset(); }

int StringGrid::Row() const { return currentRow() + 1; }

void StringGrid::SetColumn(int column) { MoveCursor(currentRow() < 0 ? 0 : currentRow(), column - Offset()); }

void StringGrid::SetRow(int row) { MoveCursor(row - 1, currentColumn() < 0 ? 0 : currentColumn()); }

// Through setCurrentIndex, so that the view takes the cursor as set and does
// not move it on to the next cell when it gets the focus.
void StringGrid::MoveCursor(int tableRow, int tableColumn) {
  setCurrentIndex(model()->index(tableRow, tableColumn));
}

int StringGrid::RowCount() const { return rowCount() + 1; }

void StringGrid::AppendRow() {
  const int row = rowCount();
  insertRow(row);
  setVerticalHeaderItem(row, new QTableWidgetItem);
}

void StringGrid::SetEnabled(bool enabled) { setEnabled(enabled); }

void StringGrid::SetTextColour(SystemColour colour) {
  text_ = colour;
  ApplyColours();
}

void StringGrid::SetBackgroundColour(SystemColour colour) {
  background_ = colour;
  ApplyColours();
}

void StringGrid::ApplyColours() {
  // The same in every colour group: the grid's look is its state, whether it
  // is enabled or not.
  const QColor text = SystemColourValue(text_);
  const QColor background = SystemColourValue(background_);
  QPalette cells = palette();
  QPalette fixed = horizontalHeader()->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    cells.setColor(group, QPalette::Base, background);
    cells.setColor(group, QPalette::Text, text);
    fixed.setColor(group, QPalette::ButtonText, text);
    fixed.setColor(group, QPalette::WindowText, text);
    fixed.setColor(group, QPalette::Text, text);
  }
  setPalette(cells);
  horizontalHeader()->setPalette(fixed);
  verticalHeader()->setPalette(fixed);
}

void StringGrid::SetFocus() {
  if (EditorOpen())
    editor_->setFocus(Qt::OtherFocusReason);
  else
    setFocus(Qt::OtherFocusReason);
}

void StringGrid::EnterPressed() {
  if (EditorOpen()) emit itemDelegate()->commitData(editor_);
  char key = 13;
  if (onKeyPress) onKeyPress(key);
}

void StringGrid::TabPressed(bool forward) {
  if (EditorOpen()) emit itemDelegate()->commitData(editor_);
  if (onLeave && !onLeave()) return;
  // The next (previous) control of the window that takes the focus by Tab,
  // outside this grid and its editor.
  QWidget* next = this;
  for (;;) {
    next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
    if (next == nullptr || next == this) return;
    if (isAncestorOf(next) || next->window() != window()) continue;
    if ((next->focusPolicy() & Qt::TabFocus) && next->isEnabled() && next->isVisibleTo(window())) break;
  }
  next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    EnterPressed();
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
    TabPressed(IsForward(*event));
    event->accept();
    return;
  }
  QTableWidget::keyPressEvent(event);
}

void StringGrid::showEvent(QShowEvent* event) {
  QTableWidget::showEvent(event);
  if (hasFocus()) OpenCurrentEditor();
}

// The editor shows whenever the grid has the focus.
void StringGrid::focusInEvent(QFocusEvent* event) {
  QTableWidget::focusInEvent(event);
  if (EditorOpen())
    editor_->setFocus(event->reason());
  else if (editor_ == nullptr)
    OpenCurrentEditor();  // (an editor being closed is followed by the next one)
}

void StringGrid::OpenCurrentEditor() {
  if (!editable_ || !isEnabled() || !isVisible() || !currentIndex().isValid()) return;
  if (editor_ == nullptr) edit(currentIndex());
}

}  // namespace sifta
