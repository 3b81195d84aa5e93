// The window Dotsweep: where converted drawings go, which points go, the window's style, and
// the batch that hands each drawing to the worker DotsweepSub.
#pragma once

#include <QGroupBox>
#include <QMainWindow>
#include <functional>
#include <string>
#include <vector>

#include "frontend/Dialogs.h"
#include "frontend/Func_.h"

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;

namespace frontend {

// A group box of radio items with an item index, −1 when no item is selected.
class TRadioGroup : public QGroupBox {
 public:
  TRadioGroup(const QStringList& items, QWidget* parent);
  int ItemIndex() const;
  void SetItemIndex(int index);
  QRadioButton* Item(int index) const;

 private:
  QButtonGroup* buttons_;
};

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // `programPath` is the window's own program file: the settings file, the worker and the
  // caller name all follow from it. `args` are the paths given on the command line.
  TForm1(std::string programPath, std::vector<std::string> args, TDialogs& dialogs);
  ~TForm1() override;

  // Controls, named as in the window's layout.
  QGroupBox* GroupBox1;
  QRadioButton* RadioButton1;
  QRadioButton* RadioButton2;
  QRadioButton* RadioButton3;
  QRadioButton* RadioButton4;
  QLineEdit* Edit1;
  QPushButton* Button1;
  QRadioButton* RadioButton5;
  QLabel* LabelPreFolder;
  QFrame* Panel1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label1;
  QTabWidget* PageControl1;
  QWidget* TabSheet1;
  QLabel* Label7;
  QComboBox* ComboBox1;
  QLabel* Label8;
  TRadioGroup* RadioGroup1;
  TRadioGroup* RadioGroup2;
  QLabel* Label9;
  QLabel* Label10;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label6;
  QWidget* TabSheet2;
  QListWidget* ListBox1;
  QStatusBar* StatusBar1;

  std::string AppPath;  // folder of the program file, with its trailing separator
  std::string gstyle;
  int Fm1x = 50, Fm1y = 50, Fm1w = 480, Fm1h = 480;
  int Fidx = 1;
  std::vector<std::string> FList;  // the file queue of the current intake

  // The local date-time as a day count; a test may stand in its own clock.
  std::function<double()> Now;

  void OpenDatFile(const std::string& fn);
  void SaveDatFile(const std::string& fn);
  std::string SettingsPath() const;

  void FormCreate();
  void FormShow();
  void FormClose();

  void RadioButton1Click();
  void Button1Click();
  void BrowseForFolder1Accept(const QString& folder);
  void BrowseForFolder2Accept(const QString& folder);
  void ComboBox1Select(int index);

  // The three intakes: a click on the blue label, dropped files (also what a drop delivers
  // once the drop itself has finished), and the command line in FormShow.
  void Label3Click();
  void WMDropFiles(const QStringList& paths);

  void PickupFile(const std::string& fn);
  void RunProc();
  std::string RunProc1(const std::string& src, const std::string& dst);
  std::string WorkerCommandLine(const std::string& src, const std::string& dst) const;

  // True from the start of an intake until its batch has ended.
  bool Busy() const { return busy_; }
  bool EscapeHeld() const { return escape_->Held(); }
  // The folders the two folder dialogs open at next.
  const QString& BrowseForFolder1Start() const { return browse1Start_; }
  const QString& BrowseForFolder2Start() const { return browse2Start_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void Intake(const std::vector<std::string>& paths);
  void Log(const std::string& line);
  void SetRadio(QRadioButton* button, bool checked);

  std::string programPath_;
  std::vector<std::string> args_;
  TDialogs& dialogs_;
  TEscapeKey* escape_;
  QString browse1Start_, browse2Start_;
  bool shown_ = false;
  bool busy_ = false;
  bool closeRequested_ = false;
};

}  // namespace frontend
