// The condition grids' set-up operations and Enter steps on a stand-in grid,
// without any widget.
#include <QtTest>
#include <vector>

#include "TestRegistry.h"
#include "ui/GridSteps.h"

using sifta::EnterOutcome;
using sifta::GridModel;
using sifta::RecordMode;
using sifta::SystemColour;

namespace {

class FakeGrid final : public GridModel {
 public:
  FakeGrid(int columns, int rows) : columns_(columns) {
    cells_.assign(static_cast<std::size_t>(rows), std::vector<QString>(static_cast<std::size_t>(columns)));
  }

  QString Cell(int column, int row) const override {
    return cells_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
  }
  void SetCell(int column, int row, const QString& text) override {
    cells_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column)) = text;
  }
  int Column() const override { return column_; }
  int Row() const override { return row_; }
  void SetColumn(int column) override { column_ = column; }
  void SetRow(int row) override {
    QVERIFY(row < RowCount());
    row_ = row;
  }
  int RowCount() const override { return static_cast<int>(cells_.size()); }
  void AppendRow() override { cells_.emplace_back(static_cast<std::size_t>(columns_)); }
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  SystemColour TextColour() const override { return text_; }
  void SetTextColour(SystemColour colour) override { text_ = colour; }
  SystemColour BackgroundColour() const override { return background_; }
  void SetBackgroundColour(SystemColour colour) override { background_ = colour; }
  QString Hint() const override { return hint_; }
  void SetHint(const QString& hint) override { hint_ = hint; }
  void SetFocus() override { ++focusRequests; }

  void Put(int column, int row, const QString& text) {
    SetCell(column, row, text);
    column_ = column;
    row_ = row;
  }

  int focusRequests = 0;

 private:
  int columns_;
  std::vector<std::vector<QString>> cells_;
  int column_ = 1;
  int row_ = 1;
  bool enabled_ = true;
  SystemColour text_ = SystemColour::WindowText;
  SystemColour background_ = SystemColour::Window;
  QString hint_;
};

enum class Grid { Rid, Cell, Special, Key, Value };

int ColumnsOf(Grid grid) {
  switch (grid) {
    case Grid::Cell:
      return 5;
    case Grid::Special:
      return 2;
    default:
      return 3;
  }
}

EnterOutcome Enter(Grid grid, GridModel& model, RecordMode mode) {
  switch (grid) {
    case Grid::Rid:
      return sifta::RidGridEnter(model);
    case Grid::Cell:
      return sifta::CellGridEnter(model);
    case Grid::Special:
      return sifta::SpecialGridEnter(model);
    case Grid::Key:
      return sifta::KeyGridEnter(model, mode);
    case Grid::Value:
      return sifta::ValueGridEnter(model);
  }
  return {};
}

const QString kHead = QStringLiteral("** このｾﾙは");

bool IsActive(const GridModel& grid) {
  return grid.Enabled() && grid.TextColour() == SystemColour::WindowText &&
         grid.BackgroundColour() == SystemColour::Window;
}

bool IsInactive(const GridModel& grid) {
  return !grid.Enabled() && grid.TextColour() == SystemColour::GrayText &&
         grid.BackgroundColour() == SystemColour::InactiveBorder;
}

}  // namespace

Q_DECLARE_METATYPE(Grid)
Q_DECLARE_METATYPE(RecordMode)
Q_DECLARE_METATYPE(EnterOutcome::Kind)

class GridStepsTest : public QObject {
  Q_OBJECT

 private slots:
  void enterStep_data() {
    QTest::addColumn<Grid>("grid");
    QTest::addColumn<RecordMode>("mode");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<EnterOutcome::Kind>("kind");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("columnAfter");
    QTest::addColumn<int>("rowAfter");

    using K = EnterOutcome::Kind;
    const QString empty = kHead + QStringLiteral("長さｾﾞﾛです。");
    const QString nonDigit = kHead + QStringLiteral("非数字です。");
    const QString zero = kHead + QStringLiteral("値がｾﾞﾛです。");
    const RecordMode none = RecordMode::All;
    auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };

