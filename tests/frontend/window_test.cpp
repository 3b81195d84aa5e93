// The window without batches: its controls, the settings file read and written, the style,
// the folder rules, which paths are queued, output names and the worker's command line.
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>
#include <fstream>

#include "frontend/Func_.h"
#include "platform/process.h"
#include "tests/frontend/fixture.h"

using namespace fetest;
using frontend::TForm1;

namespace {

// The 16 lines of a settings file with these destination and radio-group lines.
QStringList Lines(const QString& rb, const QString& rg1 = "1", const QString& style = "Windows") {
  QStringList lines = {"50", "50", "480", "480"};
  lines += rb.split(' ');
  lines += {"", "", "/x/", "1", style, rg1, "1"};
  return lines;
}

QList<bool> Destinations(const TForm1& f) {
  return {f.RadioButton1->isChecked(), f.RadioButton2->isChecked(), f.RadioButton3->isChecked(),
          f.RadioButton4->isChecked(), f.RadioButton5->isChecked()};
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsAsLaidOut() {
    TInstalled in;
    auto form = in.Window();
    TForm1& f = *form;
    QCOMPARE(f.windowTitle(), QStringLiteral("JWWファイル内の点データを削除 [Dotsweep] Ver.1.1"));
    QVERIFY(f.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(f.windowFlags() & Qt::WindowMaximizeButtonHint));
    f.show();  // the layout now has its say about the size
    QCOMPARE(f.pos(), QPoint(50, 50));
    QCOMPARE(f.size(), QSize(464, 432));

    struct Control {
      const char* name;
      QString caption;
      QRect place;  // empty: not fixed by the layout
    };
    const Control controls[] = {
        {"GroupBox1", "保存先(&F)", {0, 0, 464, 113}},
        {"RadioButton1", "デスクトップ", {3, 19, 113, 31}},
        {"RadioButton2", "マイドキュメント", {138, 19, 142, 31}},
        {"RadioButton3", "元ファイルのフォルダ", {292, 19, 169, 31}},
        {"RadioButton4", "指定フォルダ", {3, 48, 113, 31}},
        {"Edit1", "", {113, 53, 296, 26}},
        {"Button1", "参照", {412, 53, 47, 26}},
        {"RadioButton5", "毎回指定", {3, 80, 89, 31}},
        {"LabelPreFolder", QString::fromStdString(f.AppPath), {}},
        {"Panel1", "", {0, 113, 464, 41}},
        {"Label1", "", {}},
        {"Label2", "エクスプローラ等からドラッグ＆ドロップするか、または、", {}},
        {"Label3", "ここをクリックして変換するファイルを選択して下さい。", {}},
        {"PageControl1", "", {0, 154, 464, 259}},
        {"TabSheet1", "", {}},
        {"Label7", "画面スタイル：", {}},
        {"ComboBox1", "Windows", {112, 5, 201, 21}},
        {"Label8", "※次回起動時に有効", {}},
        {"RadioGroup1", "", {8, 40, 214, 65}},
        {"RadioGroup2", "", {231, 40, 214, 65}},
        {"Label9", "注）図面内にある全ての点を削除します（ブロック内も含む）", {}},
        {"Label10", "※SXF寸法図形の点はそのままです", {}},
        {"Label4", "本ツール画面/本ツールのショートカットにドラッグ＆ドロップ、", {}},
        {"Label5", "又は上記でファイル選択をすると、ファイル変換を行います。", {}},
        {"Label6", "処理を中断する場合は、[ESC]キーを押し続けて下さい。", {}},
        {"TabSheet2", "", {}},
        {"ListBox1", "", {}},
        {"StatusBar1", "", {0, 413, 464, 19}},
    };
    for (const Control& c : controls) {
      auto* w = f.findChild<QWidget*>(QString::fromLatin1(c.name));
      QVERIFY2(w, c.name);
      QString caption;
      if (auto* b = qobject_cast<QAbstractButton*>(w)) caption = b->text();
      if (auto* l = qobject_cast<QLabel*>(w)) caption = l->text();
      if (auto* g = qobject_cast<QGroupBox*>(w)) caption = g->title();
      if (auto* e = qobject_cast<QLineEdit*>(w)) caption = e->text();
      if (auto* b = qobject_cast<QComboBox*>(w)) caption = b->currentText();
      QCOMPARE(caption, c.caption);
      if (!c.place.isEmpty()) QCOMPARE(w->geometry(), c.place);
    }
    const QPoint labels[] = {{8, 8}, {319, 8}, {8, 111}, {40, 130}, {8, 149}, {8, 175}, {8, 199}};
    const QLabel* placed[] = {f.Label7, f.Label8, f.Label9, f.Label10,
                              f.Label4, f.Label5, f.Label6};
    for (int i = 0; i < 7; ++i) {
      QCOMPARE(placed[i]->pos(), labels[i]);
      QCOMPARE(placed[i]->size(), placed[i]->sizeHint());  // sized for its whole text
    }
    QCOMPARE(f.LabelPreFolder->pos(), QPoint(115, 90));
    QCOMPARE(f.RadioGroup1->Item(0)->text(), QStringLiteral("仮点だけ削除"));
    QCOMPARE(f.RadioGroup1->Item(1)->text(), QStringLiteral("実点と仮点を削除"));
    QCOMPARE(f.RadioGroup2->Item(0)->text(), QStringLiteral("ブロック内のみ対象"));
    QCOMPARE(f.RadioGroup2->Item(1)->text(), QStringLiteral("全データ対象"));

    QCOMPARE(f.GroupBox1->height(), 113);
    QCOMPARE(f.Panel1->height(), 41);
    QCOMPARE(f.PageControl1->tabPosition(), QTabWidget::South);
    QCOMPARE(f.PageControl1->tabText(0), QStringLiteral("設定(&S)"));
    QCOMPARE(f.PageControl1->tabText(1), QStringLiteral("ログ(&L)"));
    QCOMPARE(f.PageControl1->widget(0), f.TabSheet1);
    QCOMPARE(f.PageControl1->currentIndex(), 0);
    QVERIFY(f.Label1->isHidden() && !f.Label1->isEnabled());
    auto* status = f.StatusBar1->findChild<QLabel*>();
    QVERIFY(status);
    QCOMPARE(
        status->text(),
        QStringLiteral("※保存先フォルダに同じ名前のファイルが存在する場合は名前に枝番が付きます"));

    // A Japanese gothic at 13 pixels for the window, 12 for the log.
    const QStringList gothic = {
        "ＭＳ ゴシック",         "MS Gothic",        "IPAGothic", "IPAゴシック",
        "Noto Sans Mono CJK JP", "Noto Sans CJK JP", "VL Gothic", "TakaoGothic"};
    QVERIFY2(gothic.contains(QFontInfo(f.Label4->font()).family()),
             qPrintable(QFontInfo(f.Label4->font()).family()));
    QCOMPARE(f.Label4->font().pixelSize(), 13);
    QCOMPARE(f.ListBox1->font().pixelSize(), 12);
    QCOMPARE(f.Label3->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QVERIFY(f.Label3->font().underline());
    QCOMPARE(f.Label9->palette().color(QPalette::WindowText), QColor(Qt::red));
    QVERIFY(f.Label9->font().bold());
  }

  void defaultsWithoutSettingsFile() {
    TInstalled in;
    auto form = in.Window();
    TForm1& f = *form;
    QCOMPARE(Destinations(f), (QList<bool>{true, false, false, false, false}));
    QVERIFY(!f.Edit1->isEnabled() && !f.Button1->isEnabled());
    QCOMPARE(f.Fidx, 1);
    QCOMPARE(f.gstyle, std::string("Windows"));
    QCOMPARE(QApplication::style()->name(), QStringLiteral("windows"));
    QCOMPARE(f.RadioGroup1->ItemIndex(), 1);
    QCOMPARE(f.RadioGroup2->ItemIndex(), 1);
    QCOMPARE(f.BrowseForFolder1Start(), QString::fromStdString(f.AppPath));
    QVERIFY(!fs::exists(in.SettingsFile()));
    // Closing writes the file, here with every default.
    f.close();
    QCOMPARE(SettingsLines(in.SettingsFile()),
             QStringList({"50", "50", "480", "480", "1", "0", "0", "0", "0", "", "",
                          QString::fromStdString(f.AppPath), "1", "Windows", "1", "1"}));
  }

  void destinationLines_data() {
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QList<bool>>("selected");
    QTest::addColumn<bool>("fieldEnabled");
    QTest::newRow("all 0") << "0 0 0 0 0" << QList<bool>{false, false, false, false, false}
                           << false;
    QTest::newRow("1 0 0 1 0") << "1 0 0 1 0" << QList<bool>{false, false, false, true, false}
                               << true;
    QTest::newRow("last true wins")
        << "0 TRUE on 0 0" << QList<bool>{false, false, true, false, false} << false;
    QTest::newRow("short file") << "0 1" << QList<bool>{false, true, false, false, false} << false;
  }
  void destinationLines() {
    QFETCH(QString, lines);
    QFETCH(QList<bool>, selected);
    QFETCH(bool, fieldEnabled);
    TInstalled in;
    QStringList file = Lines(lines);
    if (lines == "0 1") file = file.mid(0, 6);
    WriteSettingsLines(in.SettingsFile(), file);
    auto form = in.Window();
    QCOMPARE(Destinations(*form), selected);
    QCOMPARE(form->Edit1->isEnabled(), fieldEnabled);
    QCOMPARE(form->Button1->isEnabled(), fieldEnabled);
    // Saved back as they stand.
    form->close();
    QStringList expected;
    for (bool b : selected) expected << (b ? "1" : "0");
    QCOMPARE(SettingsLines(in.SettingsFile()).mid(4, 5), expected);
  }

  void emptySettingsFile() {
    TInstalled in;
    testsupport::WriteFile(in.SettingsFile(), "");
    auto form = in.Window();
    QCOMPARE(Destinations(*form), (QList<bool>{false, false, false, false, false}));
    QCOMPARE(form->LabelPreFolder->text(), QString());
    QCOMPARE(form->Fidx, 0);
    QCOMPARE(form->gstyle, std::string("Windows"));
    QCOMPARE(form->RadioGroup1->ItemIndex(), 0);
    form->close();
    QCOMPARE(SettingsLines(in.SettingsFile()).mid(4),
             QStringList({"0", "0", "0", "0", "0", "", "", "", "0", "Windows", "0", "0"}));
  }

  void radioButtonRuleFollowsEveryChange() {
    TInstalled in;
    auto form = in.Window();
    form->RadioButton4->setChecked(true);
    QVERIFY(form->Edit1->isEnabled() && form->Button1->isEnabled());
    form->RadioButton5->setChecked(true);
    QVERIFY(!form->Edit1->isEnabled() && !form->Button1->isEnabled());
  }

  void itemIndexClamped_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("saved");
    QTest::newRow("7") << "7" << 1 << "1";
    QTest::newRow("-3") << "-3" << -1 << "-1";
    QTest::newRow("0") << "0" << 0 << "0";
    QTest::newRow("text") << "abc" << 0 << "0";
  }
  void itemIndexClamped() {
    QFETCH(QString, line);
    QFETCH(int, index);
    QFETCH(QString, saved);
    TInstalled in;
    WriteSettingsLines(in.SettingsFile(), Lines("1 0 0 0 0", line));
    auto form = in.Window();
    QCOMPARE(form->RadioGroup1->ItemIndex(), index);
    QCOMPARE(form->RadioGroup2->ItemIndex(), 1);
    form->close();
    QCOMPARE(SettingsLines(in.SettingsFile()).at(14), saved);
  }

  void styleNotInListFallsBackToWindows() {
    TInstalled in;
    QApplication::setStyle(QStringLiteral("Fusion"));
    WriteSettingsLines(in.SettingsFile(), Lines("1 0 0 0 0", "1", "No Such Style"));
    auto form = in.Window();
    QCOMPARE(form->gstyle, std::string("Windows"));
    QCOMPARE(form->ComboBox1->currentText(), QStringLiteral("Windows"));
    QCOMPARE(QApplication::style()->name(), QStringLiteral("windows"));
    QStringList offered;
    for (int i = 0; i < form->ComboBox1->count(); ++i) offered << form->ComboBox1->itemText(i);
    QCOMPARE(offered, QStyleFactory::keys());
    form->close();
    QCOMPARE(SettingsLines(in.SettingsFile()).at(13), QStringLiteral("Windows"));
  }

  void styleChoiceTakesEffectAtNextStart() {
    if (!QStyleFactory::keys().contains(QStringLiteral("Fusion"))) QSKIP("no Fusion style");
    TInstalled in;
    WriteSettingsLines(in.SettingsFile(), Lines("1 0 0 0 0", "1", "Fusion"));
    {
      auto form = in.Window();
      QCOMPARE(QApplication::style()->name(), QStringLiteral("fusion"));
      const int windows = form->ComboBox1->findText(QStringLiteral("Windows"));
      form->ComboBox1->setCurrentIndex(windows);
      emit form->ComboBox1->activated(windows);
      QCOMPARE(QApplication::style()->name(), QStringLiteral("fusion"));
      form->close();
    }
    QCOMPARE(SettingsLines(in.SettingsFile()).at(13), QStringLiteral("Windows"));
    auto next = in.Window();
    QCOMPARE(QApplication::style()->name(), QStringLiteral("windows"));
  }

  void browseKeepsOneTrailingSeparator_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("shown");
    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("plain folder") << "/home/work"
                                  << "/home/work/";
    QTest::newRow("with separator") << "/home/work/"
                                    << "/home/work/";
  }
  void browseKeepsOneTrailingSeparator() {
    QFETCH(QString, chosen);
    QFETCH(QString, shown);
    TInstalled in;
    auto form = in.Window();
    form->RadioButton4->setChecked(true);
    in.dialogs.folderAnswers = {chosen, std::nullopt};
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    QCOMPARE(form->Edit1->text(), shown);
    QCOMPARE(in.dialogs.browseRequests.back().caption,
             QStringLiteral("変換後のファイルを保存するフォルダを指定して下さい"));
    QCOMPARE(in.dialogs.browseRequests.back().start, QString::fromStdString(form->AppPath));
    // The next browse starts where this one ended; a cancel changes nothing.
    QTest::mouseClick(form->Button1, Qt::LeftButton);
    QCOMPARE(in.dialogs.browseRequests.back().start, chosen);
    QCOMPARE(form->Edit1->text(), shown);
    form->BrowseForFolder2Accept(chosen);
    QCOMPARE(form->LabelPreFolder->text(), shown);
  }

