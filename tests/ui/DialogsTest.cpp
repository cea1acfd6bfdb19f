// The Qt side of the file and font dialogs: the filter as the real file
// dialog applies it, and the font the print font dialog starts with.
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QFontDialog>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "TestRegistry.h"
#include "ui/Dialogs.h"
#include "ui/PrintDialogs.h"
#include "ui/QtText.h"

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  // "すべてのファイル" lists every file, also one without a dot in its name.
  void allFilesFilterListsNamesWithoutADot() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (const char* name : {"DATA", "a.csv"}) {
      QFile file(folder.filePath(QString::fromLatin1(name)));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(sifta::FilterForQt(sifta::Ui("すべてのファイル|*.*")), sifta::Ui("すべてのファイル (*)"));
    QCOMPARE(sifta::FilterForQt(sifta::Ui("条件ファイル|*.json|すべてのファイル|*.*")),
             sifta::Ui("条件ファイル (*.json);;すべてのファイル (*)"));
#ifdef Q_OS_WIN
    QSKIP("Windows shows its own file dialog, whose list Qt does not hold: the filter above is what it gets");
#endif

    QStringList listed;
    QTimer poll;
    poll.setInterval(20);
    int ticks = 0;
    connect(&poll, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
      if (view && view->model()) {
        listed.clear();
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < view->model()->rowCount(root); ++row)
          listed << view->model()->index(row, 0, root).data().toString();
      }
      if (listed.size() >= 2 || ++ticks > 150) dialog->reject();
    });
    poll.start();
    const auto chosen = sifta::Dialogs::Current().OpenFileName(
        nullptr, sifta::Ui("すべてのファイル（＠なし）|*.*"), folder.path());
    poll.stop();
    QVERIFY(!chosen);
    listed.sort();
    QCOMPARE(listed, QStringList({QStringLiteral("DATA"), QStringLiteral("a.csv")}));
  }

  // The record count list's font, "ＭＳ Ｐゴシック" of 12 pixels, as the
  // font dialog can show it: a family it lists, Japanese, 9 points.
  void printFontDialogStartsOnAJapaneseFont() {
    QFont font(sifta::Ui("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    const QFont shown = sifta::FontForDialog(font);
    QVERIFY2(QFontDatabase::families().contains(shown.family()), qPrintable(shown.family()));
    QVERIFY2(QFontDatabase::families(QFontDatabase::Japanese).contains(shown.family()),
             qPrintable(shown.family()));
    if (QFontDatabase::families().contains(QStringLiteral("IPAPGothic")))
      QCOMPARE(shown.family(), QStringLiteral("IPAPGothic"));
    QCOMPARE(shown.pointSizeF(), 9.0);
    QFontDialog dialog;
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    dialog.setCurrentFont(shown);
    QCOMPARE(dialog.currentFont().family(), shown.family());
    QCOMPARE(dialog.currentFont().pointSize(), 9);
  }
};

SIFTA_REGISTER_TEST(DialogsTest)

#include "DialogsTest.moc"
