#include "frontend/Unit1.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "platform/daycount.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "settings/DatFile.h"

namespace frontend {
namespace {

const char kDone[] = "変換完了";
const char kFailed[] = "変換失敗";
const char kEscapeStop[] = "[ESC]を押しましたので中断します。";
const char kFolderMissing[] = "指定したフォルダが見つかりません。\r\n";
const char kBrowseCaption[] = "変換後のファイルを保存するフォルダを指定して下さい";

// The window's layout is drawn for a client area of 464 × 432, inside an outer size of
// 480 × 480 as the settings file keeps it. The window system's real frame is not known
// before the window is mapped and differs between desktops, so the file's outer size always
// converts with this fixed frame: a saved size reads back as the same window.
constexpr int kFrameWidth = 480 - 464;
constexpr int kFrameHeight = 480 - 432;

QFont GothicFont(int pixels) {
  QFont font;
  // The Windows font first; on other systems the first Japanese gothic that is installed.
  font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                    QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                    QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("Noto Sans CJK JP"),
                    QStringLiteral("VL Gothic"), QStringLiteral("TakaoGothic")});
  font.setPixelSize(pixels);
  return font;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->move(x, y);
  label->adjustSize();
  return label;
}

void SetLabelText(QLabel* label, const QString& text) {
  label->setText(text);
  label->adjustSize();
}

QRadioButton* MakeRadio(QWidget* parent, const char* name, const QString& text, QRect place) {
  auto* button = new QRadioButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(place);
  return button;
}

void SetColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  widget->setPalette(palette);
}

std::string Text(const QLineEdit* edit) {
  return edit->text().toStdString();
}

std::string Text(const QLabel* label) {
  return label->text().toStdString();
}

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(path, ec);
}

std::string StandardFolder(QStandardPaths::StandardLocation where) {
  return platform::WithTrailingSeparator(QStandardPaths::writableLocation(where).toStdString());
}

}  // namespace

TRadioGroup::TRadioGroup(const QStringList& items, QWidget* parent)
    : QGroupBox(parent), buttons_(new QButtonGroup(this)) {
  for (int i = 0; i < items.size(); ++i) {
    auto* item = new QRadioButton(items[i], this);
    buttons_->addButton(item, i);
  }
}

int TRadioGroup::ItemIndex() const {
  return buttons_->checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
  if (QAbstractButton* item = buttons_->button(index)) {
    item->setChecked(true);
    return;
  }
  // An exclusive group keeps its checked item; it lets go only while not exclusive.
  buttons_->setExclusive(false);
  for (QAbstractButton* b : buttons_->buttons()) b->setChecked(false);
  buttons_->setExclusive(true);
}

QRadioButton* TRadioGroup::Item(int index) const {
  return static_cast<QRadioButton*>(buttons_->button(index));
}