  void browseStartsAtSavedFoldersThatExist() {
    TInstalled in;
    const std::string work = in.Folder("work").string() + "/";
    QStringList lines = Lines("0 0 0 1 0");
    lines[9] = QString::fromStdString(work);
    lines[11] = QStringLiteral("/no/such/folder/");
    WriteSettingsLines(in.SettingsFile(), lines);
    auto form = in.Window();
    QCOMPARE(form->BrowseForFolder1Start(), QString::fromStdString(work));
    QCOMPARE(form->BrowseForFolder2Start(), QString::fromStdString(form->AppPath));
    QCOMPARE(form->LabelPreFolder->text(), QStringLiteral("/no/such/folder/"));
  }

  void pickupFile() {
    TInstalled in;
    const fs::path d = in.Folder("in");
    fs::create_directories(d / "folder.jww");
    testsupport::WriteFile(d / "plan.JWW", "x");
    testsupport::WriteFile(d / "plan.jww.bak", "x");
    testsupport::WriteFile(d / "plan", "x");
    testsupport::WriteFile(d / "site.jww", "x");
    auto form = in.Window();
    for (const char* name :
         {"folder.jww", "plan.JWW", "plan.jww.bak", "missing.jww", "plan", "site.jww", "plan.JWW"})
      form->PickupFile((d / name).string());
    form->PickupFile("");
    QCOMPARE(form->FList,
             (std::vector<std::string>{(d / "plan.JWW").string(), (d / "site.jww").string(),
                                       (d / "plan.JWW").string()}));
  }

