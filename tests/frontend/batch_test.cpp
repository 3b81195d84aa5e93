// Batches through the real worker: the intakes, where results go and what they are named,
// the log, Escape, input and closing while a worker runs, and the settings the worker reads.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include "tests/frontend/fixture.h"

using namespace fetest;
using frontend::TForm1;

namespace {

QString Q(const fs::path& p) {
  return QString::fromStdString(p.string());
}

// The three log lines of one file.
QStringList Logged(const fs::path& src, const fs::path& dst, const char* result = "変換完了") {
  return {Q(src), "→ " + Q(dst), QStringLiteral("\u3000…… ") + QString::fromUtf8(result)};
}

// Runs `action` from the event loop, which first turns while the batch waits for its first
// worker; `context` must not be the window, whose own posted events start the batch.
void WhileFirstWorkerRuns(QObject& context, std::function<void()> action) {
  QTimer::singleShot(0, &context, std::move(action));
}

const char kStop[] = "[ESC]を押しましたので中断します。";

}  // namespace

class BatchTest : public QObject {
  Q_OBJECT
  std::unique_ptr<testsupport::ScratchDir> home_;

  // Results that go to the desktop or documents stay out of the real home folder.
  fs::path UseHome(const TInstalled& in) {
    const fs::path home = in.Folder("home");
    qputenv("HOME", QByteArray::fromStdString(home.string()));
    return home;
  }