TForm1::TForm1(std::string programPath, std::vector<std::string> args, TDialogs& dialogs)
    : Now(platform::DayCountNow),
      programPath_(std::move(programPath)),
      args_(std::move(args)),
      dialogs_(dialogs),
      escape_(new TEscapeKey(this)) {
  BuildControls();
  FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::BuildControls() {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("JWWファイル内の点データを削除 [Dotsweep] Ver.1.1"));
  // Sizable, with a system menu and a minimise box but no maximise box.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  // Set before any child exists, so every control inherits it and sizes itself by it.
  setFont(GothicFont(13));

  auto* client = new QWidget(this);
  auto* column = new QVBoxLayout(client);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  setCentralWidget(client);

  GroupBox1 = new QGroupBox(QStringLiteral("保存先(&F)"), client);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setFixedHeight(113);
  column->addWidget(GroupBox1);
  RadioButton1 =
      MakeRadio(GroupBox1, "RadioButton1", QStringLiteral("デスクトップ"), QRect(3, 19, 113, 31));
  RadioButton2 = MakeRadio(GroupBox1, "RadioButton2", QStringLiteral("マイドキュメント"),
                           QRect(138, 19, 142, 31));
  RadioButton3 = MakeRadio(GroupBox1, "RadioButton3", QStringLiteral("元ファイルのフォルダ"),
                           QRect(292, 19, 169, 31));
  RadioButton4 =
      MakeRadio(GroupBox1, "RadioButton4", QStringLiteral("指定フォルダ"), QRect(3, 48, 113, 31));
  Edit1 = new QLineEdit(GroupBox1);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setGeometry(113, 53, 296, 26);
  Button1 = new QPushButton(QStringLiteral("参照"), GroupBox1);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(412, 53, 47, 26);
  RadioButton5 =
      MakeRadio(GroupBox1, "RadioButton5", QStringLiteral("毎回指定"), QRect(3, 80, 89, 31));
  LabelPreFolder = MakeLabel(GroupBox1, "LabelPreFolder", QString(), 115, 90);
  for (QRadioButton* b : {RadioButton1, RadioButton2, RadioButton3, RadioButton4, RadioButton5})
    connect(b, &QRadioButton::toggled, this, [this] { RadioButton1Click(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

  Panel1 = new QFrame(client);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setLineWidth(1);
  Panel1->setFixedHeight(41);
  column->addWidget(Panel1);
  auto* panelColumn = new QVBoxLayout(Panel1);
  panelColumn->setContentsMargins(1, 1, 1, 1);
  panelColumn->setSpacing(0);
  Label2 =
      new QLabel(QStringLiteral("エクスプローラ等からドラッグ＆ドロップするか、または、"), Panel1);
  Label2->setObjectName(QStringLiteral("Label2"));
  // Texts wider than the window are cut at its edge; they never hold the window wider.
  Label2->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  panelColumn->addWidget(Label2);
  Label3 =
      new QLabel(QStringLiteral("ここをクリックして変換するファイルを選択して下さい。"), Panel1);
  Label3->setObjectName(QStringLiteral("Label3"));
  Label3->setAlignment(Qt::AlignCenter);
  Label3->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  SetColour(Label3, Qt::blue);
  QFont underlined = Label3->font();
  underlined.setUnderline(true);
  Label3->setFont(underlined);
  Label3->setCursor(Qt::PointingHandCursor);
  Label3->installEventFilter(this);
  panelColumn->addWidget(Label3, 1);
  Label1 = new QLabel(Panel1);  // keeps the last folder of the file dialog; never shown
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setEnabled(false);
  Label1->hide();

  PageControl1 = new QTabWidget(client);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  PageControl1->setTabPosition(QTabWidget::South);
  column->addWidget(PageControl1, 1);

  // Every page is made inside the window, so that its controls size themselves by the
  // window's font from the start.
  TabSheet1 = new QWidget(PageControl1);
  TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
  auto* sheetColumn = new QVBoxLayout(TabSheet1);
  sheetColumn->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea(TabSheet1);
  scroll->setObjectName(QStringLiteral("ScrollBox1"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  sheetColumn->addWidget(scroll);
  auto* page = new QWidget(scroll);
  page->setMinimumSize(448, 216);  // reaches past the rightmost and lowest control
  scroll->setWidget(page);
  Label7 = MakeLabel(page, "Label7", QStringLiteral("画面スタイル："), 8, 8);
  ComboBox1 = new QComboBox(page);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  ComboBox1->setGeometry(112, 5, 201, 21);
  connect(ComboBox1, &QComboBox::activated, this, [this](int i) { ComboBox1Select(i); });
  Label8 = MakeLabel(page, "Label8", QStringLiteral("※次回起動時に有効"), 319, 8);
  RadioGroup1 =
      new TRadioGroup({QStringLiteral("仮点だけ削除"), QStringLiteral("実点と仮点を削除")}, page);
  RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
  RadioGroup1->setGeometry(8, 40, 214, 65);
  RadioGroup2 =
      new TRadioGroup({QStringLiteral("ブロック内のみ対象"), QStringLiteral("全データ対象")}, page);
  RadioGroup2->setObjectName(QStringLiteral("RadioGroup2"));
  RadioGroup2->setGeometry(231, 40, 214, 65);
  // Items share the box below its caption line evenly, one column, as the layout was drawn.
  for (TRadioGroup* group : {RadioGroup1, RadioGroup2}) {
    const int captionHeight = 13, count = 2;
    const int space = group->height() - captionHeight - 5;
    const int itemHeight = space / count;
    const int top = captionHeight + 1 + (space % count) / 2;
    for (int i = 0; i < count; ++i)
      group->Item(i)->setGeometry(8, top + i * itemHeight, group->width() - 10, itemHeight);
  }
  Label9 =
      MakeLabel(page, "Label9",
                QStringLiteral("注）図面内にある全ての点を削除します（ブロック内も含む）"), 8, 111);
  SetColour(Label9, Qt::red);
  QFont bold = Label9->font();
  bold.setBold(true);
  Label9->setFont(bold);
  Label9->adjustSize();
  Label10 = MakeLabel(page, "Label10", QStringLiteral("※SXF寸法図形の点はそのままです"), 40, 130);
  Label4 = MakeLabel(page, "Label4",
                     QStringLiteral("本ツール画面/本ツールのショートカットにドラッグ＆ドロップ、"),
                     8, 149);
  Label5 =
      MakeLabel(page, "Label5",
                QStringLiteral("又は上記でファイル選択をすると、ファイル変換を行います。"), 8, 175);
  Label6 = MakeLabel(page, "Label6",
                     QStringLiteral("処理を中断する場合は、[ESC]キーを押し続けて下さい。"), 8, 199);
  PageControl1->addTab(TabSheet1, QStringLiteral("設定(&S)"));

  TabSheet2 = new QWidget(PageControl1);
  TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
  auto* logColumn = new QVBoxLayout(TabSheet2);
  logColumn->setContentsMargins(0, 0, 0, 0);
  ListBox1 = new QListWidget(TabSheet2);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->setFont(GothicFont(12));
  logColumn->addWidget(ListBox1);
  PageControl1->addTab(TabSheet2, QStringLiteral("ログ(&L)"));

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setFixedHeight(19);
  auto* simpleText = new QLabel(
      QStringLiteral("※保存先フォルダに同じ名前のファイルが存在する場合は名前に枝番が付きます"),
      StatusBar1);
  simpleText->setObjectName(QStringLiteral("StatusBar1Text"));
  simpleText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  StatusBar1->addWidget(simpleText, 1);
  setStatusBar(StatusBar1);
}

std::string TForm1::SettingsPath() const {
  return AppPath + std::filesystem::path(programPath_).stem().string() + ".dat";
}

void TForm1::FormCreate() {
  AppPath =
      platform::WithTrailingSeparator(std::filesystem::path(programPath_).parent_path().string());
  OpenDatFile(SettingsPath());

  const std::string folder1 = Text(Edit1), folder2 = Text(LabelPreFolder);
  browse1Start_ = QString::fromStdString(IsFolder(folder1) ? folder1 : AppPath);
  browse2Start_ = QString::fromStdString(IsFolder(folder2) ? folder2 : AppPath);

  const QStringList styles = QStyleFactory::keys();
  ComboBox1->clear();
  ComboBox1->addItems(styles);
  if (!styles.contains(QString::fromStdString(gstyle))) gstyle = "Windows";
  QStyle* style = QStyleFactory::create(QString::fromStdString(gstyle));
  if (!style) {
    gstyle = "Windows";
    style = QStyleFactory::create(QString::fromStdString(gstyle));
  }
  if (style) QApplication::setStyle(style);
  ComboBox1->setCurrentIndex(ComboBox1->findText(QString::fromStdString(gstyle)));

  // As the file says, without fitting them to the screen.
  move(Fm1x, Fm1y);
  resize(Fm1w - kFrameWidth, Fm1h - kFrameHeight);
}

void TForm1::OpenDatFile(const std::string& fn) {
  settings::TDotsweepSettings s = settings::FrontEndDefaults(AppPath);
  settings::ReadDatFile(fn, s);
  Fm1x = s.Fm1x, Fm1y = s.Fm1y, Fm1w = s.Fm1w, Fm1h = s.Fm1h;
  // A true line selects its button and so clears the others; a false line clears only its
  // own. The last true line wins; five false lines leave no destination selected.
  const bool lines[] = {s.rb1, s.rb2, s.rb3, s.rb4, s.rb5};
  QRadioButton* const buttons[] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4,
                                   RadioButton5};
  for (int i = 0; i < 5; ++i) SetRadio(buttons[i], lines[i]);
  RadioButton1Click();
  Edit1->setText(QString::fromStdString(s.ed1));
  Label1->setText(QString::fromStdString(s.lb1));
  SetLabelText(LabelPreFolder, QString::fromStdString(s.lb2));
  Fidx = s.Fidx;
  gstyle = s.gstyle;
  RadioGroup1->SetItemIndex(std::clamp(s.rg1, -1, 1));
  RadioGroup2->SetItemIndex(std::clamp(s.rg2, -1, 1));
}

void TForm1::SaveDatFile(const std::string& fn) {
  settings::TDotsweepSettings s;
  s.Fm1x = x(), s.Fm1y = y();
  s.Fm1w = width() + kFrameWidth, s.Fm1h = height() + kFrameHeight;
  s.rb1 = RadioButton1->isChecked();
  s.rb2 = RadioButton2->isChecked();
  s.rb3 = RadioButton3->isChecked();
  s.rb4 = RadioButton4->isChecked();
  s.rb5 = RadioButton5->isChecked();
  s.ed1 = Text(Edit1);
  s.lb1 = Text(Label1);
  s.lb2 = Text(LabelPreFolder);
  s.Fidx = Fidx;
  s.gstyle = gstyle;
  s.rg1 = RadioGroup1->ItemIndex();
  s.rg2 = RadioGroup2->ItemIndex();
  settings::WriteDatFile(fn, s);  // a failed save leaves no file; nothing to tell the user
}

void TForm1::SetRadio(QRadioButton* button, bool checked) {
  if (checked || !button->isChecked()) {
    button->setChecked(checked);
    return;
  }
  // The checked button of an exclusive set cannot be cleared while the set is exclusive.
  button->setAutoExclusive(false);
  button->setChecked(false);
  button->setAutoExclusive(true);
}

void TForm1::RadioButton1Click() {
  const bool ownFolder = RadioButton4->isChecked();
  Edit1->setEnabled(ownFolder);
  Button1->setEnabled(ownFolder);
}

void TForm1::Button1Click() {
  if (auto folder = dialogs_.BrowseFolder(this, QString::fromUtf8(kBrowseCaption), browse1Start_))
    BrowseForFolder1Accept(*folder);
}

void TForm1::BrowseForFolder1Accept(const QString& folder) {
  browse1Start_ = folder;
  Edit1->setText(QString::fromStdString(platform::WithTrailingSeparator(folder.toStdString())));
}

void TForm1::BrowseForFolder2Accept(const QString& folder) {
  browse2Start_ = folder;
  SetLabelText(LabelPreFolder,
               QString::fromStdString(platform::WithTrailingSeparator(folder.toStdString())));
}

void TForm1::ComboBox1Select(int index) {
  // Stored with the next save and applied at the next start, as Label8 tells the user.
  if (index >= 0) gstyle = ComboBox1->itemText(index).toStdString();
}

void TForm1::FormShow() {
  if (shown_) return;
  shown_ = true;
  setAcceptDrops(true);
  if (!busy_) Intake(args_);
}

void TForm1::FormClose() {
  FList.clear();
  SaveDatFile(SettingsPath());
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The command line is taken once the window is up, from the event loop, so that the
  // batch runs in a window that already shows.
  if (!shown_)
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (isVisible()) FormShow();
        },
        Qt::QueuedConnection);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (busy_) {
    // The running worker finishes; the batch then stops and closes the window.
    closeRequested_ = true;
    event->ignore();
    return;
  }
  FormClose();
  QMainWindow::closeEvent(event);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!busy_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  if (busy_ || !event->mimeData()->hasUrls()) {
    event->ignore();
    return;
  }
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  event->acceptProposedAction();
  // The drop is finished before the batch starts, so the program the files came from is
  // not held up for the length of the batch.
  QMetaObject::invokeMethod(
      this, [this, paths] { WMDropFiles(paths); }, Qt::QueuedConnection);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Label3 && event->type() == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && Label3->rect().contains(mouse->position().toPoint()))
      Label3Click();
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::Label3Click() {
  if (busy_) return;
  TOpenRequest request;
  request.title = QStringLiteral("変換元ファイルを指定");
  request.initialFolder = Label1->text();
  request.fileName = QStringLiteral("\u3000");
  request.filters = {QStringLiteral("Jw_cad 図面ファイル(win) (*.jww)"),
                     QStringLiteral("全てのファイル(*.*) (*)")};
  request.filterIndex = Fidx;
  busy_ = true;
  const std::optional<TOpenAnswer> answer = dialogs_.OpenFiles(this, request);
  busy_ = false;
  if (closeRequested_) {
    closeRequested_ = false;
    close();
    return;
  }
  if (!answer || answer->files.isEmpty()) return;
  const std::string first = answer->files.front().toStdString();
  Label1->setText(QString::fromStdString(
      platform::WithTrailingSeparator(std::filesystem::path(first).parent_path().string())));
  Fidx = answer->filterIndex;
  std::vector<std::string> paths;
  for (const QString& f : answer->files) paths.push_back(f.toStdString());
  Intake(paths);
}

void TForm1::WMDropFiles(const QStringList& paths) {
  if (busy_) return;
  std::vector<std::string> files;
  for (const QString& p : paths) files.push_back(p.toStdString());
  Intake(files);
}

void TForm1::Intake(const std::vector<std::string>& paths) {
  busy_ = true;
  FList.clear();
  for (const std::string& p : paths) PickupFile(p);
  if (!FList.empty()) RunProc();
  busy_ = false;
  if (closeRequested_) {
    closeRequested_ = false;
    close();
  }
}

void TForm1::PickupFile(const std::string& fn) {
  if (!fn.empty() && HasJwwExtension(fn) && platform::FileExists(fn)) FList.push_back(fn);
}

void TForm1::Log(const std::string& line) {
  ListBox1->addItem(QString::fromStdString(line));
}

void TForm1::RunProc() {
  if (FList.empty()) return;
  std::string folder;
  bool besideSource = false;
  if (RadioButton1->isChecked()) {
    folder = StandardFolder(QStandardPaths::DesktopLocation);
  } else if (RadioButton2->isChecked()) {
    folder = StandardFolder(QStandardPaths::DocumentsLocation);
  } else if (RadioButton3->isChecked()) {
    besideSource = true;
  } else if (RadioButton4->isChecked()) {
    // An empty field would turn into the root folder once it gets its separator; it is
    // refused like a folder that is not there.
    const std::string text = Text(Edit1);
    folder = text.empty() ? std::string() : platform::WithTrailingSeparator(text);
    if (!IsFolder(folder)) {
      dialogs_.Message(this, QString::fromStdString(kFolderMissing + folder));
      return;
    }
  } else {
    const std::optional<QString> chosen =
        dialogs_.BrowseFolder(this, QString::fromUtf8(kBrowseCaption), browse2Start_);
    if (!chosen || closeRequested_) return;
    BrowseForFolder2Accept(*chosen);
    folder = Text(LabelPreFolder);
  }

  SaveDatFile(SettingsPath());
  ListBox1->clear();
  // A copy: the queue stays as it was for this batch whatever happens to FList meanwhile.
  const std::vector<std::string> queue = FList;
  for (const std::string& src : queue) {
    if (closeRequested_) break;
    if (escape_->Held()) {
      Log(kEscapeStop);
      break;
    }
    const std::string wanted =
        besideSource ? src : folder + std::filesystem::path(src).filename().string();
    const std::string dst = UniqueFileName(wanted);
    Log(src);
    Log("→ " + (dst.empty() ? wanted : dst));
    // With every numbered name taken there is nowhere to write; the worker is not started,
    // so nothing existing is touched.
    const std::string result = dst.empty() ? kFailed : RunProc1(src, dst);
    Log("\u3000…… " + result);
  }
  PageControl1->setCurrentIndex(1);
}

std::string TForm1::WorkerCommandLine(const std::string& src, const std::string& dst) const {
  return frontend::WorkerCommandLine(AppPath, CallerName(programPath_),
                                     DayCountText(Now(), QLocale().decimalPoint()), src, dst);
}

std::string TForm1::RunProc1(const std::string& src, const std::string& dst) {
  std::string result = kDone;
  std::error_code ec;
  platform::Process worker = platform::Process::Start(WorkerCommandLine(src, dst), ec);
  if (worker.Started()) WaitKeepingEventsFlowing(worker);
  // The destination is the worker's only answer.
  if (!platform::FileExists(dst)) result = kFailed;
  return result;
}

}  // namespace frontend
