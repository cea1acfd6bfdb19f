// The main window "ＣＳＶレコードの抽出( Sifta 1.26 )": the choice of the source
// and extract files, the three condition tabs, the run button with the run's
// results, the buttons of the information windows and the help window, and
// the context menu (hint timing, conditions files). It owns the layout of the chosen source file and what
// a run leaves behind.
#pragma once

#include "inspect/FileLayout.h"
#include "run/FileSeries.h"

#include <QString>
#include <QWidget>
#include <memory>
#include <optional>

class ConditionTabs;
class QAction;
class QCheckBox;
class QComboBox;
class QDropEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QPushButton;

namespace sifta {
class MainWindowLayer;
}

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // The creation steps, run by the constructor.
  void FormCreate();

  // Enter (13) moves the focus to Button2 and is swallowed (true); every
  // other key is left to the field.
  bool Edit1KeyPress(int key);

  void Button1Click();  // "元ﾌｧｲﾙの選択"
  // What the source choice does with the chosen file: the layout read (with
  // the heading question), the name in Edit1. Also for a file dropped on
  // Edit1; a file dropped on Edit2 becomes the extract name.
  void TakeSourceFile(const QString& path);
  void Button2Click();  // "抽出ﾌｧｲﾙの選択"
  void Button3Click();  // "抽出する"
  void Button4Click();  // "おわり"
  void Button6Click();  // "レコード数一覧"
  void Button7Click();  // "元ﾌｧｲﾙ情報表示"
  void Button8Click();  // "抽出ﾌｧｲﾙ情報表示"
  void Button9Click();  // "ヘ ル プ"
  void N1Click();       // "ヒント表示： 標準"
  void N2Click();       // "ヒント表示： 長く"
  // "条件を保存...": the file names, every tab and the layout's file (with
  // the heading answer given for it) as a conditions file of sifta-batch.
  void N3Click();
  // "条件を開く...": a conditions file back into the window. The layout is
  // read again from its file (with the heading question where it asks); a
  // file the window cannot show, or a layout that cannot be read, changes
  // nothing. The @ dialog's entries ("series") are typed at run time: they
  // are left out.
  void N4Click();

  // The copy switch: typed into Edit3 before "ヘ ル プ", it shows the help
  // window's copy button.
  static QString CopySwitch();
  // What Button9 stored for the help window: the copy switch or " ".
  const QString& CopySwitchText() const { return copySwitchText_; }

  const sifta::FileLayout& Layout() const { return layout_; }
  const sifta::RunRecord& Record() const { return record_; }
  // The source information window has been filled for the current choice.
  bool LayoutInformationShown() const { return layoutInformationShown_; }
  bool RunInProgress() const { return runInProgress_; }

  // The run's lock: nothing that would change a running run can be used, and
  // "おわり" is off. Called by the window layer.
  void SetRunInProgress(bool inProgress);

  // The conditions of the window: the file names, the tabs' and the
  // extract's form (everyGrid: as ConditionTabs::ReadConditions).
  sifta::ExtractionConditions ReadConditions(bool everyGrid = false) const;

  // The window layer of the runs (tests adjust its service interval).
  sifta::MainWindowLayer& Layer() { return *layer_; }

  // Controls, named as on the form (each also by setObjectName).
  QGroupBox* GroupBox1 = nullptr;
  QPushButton* Button1 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* Button2 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* Edit2 = nullptr;
  // Beside "抽出ﾌｧｲﾙの選択": the extract's encoding and the source column.
  QLabel* Label11 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QCheckBox* CheckBox4 = nullptr;
  QCheckBox* CheckBox5 = nullptr;  // below "ヘ ル プ": the extract in parts of Excel's rows
  QPushButton* Button7 = nullptr;
  QPushButton* Button8 = nullptr;
  QPushButton* Button9 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  ConditionTabs* Tabs = nullptr;  // PageControl1 and everything on it
  QGroupBox* GroupBox5 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* Button6 = nullptr;
  QLabel* Label9 = nullptr;
  QLineEdit* Edit6 = nullptr;
  QLabel* Label6 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QLabel* Label7 = nullptr;
  QLineEdit* Edit4 = nullptr;
  QLabel* Label8 = nullptr;
  QLineEdit* Edit5 = nullptr;
  QLabel* Label10 = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction* N1 = nullptr;
  QAction* N2 = nullptr;
  QAction* N3 = nullptr;
  QAction* N4 = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  std::optional<sifta::HeadingKind> AskHeadingKind();
  std::optional<QString> DroppedFile(const QMimeData* data);
  static bool AcceptAsCopy(QDropEvent& drop);
  // The state of a source choice that gave `layout`.
  void TakeLayout(const sifta::FileLayout& layout);
  void RefuseConditions(const QString& what);

  sifta::FileLayout layout_;
  bool layoutChosen_ = false;  // a source choice has given a layout
  QString conditionsName_;     // the conditions file last saved or opened
  bool layoutInformationShown_ = false;
  QString copySwitchText_ = QStringLiteral(" ");
  sifta::RunRecord record_;
  bool runInProgress_ = false;
  bool inButton3_ = false;  // Button3Click is on the stack
  bool edit1WasReadOnly_ = true;
  std::unique_ptr<sifta::MainWindowLayer> layer_;
};

extern TForm1* Form1;

namespace sifta {

// The program's windows, Form1 to Form8 in that order (the others owned by
// the main window, as top-level windows). DestroyForms deletes what is left.
void CreateForms();
void DestroyForms();

}  // namespace sifta