 private slots:
  void initTestCase() {
    home_ = std::make_unique<testsupport::ScratchDir>();
    qputenv("HOME", QByteArray::fromStdString(home_->path().string()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((*home_ / "config").string()));
  }

  void drops_data() {
    QTest::addColumn<QStringList>("dropped");  // under the scratch folder; a/ and b/ exist
    QTest::addColumn<QStringList>("outputs");  // in out/, one per queued drawing
    QTest::newRow("same name from two folders")
        << QStringList{"a/plan.jww", "b/plan.jww"} << QStringList{"plan.jww", "plan~1.jww"};
    QTest::newRow("same drawing twice")
        << QStringList{"a/plan.jww", "a/plan.jww"} << QStringList{"plan.jww", "plan~1.jww"};
    QTest::newRow("folder with drawings")
        << QStringList{"a", "a/plan.jww", "b/SITE.JWW"} << QStringList{"plan.jww", "SITE.JWW"};
    QTest::newRow("double quote in a name")
        << QStringList{"a/say \"hi\".jww"} << QStringList{"say \"hi\".jww"};
    QTest::newRow("nothing qualifies") << QStringList{"a", "a/notes.txt"} << QStringList{};
  }
  void drops() {
    QFETCH(QStringList, dropped);
    QFETCH(QStringList, outputs);
    TInstalled in;
    const fs::path out = in.Folder("out");
    in.Folder("a"), in.Folder("b");
    std::vector<fs::path> paths;
    for (const QString& d : dropped) {
      const fs::path p = in.dir / d.toStdString();
      if (d.endsWith(".jww", Qt::CaseInsensitive) && !fs::exists(p)) WriteDrawing(p);
      if (d.endsWith(".txt")) testsupport::WriteFile(p, "notes");
      paths.push_back(p);
    }
    auto form = in.Window();
    ChooseFolder(*form, out);
    form->FormShow();
    QVERIFY(form->acceptDrops());
    form->ListBox1->addItem(QStringLiteral("earlier batch"));
    Drop(*form, paths);

    if (outputs.isEmpty()) {  // no batch: nothing logged, saved or shown
      QCOMPARE(LogLines(*form), QStringList{"earlier batch"});
      QCOMPARE(form->PageControl1->currentIndex(), 0);
      QVERIFY(!fs::exists(in.SettingsFile()));
      return;
    }
    QStringList expected;
    int i = 0;
    for (const fs::path& p : paths) {
      if (fs::is_directory(p)) continue;
      const fs::path dst = out / outputs[i++].toStdString();
      expected += Logged(p, dst);
      QCOMPARE(PointCount(dst), 0);
    }
    QCOMPARE(LogLines(*form), expected);
    QCOMPARE(form->PageControl1->currentIndex(), 1);
    QVERIFY(!form->Busy());
  }

  void besideTheSource() {
    TInstalled in;
    const fs::path src = in.Folder("a") / "plan.jww";
    WriteDrawing(src);
    const std::string before = testsupport::ReadFile(src);
    auto form = in.Window();
    form->RadioButton3->setChecked(true);
    form->FormShow();
    Drop(*form, {src, src});
    QCOMPARE(LogLines(*form),
             Logged(src, in.dir / "a/plan~1.jww") + Logged(src, in.dir / "a/plan~2.jww"));
    QCOMPARE(testsupport::ReadFile(src), before);
    QCOMPARE(PointCount(src), 2);
    QCOMPARE(PointCount(in.dir / "a/plan~1.jww"), 0);
  }

  void destinations_data() {
    QTest::addColumn<int>("button");        // 1..5, 0 for none
    QTest::addColumn<QString>("answer");    // of the folder dialog, "" to cancel
    QTest::addColumn<QString>("expected");  // folder of the result, "" for no batch
    QTest::newRow("desktop") << 1 << ""
                             << "home/Desktop";
    QTest::newRow("documents") << 2 << ""
                               << "home/Documents";
    QTest::newRow("every time") << 5 << "chosen"
                                << "chosen";
    QTest::newRow("none selected") << 0 << "chosen"
                                   << "chosen";
    QTest::newRow("every time, cancelled") << 5 << ""
                                           << "";
  }
  void destinations() {
    QFETCH(int, button);
    QFETCH(QString, answer);
    QFETCH(QString, expected);
    TInstalled in;
    const fs::path home = UseHome(in);
    fs::create_directories(home / "Desktop");
    fs::create_directories(home / "Documents");
    const fs::path src = in.Folder("a") / "plan.jww";
    WriteDrawing(src);
    if (!answer.isEmpty()) in.dialogs.folderAnswers = {Q(in.Folder(answer.toStdString()))};
    // No button selected: as five false lines in the settings file leave the window.
    if (button == 0)
      WriteSettingsLines(in.SettingsFile(), {"50", "50", "480", "480", "0", "0", "0", "0", "0", "",
                                             "", "", "1", "Windows", "1", "1"});
    auto form = in.Window();
    QRadioButton* buttons[] = {form->RadioButton1, form->RadioButton2, form->RadioButton3,
                               form->RadioButton4, form->RadioButton5};
    if (button > 0) buttons[button - 1]->setChecked(true);
    form->FormShow();
    Drop(*form, {src});
    const bool asks = button == 5 || button == 0;
    QCOMPARE(in.dialogs.browseRequests.size(), size_t(asks ? 1 : 0));
    if (asks) {
      QCOMPARE(in.dialogs.browseRequests[0].caption,
               QStringLiteral("変換後のファイルを保存するフォルダを指定して下さい"));
      QCOMPARE(in.dialogs.browseRequests[0].start, QString::fromStdString(form->AppPath));
    }
    if (expected.isEmpty()) {
      QVERIFY(LogLines(*form).isEmpty());
      QVERIFY(!fs::exists(in.SettingsFile()));
      QCOMPARE(form->LabelPreFolder->text(), QString::fromStdString(form->AppPath));
      return;
    }
    const fs::path dst = in.dir / expected.toStdString() / "plan.jww";
    QCOMPARE(LogLines(*form), Logged(src, dst));
    QCOMPARE(PointCount(dst), 0);
    if (asks) {
      QCOMPARE(form->LabelPreFolder->text(), Q(in.dir / expected.toStdString()) + "/");
      QCOMPARE(form->BrowseForFolder2Start(), Q(in.dir / expected.toStdString()));
    }
  }

  void namedFolderRefused_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    QTest::newRow("missing") << "nowhere"
                             << "nowhere/";
    QTest::newRow("missing, with separator") << "nowhere/"
                                             << "nowhere/";
    QTest::newRow("empty") << ""
                           << "";
  }
  void namedFolderRefused() {
    QFETCH(QString, field);
    QFETCH(QString, shown);
    TInstalled in;
    const fs::path src = in.Folder("a") / "plan.jww";
    WriteDrawing(src);
    auto form = in.Window();
    form->RadioButton4->setChecked(true);
    const QString prefix = Q(in.dir.path()) + "/";
    form->Edit1->setText(field.isEmpty() ? QString() : prefix + field);
    form->ListBox1->addItem(QStringLiteral("earlier batch"));
    form->FormShow();
    Drop(*form, {src});
    QCOMPARE(in.dialogs.messages,
             QStringList{QStringLiteral("指定したフォルダが見つかりません。\r\n") +
                         (shown.isEmpty() ? QString() : prefix + shown)});
    QCOMPARE(LogLines(*form), QStringList{"earlier batch"});
    QCOMPARE(form->PageControl1->currentIndex(), 0);
    QVERIFY(!fs::exists(in.SettingsFile()));
    QVERIFY(!fs::exists(in.dir / "nowhere"));
  }