  void uniqueFileName() {
    testsupport::ScratchDir d;
    auto name = [&](const char* n) { return (d / n).string(); };
    QCOMPARE(frontend::UniqueFileName(name("plan.jww")), name("plan.jww"));
    testsupport::WriteFile(d / "plan.jww", "x");
    QCOMPARE(frontend::UniqueFileName(name("plan.jww")), name("plan~1.jww"));
    testsupport::WriteFile(d / "plan~1.jww", "x");
    QCOMPARE(frontend::UniqueFileName(name("plan.jww")), name("plan~2.jww"));
    fs::create_directories(d / "site.jww");  // a folder does not take the name
    QCOMPARE(frontend::UniqueFileName(name("site.jww")), name("site.jww"));
    testsupport::WriteFile(d / "PLAN.JWW", "x");
    QCOMPARE(frontend::UniqueFileName(name("PLAN.JWW")), name("PLAN~1.JWW"));
  }

  void allNamesTakenStartsNoWorker() {
    TInstalled in;
    in.InstallRecordingWorker();
    const fs::path src = in.Folder("in") / "plan.jww", out = in.Folder("out");
    WriteDrawing(src);
    testsupport::WriteFile(out / "plan.jww", "taken");
    for (int n = 1; n <= 99999; ++n) std::ofstream(out / ("plan~" + std::to_string(n) + ".jww"));
    auto form = in.Window();
    ChooseFolder(*form, out);
    form->FormShow();
    Drop(*form, {src});
    QCOMPARE(LogLines(*form),
             QStringList({QString::fromStdString(src.string()),
                          "→ " + QString::fromStdString((out / "plan.jww").string()),
                          "\u3000…… 変換失敗"}));
    QVERIFY(!in.WorkerRan());
    QCOMPARE(QString::fromStdString(testsupport::ReadFile(out / "plan.jww")),
             QStringLiteral("taken"));
  }