    row("rid start empty") << Grid::Rid << none << 1 << "" << K::Refused << empty << 1 << 3;
    row("rid start blanks only") << Grid::Rid << none << 1 << "   " << K::Refused << empty << 1 << 3;
    row("rid start with blanks") << Grid::Rid << none << 1 << " 1 2" << K::Moved << "" << 2 << 3;
    row("rid start 0") << Grid::Rid << none << 1 << "0" << K::Refused << zero << 1 << 3;
    row("rid start 000") << Grid::Rid << none << 1 << "000" << K::Refused << zero << 1 << 3;
    row("rid start star") << Grid::Rid << none << 1 << "*" << K::Refused << nonDigit << 1 << 3;
    row("rid start minus") << Grid::Rid << none << 1 << "-1" << K::Refused << nonDigit << 1 << 3;
    row("rid start full-width digit") << Grid::Rid << none << 1 << "１" << K::Refused << nonDigit << 1 << 3;
    row("rid start ideographic blank") << Grid::Rid << none << 1 << "　1" << K::Refused << nonDigit << 1 << 3;
    row("rid start no cp932 form") << Grid::Rid << none << 1 << "1😀" << K::Refused << nonDigit << 1 << 3;
    row("rid start largest") << Grid::Rid << none << 1 << "2147483647" << K::Moved << "" << 2 << 3;
    row("rid start eleven nines") << Grid::Rid << none << 1 << "99999999999" << K::NotAnInteger
                                  << "'99999999999' は整数ではありません" << 1 << 3;
    row("rid start too large with blanks") << Grid::Rid << none << 1 << " 2147483648 " << K::NotAnInteger
                                           << "'2147483648' は整数ではありません" << 1 << 3;
    row("rid end star") << Grid::Rid << none << 2 << "*" << K::Moved << "" << 1 << 4;
    row("rid end empty") << Grid::Rid << none << 2 << "" << K::Moved << "" << 1 << 4;
    row("rid end blanks only") << Grid::Rid << none << 2 << "  " << K::Moved << "" << 1 << 4;
    row("rid end 0") << Grid::Rid << none << 2 << "0" << K::Refused << zero << 2 << 3;
    row("rid end two stars") << Grid::Rid << none << 2 << "**" << K::Refused << nonDigit << 2 << 3;

    row("cell start star") << Grid::Cell << none << 1 << "*" << K::Refused << nonDigit << 1 << 3;
    row("cell start") << Grid::Cell << none << 1 << "21" << K::Moved << "" << 2 << 3;
    row("cell end star") << Grid::Cell << none << 2 << "*" << K::Moved << "" << 3 << 3;
    row("cell end empty") << Grid::Cell << none << 2 << "" << K::Moved << "" << 3 << 3;
    row("cell next empty") << Grid::Cell << none << 3 << "" << K::Moved << "" << 4 << 3;
    row("cell next star") << Grid::Cell << none << 3 << "*" << K::Refused << nonDigit << 3 << 3;
    row("cell next 0") << Grid::Cell << none << 3 << "0" << K::Refused << zero << 3 << 3;
    row("cell last") << Grid::Cell << none << 4 << "41" << K::Moved << "" << 1 << 4;
    row("cell last empty") << Grid::Cell << none << 4 << "" << K::Moved << "" << 1 << 4;
    row("cell last star") << Grid::Cell << none << 4 << "*" << K::Refused << nonDigit << 4 << 3;

    row("special empty") << Grid::Special << none << 1 << "" << K::Moved << "" << 1 << 4;
    row("special text") << Grid::Special << none << 1 << "\"3 1\"" << K::Moved << "" << 1 << 4;

    row("key count start") << Grid::Key << RecordMode::Count << 1 << "3" << K::Moved << "" << 2 << 3;
    row("key count end star") << Grid::Key << RecordMode::Count << 2 << "*" << K::Moved << "" << 1 << 4;
    row("key code start star") << Grid::Key << RecordMode::Code << 1 << "*" << K::Refused << nonDigit << 1
                               << 3;
    row("key code end star") << Grid::Key << RecordMode::Code << 2 << "*" << K::Moved << "" << 1 << 4;
    row("key code end 0") << Grid::Key << RecordMode::Code << 2 << "0" << K::Refused << zero << 2 << 3;
    row("key value start") << Grid::Key << RecordMode::Value << 1 << "3" << K::FocusValueGrid << "" << 1 << 3;
    row("key value start empty") << Grid::Key << RecordMode::Value << 1 << "" << K::Refused << empty << 1
                                 << 3;
    row("key value end star") << Grid::Key << RecordMode::Value << 2 << "*" << K::Refused << nonDigit << 2
                              << 3;
    row("key value end number") << Grid::Key << RecordMode::Value << 2 << "4" << K::Moved << "" << 1 << 4;