  void failingWorkerAndTheBatchGoesOn() {
    TInstalled in;
    const fs::path bad = in.Folder("a") / "bad.jww", good = in.dir / "a/good.jww";
    const fs::path out = in.Folder("out");
    testsupport::WriteFile(bad, "not a drawing at all");
    WriteDrawing(good);
    auto form = in.Window();
    ChooseFolder(*form, out);
    form->FormShow();
    Drop(*form, {bad, good});
    QCOMPARE(LogLines(*form),
             Logged(bad, out / "bad.jww", "変換失敗") + Logged(good, out / "good.jww"));
    QVERIFY(!fs::exists(out / "bad.jww"));
  }

  void workerMissing() {
    TInstalled in;
    fs::remove(in.app / "DotsweepSub");
    const fs::path src = in.Folder("a") / "plan.jww", out = in.Folder("out");
    WriteDrawing(src);
    auto form = in.Window();
    ChooseFolder(*form, out);
    form->FormShow();
    Drop(*form, {src});
    QCOMPARE(LogLines(*form), Logged(src, out / "plan.jww", "変換失敗"));
  }

  void escapeHeld_data() {
    QTest::addColumn<bool>("beforeTheBatch");
    QTest::newRow("held before the batch") << true;
    QTest::newRow("pressed during the first file") << false;
  }
  void escapeHeld() {
    QFETCH(bool, beforeTheBatch);
    TInstalled in;
    const fs::path a = in.Folder("a") / "a.jww", b = in.dir / "a/b.jww", out = in.Folder("out");
    WriteDrawing(a);
    WriteDrawing(b);
    auto form = in.Window();
    ChooseFolder(*form, out);
    form->FormShow();
    QObject context;
    if (beforeTheBatch)
      QTest::keyPress(form.get(), Qt::Key_Escape);
    else
      WhileFirstWorkerRuns(context, [&] { QTest::keyPress(form.get(), Qt::Key_Escape); });
    Drop(*form, {a, b});
    QStringList expected = beforeTheBatch ? QStringList() : Logged(a, out / "a.jww");
    expected << kStop;
    QCOMPARE(LogLines(*form), expected);
    QCOMPARE(form->PageControl1->currentIndex(), 1);
    QCOMPARE(fs::exists(out / "a.jww"), !beforeTheBatch);
    QVERIFY(!fs::exists(out / "b.jww"));
    // Released, the next batch runs whole.
    QTest::keyRelease(form.get(), Qt::Key_Escape);
    QVERIFY(!form->EscapeHeld());
    Drop(*form, {b});
    QCOMPARE(LogLines(*form), Logged(b, out / "b.jww"));
  }

  void inputDuringABatchIsRefused() {
    TInstalled in;
    const fs::path a = in.Folder("a") / "a.jww", b = in.dir / "a/b.jww", c = in.dir / "a/c.jww";
    const fs::path out = in.Folder("out");
    for (const auto& p : {a, b, c}) WriteDrawing(p);
    in.dialogs.openAnswers = {frontend::TOpenAnswer{{Q(c)}, 1}};
    auto form = in.Window({a.string()});
    ChooseFolder(*form, out);
    QObject context;
    bool tried = false;
    WhileFirstWorkerRuns(context, [&] {
      QVERIFY(form->Busy());
      Drop(*form, {c});
      QTest::mouseClick(form->Label3, Qt::LeftButton);
      tried = true;
    });
    form->show();
    QCoreApplication::sendPostedEvents(form.get());  // FormShow: the command line's batch
    QVERIFY(tried);
    QVERIFY(in.dialogs.openRequests.empty());
    QCOMPARE(LogLines(*form), Logged(a, out / "a.jww"));
    QVERIFY(!fs::exists(out / "c.jww"));
    // Once the batch is over, input is taken again.
    Drop(*form, {b});
    QCOMPARE(LogLines(*form), Logged(b, out / "b.jww"));
  }

  void closingDuringABatch() {
    TInstalled in;
    const fs::path a = in.Folder("a") / "a.jww", b = in.dir / "a/b.jww", out = in.Folder("out");
    WriteDrawing(a);
    WriteDrawing(b);
    auto form = in.Window();
    ChooseFolder(*form, out);
    form->show();
    QCoreApplication::sendPostedEvents(form.get());
    QObject context;
    bool stillOpen = false;
    WhileFirstWorkerRuns(context, [&] {
      form->RadioGroup1->SetItemIndex(0);  // after the batch's save, so only closing saves it
      form->close();
      stillOpen = form->isVisible();
    });
    Drop(*form, {a, b});
    QVERIFY(stillOpen);  // while the worker ran
    QVERIFY(!form->isVisible());
    QVERIFY(fs::exists(out / "a.jww"));
    QVERIFY(!fs::exists(out / "b.jww"));
    QCOMPARE(LogLines(*form), Logged(a, out / "a.jww"));
    QCOMPARE(SettingsLines(in.SettingsFile()).at(14), QStringLiteral("0"));
    QVERIFY(form->FList.empty());
  }