  void commandLine_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("src");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain")
        << "/opt/ds/Dotsweep"
        << "en_US"
        << "/d/plan.jww"
        << "\"/opt/ds/DotsweepSub\" DOTSWEEP 45000.25000000 \"/d/plan.jww\" \"/o/plan.jww\"";
    QTest::newRow("decimal comma")
        << "/opt/ds/Dotsweep"
        << "de_DE"
        << "/d/plan.jww"
        << "\"/opt/ds/DotsweepSub\" DOTSWEEP 45000,25000000 \"/d/plan.jww\" \"/o/plan.jww\"";
    QTest::newRow("blanks in paths")
        << "/opt/my ds/Dotsweep"
        << "en_US"
        << "/my d/a b.jww"
        << "\"/opt/my ds/DotsweepSub\" DOTSWEEP 45000.25000000 \"/my d/a b.jww\" \"/o/plan.jww\"";
    QTest::newRow("program with a blank")
        << "/opt/ds/Dot sweep"
        << "en_US"
        << "/d/plan.jww"
        << "\"/opt/ds/DotsweepSub\" DOT SWEEP 45000.25000000 \"/d/plan.jww\" \"/o/plan.jww\"";
    QTest::newRow("other name")
        << "/opt/ds/sweeper.bin"
        << "en_US"
        << "/d/plan.jww"
        << "\"/opt/ds/DotsweepSub\" SWEEPER 45000.25000000 \"/d/plan.jww\" \"/o/plan.jww\"";
    QTest::newRow("quote in a name") << "/opt/ds/Dotsweep"
                                     << "en_US"
                                     << "/d/say \"hi\"\\.jww"
                                     << "\"/opt/ds/DotsweepSub\" DOTSWEEP 45000.25000000 \"/d/say "
                                        "\\\"hi\\\"\\.jww\" \"/o/plan.jww\"";
  }
  void commandLine() {
    QFETCH(QString, program);
    QFETCH(QString, locale);
    QFETCH(QString, src);
    QFETCH(QString, expected);
    TFakeDialogs dialogs;
    QLocale::setDefault(QLocale(locale));
    TForm1 form(program.toStdString(), {}, dialogs);
    form.Now = [] { return 45000.25; };
    const std::string line = form.WorkerCommandLine(src.toStdString(), "/o/plan.jww");
    QLocale::setDefault(QLocale::c());
    QCOMPARE(QString::fromStdString(line), expected);
    // The worker reads back exactly the pieces that went in.
    const auto args = platform::SplitCommandLine(line);
    QCOMPARE(QString::fromStdString(args.end()[-2]), src);
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