    row("value start empty") << Grid::Value << RecordMode::Code << 1 << "" << K::Refused
                             << "** このｾﾙは長さ0です。" << 1 << 3;
    row("value start blanks only") << Grid::Value << RecordMode::Code << 1 << "   " << K::Moved << "" << 2
                                   << 3;
    row("value start star") << Grid::Value << RecordMode::Code << 1 << "*" << K::Moved << "" << 2 << 3;
    row("value end empty") << Grid::Value << RecordMode::Code << 2 << "" << K::Moved << "" << 1 << 4;
  }

  void enterStep() {
    QFETCH(Grid, grid);
    QFETCH(RecordMode, mode);
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(EnterOutcome::Kind, kind);
    QFETCH(QString, message);
    QFETCH(int, columnAfter);
    QFETCH(int, rowAfter);

    FakeGrid model(ColumnsOf(grid), 20);
    model.Put(column, 3, text);
    const EnterOutcome outcome = Enter(grid, model, mode);
    QCOMPARE(outcome.kind, kind);
    QCOMPARE(outcome.message, message);
    QCOMPARE(model.Column(), columnAfter);
    QCOMPARE(model.Row(), rowAfter);
    QCOMPARE(model.Cell(column, 3), text);  // the cell keeps what was typed
    QCOMPARE(model.RowCount(), 20);
    QCOMPARE(model.Cell(0, 4), rowAfter == 4 ? QStringLiteral("(4)") : QString());
  }

  // Enter past the last row appends one row, labels it and puts the cursor in
  // column 1 (the special-strings grid: the same column).
  void growth_data() {
    QTest::addColumn<Grid>("grid");
    QTest::addColumn<int>("lastColumn");
    QTest::newRow("rid") << Grid::Rid << 2;
    QTest::newRow("cell") << Grid::Cell << 4;
    QTest::newRow("special") << Grid::Special << 1;
    QTest::newRow("key") << Grid::Key << 2;
    QTest::newRow("value") << Grid::Value << 2;
  }

  void growth() {
    QFETCH(Grid, grid);
    QFETCH(int, lastColumn);
    FakeGrid model(ColumnsOf(grid), 20);
    model.Put(lastColumn, 19, QStringLiteral("5"));
    QCOMPARE(Enter(grid, model, RecordMode::Count).kind, EnterOutcome::Kind::Moved);
    QCOMPARE(model.RowCount(), 21);
    QCOMPARE(model.Cell(0, 20), QStringLiteral("(20)"));
    QCOMPARE(model.Column(), 1);
    QCOMPARE(model.Row(), 20);

    // And again from the new last row.
    model.Put(lastColumn, 20, QStringLiteral("6"));
    Enter(grid, model, RecordMode::Count);
    QCOMPARE(model.RowCount(), 22);
    QCOMPARE(model.Cell(0, 21), QStringLiteral("(21)"));
    QCOMPARE(model.Row(), 21);
  }

  // A row that already has a label gets it written again; rows in between
  // that the cursor never reached stay without one.
  void rowLabels() {
    FakeGrid model(3, 20);
    model.SetCell(0, 2, QStringLiteral("old"));
    model.Put(2, 1, QString());
    sifta::RidGridEnter(model);
    QCOMPARE(model.Cell(0, 2), QStringLiteral("(2)"));
    QCOMPARE(model.Cell(0, 3), QString());
  }

  // The RID grid typed through: start, end, next row, without any refusal.
  void ridSequence() {
    FakeGrid model(3, 20);
    const QString typed[] = {"3", "", "10", "*", "5", "7"};
    for (const QString& text : typed) {
      model.SetCell(model.Column(), model.Row(), text);
      QCOMPARE(sifta::RidGridEnter(model).kind, EnterOutcome::Kind::Moved);
    }
    QCOMPARE(model.Column(), 1);
    QCOMPARE(model.Row(), 4);
    QCOMPARE(model.Cell(0, 4), QStringLiteral("(4)"));
    QCOMPARE(model.Cell(2, 2), QStringLiteral("*"));
  }

  void setupRidGrid() {
    FakeGrid grid(3, 20);
    grid.SetCell(1, 5, QStringLiteral("7"));
    for (bool active : {true, false, false, true}) {
      sifta::SetupRidGrid(grid, active);
      QCOMPARE(grid.Cell(1, 0), QStringLiteral("始め番号"));
      QCOMPARE(grid.Cell(2, 0), QStringLiteral("終り番号"));
      QCOMPARE(grid.Cell(0, 1), QStringLiteral("(1)"));
      QVERIFY(active ? IsActive(grid) : IsInactive(grid));
      QCOMPARE(grid.Cell(1, 5), QStringLiteral("7"));  // typed cells stay
    }
  }

  void setupCellGrid() {
    FakeGrid grid(5, 20);
    FakeGrid band(2, 2);
    for (bool active : {false, true}) {
      sifta::SetupCellGrid(grid, band, active);
      QCOMPARE(grid.Cell(1, 0), QStringLiteral("始め番号"));
      QCOMPARE(grid.Cell(2, 0), QStringLiteral("終り番号"));
      QCOMPARE(grid.Cell(3, 0), QStringLiteral("次の始め番号"));
      QCOMPARE(grid.Cell(4, 0), QStringLiteral("ﾗｽﾄ始め番号"));
      QCOMPARE(band.Cell(0, 0), QStringLiteral("      最初の指定"));
      QCOMPARE(band.Cell(1, 0), QStringLiteral("     繰り返しのとき指定"));
      QCOMPARE(grid.Cell(0, 1), QStringLiteral("(1)"));
      QVERIFY(active ? IsActive(grid) : IsInactive(grid));
      QVERIFY(active ? IsActive(band) : IsInactive(band));
    }
  }

  void setupSpecialGrid() {
    FakeGrid grid(2, 20);
    sifta::SetupSpecialGrid(grid, false);
    QCOMPARE(grid.Cell(1, 0), QStringLiteral("   特定文字"));
    QCOMPARE(grid.Cell(0, 1), QStringLiteral("(1)"));
    QVERIFY(IsInactive(grid));
    sifta::SetupSpecialGrid(grid, true);
    QVERIFY(IsActive(grid));
  }

  // The key grid's titles change only when it becomes active in a mode with
  // titles; inactive, it keeps the last ones.
  void setupKeyGrid_data() {
    QTest::addColumn<bool>("active");
    QTest::addColumn<RecordMode>("mode");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    const QString left = QStringLiteral("　左番号");
    const QString right = QStringLiteral("　右番号");
    QTest::newRow("inactive all") << false << RecordMode::All << left << right;
    QTest::newRow("inactive count") << false << RecordMode::Count << left << right;
    QTest::newRow("inactive value") << false << RecordMode::Value << left << right;
    QTest::newRow("active all") << true << RecordMode::All << left << right;
    QTest::newRow("active count") << true << RecordMode::Count << QStringLiteral(" 始めｶｳﾝﾄ")
                                  << QStringLiteral(" 終りｶｳﾝﾄ");
    QTest::newRow("active code") << true << RecordMode::Code << QStringLiteral(" 始め番号")
                                 << QStringLiteral(" 終り番号");
    QTest::newRow("active value") << true << RecordMode::Value << QStringLiteral(" セル番号") << QString();
  }

  void setupKeyGrid() {
    QFETCH(bool, active);
    QFETCH(RecordMode, mode);
    QFETCH(QString, first);
    QFETCH(QString, second);
    FakeGrid grid(3, 20);
    sifta::WriteKeyGridStartTitles(grid);
    sifta::SetupKeyGrid(grid, active, mode);
    QCOMPARE(grid.Cell(1, 0), first);
    QCOMPARE(grid.Cell(2, 0), second);
    QCOMPARE(grid.Cell(0, 1), QStringLiteral("(1)"));
    QVERIFY(active ? IsActive(grid) : IsInactive(grid));
  }

  // The value grid's titles are written for Code and Value whatever the flag,
  // and kept for All and Count.
  void setupValueGrid_data() {
    QTest::addColumn<bool>("active");
    QTest::addColumn<RecordMode>("mode");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    const QString code1 = QStringLiteral(" 　始めコード値");
    const QString code2 = QStringLiteral(" 　終りコード値");
    QTest::newRow("inactive all") << false << RecordMode::All << QString() << QString();
    QTest::newRow("inactive count") << false << RecordMode::Count << QString() << QString();
    QTest::newRow("inactive code") << false << RecordMode::Code << code1 << code2;
    QTest::newRow("active code") << true << RecordMode::Code << code1 << code2;
    QTest::newRow("active value") << true << RecordMode::Value << QStringLiteral("　　始めセル値")
                                  << QStringLiteral("　　終りセル値");
  }

  void setupValueGrid() {
    QFETCH(bool, active);
    QFETCH(RecordMode, mode);
    QFETCH(QString, first);
    QFETCH(QString, second);
    FakeGrid grid(3, 20);
    sifta::SetupValueGrid(grid, active, mode);
    QCOMPARE(grid.Cell(1, 0), first);
    QCOMPARE(grid.Cell(2, 0), second);
    QVERIFY(active ? IsActive(grid) : IsInactive(grid));
  }

  void valueGridKeepsTitlesAfterCode() {
    FakeGrid grid(3, 20);
    sifta::SetupValueGrid(grid, true, RecordMode::Code);
    sifta::SetupValueGrid(grid, false, RecordMode::Count);
    QCOMPARE(grid.Cell(1, 0), QStringLiteral(" 　始めコード値"));
    QVERIFY(IsInactive(grid));
  }
};

SIFTA_REGISTER_TEST(GridStepsTest)

#include "GridStepsTest.moc"