  void settingsFileAtBatchStartAndClose() {
    TInstalled in;
    const fs::path src = in.Folder("a") / "plan.jww";
    WriteDrawing(src);
    auto form = in.Window();
    form->move(120, 80);
    form->resize(500, 400);
    form->RadioButton3->setChecked(true);
    form->Edit1->setText(QStringLiteral("/作業/図面/"));
    form->BrowseForFolder2Accept(QStringLiteral("/前回"));
    form->Label1->setText(QStringLiteral("/開いた/"));
    form->Fidx = 2;
    form->ComboBox1Select(form->ComboBox1->findText(QStringLiteral("Windows")));
    form->RadioGroup1->SetItemIndex(0);  // temporary points only, in the whole drawing
    form->FormShow();
    Drop(*form, {src});
    const QStringList expected = {"120", "80", "516",         "448",      "0",      "0", "1",
                                  "0",   "0",  "/作業/図面/", "/開いた/", "/前回/", "2", "Windows",
                                  "0",   "1"};
    QCOMPARE(SettingsLines(in.SettingsFile()), expected);
    // The worker read it: the real point stayed.
    QCOMPARE(PointCount(in.dir / "a/plan~1.jww"), 1);

    form->RadioButton2->setChecked(true);
    form->RadioGroup2->SetItemIndex(-1);
    form->close();
    QStringList closed = expected;
    closed[5] = "1", closed[6] = "0", closed[15] = "-1";
    QCOMPARE(SettingsLines(in.SettingsFile()), closed);
  }

  void commandLineIntake() {
    TInstalled in;
    const fs::path a = in.Folder("a") / "a.jww", b = in.Folder("b") / "a.jww";
    const fs::path out = in.Folder("out");
    WriteDrawing(a);
    WriteDrawing(b);
    testsupport::WriteFile(in.dir / "a/notes.txt", "x");
    QStringList lines = {"50", "50", "480", "480", "0", "0", "0", "1", "0", Q(out)};
    WriteSettingsLines(in.SettingsFile(), lines);
    auto form = in.Window({a.string(), (in.dir / "a/missing.jww").string(),
                           (in.dir / "a/notes.txt").string(), b.string()});
    QVERIFY(!form->acceptDrops());
    form->show();
    QCoreApplication::sendPostedEvents(form.get());
    QVERIFY(form->acceptDrops());
    QCOMPARE(LogLines(*form), Logged(a, out / "a.jww") + Logged(b, out / "a~1.jww"));
  }

  void fileDialogIntake() {
    TInstalled in;
    const fs::path a = in.Folder("a") / "a.jww", b = in.Folder("b") / "b.jww";
    const fs::path out = in.Folder("out");
    WriteDrawing(a);
    WriteDrawing(b);
    WriteSettingsLines(in.SettingsFile(), {"50", "50", "480", "480", "0", "0", "0", "1", "0",
                                           Q(out), Q(in.dir / "b") + "/", "", "2"});
    in.dialogs.openAnswers = {std::nullopt, frontend::TOpenAnswer{{Q(a), Q(b)}, 1}};
    auto form = in.Window();
    QTest::mouseClick(form->Label3, Qt::LeftButton);  // cancelled: nothing changes
    QCOMPARE(form->Label1->text(), Q(in.dir / "b") + "/");
    QCOMPARE(form->Fidx, 2);
    QVERIFY(LogLines(*form).isEmpty());
    QTest::mouseClick(form->Label3, Qt::LeftButton);
    QCOMPARE(in.dialogs.openRequests.size(), size_t(2));
    const frontend::TOpenRequest& r = in.dialogs.openRequests[1];
    QCOMPARE(r.title, QStringLiteral("変換元ファイルを指定"));
    QCOMPARE(r.initialFolder, Q(in.dir / "b") + "/");
    QCOMPARE(r.fileName, QStringLiteral("\u3000"));
    QCOMPARE(r.filters, (QStringList{QStringLiteral("Jw_cad 図面ファイル(win) (*.jww)"),
                                     QStringLiteral("全てのファイル(*.*) (*)")}));
    QCOMPARE(r.filterIndex, 2);
    QCOMPARE(form->Label1->text(), Q(in.dir / "a") + "/");
    QCOMPARE(form->Fidx, 1);
    QCOMPARE(LogLines(*form), Logged(a, out / "a.jww") + Logged(b, out / "b.jww"));
  }
};

QTEST_MAIN(BatchTest)
#include "batch_test.moc"
