// The Qt main window: building menus, toolbar, status bar and panes, and the window operations.
#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cmath>

#include "app/png_image.h"
#include "app/simulate_panel.h"
#include "commands/command_ids.h"
#include "commands/dispatch.h"
#include "embedded_images.h"

namespace {

constexpr char CommandIdProperty[] = "quelvoxCommandId";

QString ToQt(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
std::string FromQt(const QString& text) {
  return text.toUtf8().toStdString();
}

// Decodes an embedded PNG with libpng; an empty icon if it cannot be read.
QIcon IconFromPng(const unsigned char* data, unsigned long size) {
  RgbaImage decoded = DecodePng(data, size);
  if (!decoded.Error.empty()) return QIcon();
  QImage image(decoded.Width, decoded.Height, QImage::Format_RGBA8888);
  for (int y = 0; y < decoded.Height; ++y) {
    std::memcpy(image.scanLine(y), decoded.Pixels.data() + static_cast<std::size_t>(y) * decoded.Width * 4,
                static_cast<std::size_t>(decoded.Width) * 4);
  }
  return QIcon(QPixmap::fromImage(image));
}

// "desc|pattern|desc|pattern" to Qt name filters. The description is shown
// as it is; "*.*" means every file, as it does on Windows.
QStringList NameFilters(const std::string& filters) {
  QStringList parts = ToQt(filters).split('|');
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString pattern = parts[i + 1] == "*.*" ? QStringLiteral("*") : parts[i + 1];
    result << parts[i] + " (" + pattern + ")";
  }
  return result;
}

// Whether narrow, wide and punctuation glyphs all advance alike. Measured,
// as QFontInfo::fixedPitch() is false for monospaced fonts that also hold a
// few double-width glyphs (Noto Sans Mono, the monospace of many desktops).
bool Monospaced(const QFont& font) {
  const QFontMetricsF metrics(font);
  const qreal width = metrics.horizontalAdvance(QLatin1Char('W'));
  if (width <= 0) return false;
  for (const QChar c : QStringLiteral("i0.l ")) {
    if (std::abs(metrics.horizontalAdvance(c) - width) > 0.01) return false;
  }
  return true;
}

}  // namespace

// Consolas where it is, else what the font configuration puts in its place,
// the system's fixed font, or the first family that measures monospaced.
QFont PaneFont() {
  QFont font(QStringLiteral("Consolas"), 11);
  font.setStyleHint(QFont::TypeWriter);
  if (Monospaced(font)) return font;
  font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(11);
  if (Monospaced(font)) return font;
  for (const QString& family : QFontDatabase::families()) {
    const QFont candidate(family, 11);
    if (Monospaced(candidate)) return candidate;
  }
  return font;
}

MainWindow::MainWindow() {
  setWindowTitle(QStringLiteral("Quelvox"));
  setWindowFlag(Qt::WindowMaximizeButtonHint, false);

  QScreen* screen = QGuiApplication::primaryScreen();
  const int height = static_cast<int>(std::lround(0.7 * screen->geometry().height()));
  resize(650, height);

  BuildMenus();
  BuildToolBar();
  BuildStatusBar();
  BuildPanes();

  const QRect area = screen->availableGeometry();
  move(area.x() + (area.width() - 650) / 2, area.y() + (area.height() - height) / 2);
}

QAction* MainWindow::AddCommand(QAction* action, int commandId) {
  action->setProperty(CommandIdProperty, commandId);
  connect(action, &QAction::triggered, this, [this, action, commandId] {
    // A checkable item shows what its command keeps: Qt's own toggle is taken
    // back, and the command sets the mark when it runs (never when dropped).
    if (action->isCheckable()) action->setChecked(!action->isChecked());
    PostCommand(commandId);
  });
  return action;
}

QAction* MainWindow::commandAction(int commandId) const {
  for (QAction* action : findChildren<QAction*>()) {
    if (action->property(CommandIdProperty).toInt() == commandId) return action;
  }
  return nullptr;
}

void MainWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  if (bar == nullptr) return;  // no menu bar: the window works without menus
  QMenu* file = bar->addMenu(QStringLiteral("File"));
  AddCommand(file->addAction(QStringLiteral("Open...")), CmdOpenMenu)->setShortcut(QKeySequence::Open);
  AddCommand(file->addAction(QStringLiteral("Save As...")), CmdSaveAsMenu)->setShortcut(QKeySequence::Save);
  AddCommand(file->addAction(QStringLiteral("Export ABEL design...")), CmdExportAbel);
  file->addSeparator();
  AddCommand(file->addAction(QStringLiteral("Quit")), CmdQuit)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  QMenu* device = bar->addMenu(QStringLiteral("Device"));
  AddCommand(device->addAction(QStringLiteral("Set User Signature")), CmdSetUserSignature);
  AddCommand(device->addAction(QStringLiteral("Copy PES")), CmdCopyPes);
  AddCommand(device->addAction(QStringLiteral("Enable Security feature")), CmdEnableSecurity)
      ->setCheckable(true);
  device->addSeparator();
  AddCommand(device->addAction(QStringLiteral("Disable ATMEL PD feature")), CmdDisableAtmelPd);
  AddCommand(device->addAction(QStringLiteral("ATMEL Conditioning")), CmdAtmelConditioning);
  device->addSeparator();
  AddCommand(device->addAction(QStringLiteral("Port...")), CmdChoosePort);
  QMenu* tools = bar->addMenu(QStringLiteral("Tools"));
  AddCommand(tools->addAction(QStringLiteral("Supply test")), CmdSupplyTest);
  AddCommand(tools->addAction(QStringLiteral("Equations")), CmdEquations);
  AddCommand(tools->addAction(QStringLiteral("Simulate...")), CmdSimulate);
  QMenu* help = bar->addMenu(QStringLiteral("?"));
  AddCommand(help->addAction(QStringLiteral("Supported Devices")), CmdSupportedDevices);
  AddCommand(help->addAction(QStringLiteral("About")), CmdAbout);
}

void MainWindow::BuildToolBar() {
  toolBar_ = addToolBar(QStringLiteral("Commands"));
  toolBar_->setMovable(false);
  toolBar_->setFloatable(false);
  toolBar_->setIconSize(QSize(24, 24));
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);

  const QIcon compileImage = IconFromPng(CompileImagePng, CompileImagePngSize);
  const QIcon chipImage = IconFromPng(ChipImagePng, ChipImagePngSize);
  struct Button {
    int Id;
    const char* Text;
    QIcon Icon;
    const char* Tooltip;
  };
  const Button buttons[] = {
      {CmdOpenButton, "Open", style()->standardIcon(QStyle::SP_DialogOpenButton), "Open JEDEC fuse file"},
      {CmdSaveButton, "Save", style()->standardIcon(QStyle::SP_DialogSaveButton), "Safe as JEDEC fuse file"},
      {0, nullptr, {}, nullptr},
      {CmdCompile, "Compile", compileImage, "Compile & Program"},
      {0, nullptr, {}, nullptr},
      {CmdRead, "Read", chipImage, "Read GAL"},
      {CmdProgram, "Program", chipImage, "Program GAL"},
      {CmdVerify, "Verify", chipImage, "Verify GAL"},
      {CmdErase, "Erase", chipImage, "Erase GAL"},
      {CmdInfo, "Info", chipImage, "Pinout & OLMC configuration"},
  };
  for (const Button& button : buttons) {
    if (button.Text == nullptr) {
      toolBar_->addSeparator();
      continue;
    }
    QAction* action = AddCommand(toolBar_->addAction(button.Icon, QString::fromUtf8(button.Text)), button.Id);
    action->setToolTip(QString::fromUtf8(button.Tooltip));
  }
}

void MainWindow::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setSizeGripEnabled(true);
  for (QLabel*& field : statusFields_) {
    field = new QLabel(bar);
    field->setTextFormat(Qt::PlainText);
    field->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(field, 1);
  }
  progressBar_ = new QProgressBar(bar);
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);
  progressBar_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  bar->addWidget(progressBar_, 1);
}

void MainWindow::BuildPanes() {
  auto* area = new QWidget(this);
  setCentralWidget(area);
  const QFont font = PaneFont();

  fuseMapPane_ = new QPlainTextEdit;
  fuseMapPane_->setReadOnly(true);
  fuseMapPane_->setLineWrapMode(QPlainTextEdit::NoWrap);
  fuseMapPane_->setWordWrapMode(QTextOption::NoWrap);
  fuseMapPane_->setFont(font);

  logPane_ = new QPlainTextEdit;
  logPane_->setReadOnly(true);
  logPane_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  logPane_->setFont(font);

  splitter_ = new QSplitter(Qt::Vertical, area);
  splitter_->addWidget(fuseMapPane_);
  splitter_->addWidget(logPane_);
  splitter_->setChildrenCollapsible(false);
  connect(splitter_, &QSplitter::splitterMoved, this, [this] {
    const QList<int> sizes = splitter_->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (total > 0) upperShare_ = static_cast<double>(sizes.value(0)) / total;
  });
  splitter_->installEventFilter(this);

  // Creation geometry: the panes' area less a 30-pixel bottom margin. The
  // window is laid out for its final size first so the heights are known.
  const int areaHeight = height() - (menuBar() ? menuBar()->sizeHint().height() : 0) -
                         toolBar_->sizeHint().height() - statusBar()->sizeHint().height();
  splitter_->setGeometry(5, 0, 640, areaHeight - 30);
  area->installEventFilter(this);
}

void MainWindow::BindLayoutPanes() {
  layoutBound_ = true;
}

void MainWindow::LayoutPanes() {
  QWidget* area = centralWidget();
  splitter_->resize(area->width() - 10, area->height() - 40);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize) {
    if (watched == centralWidget() && layoutBound_) {
      LayoutPanes();
    } else if (watched == splitter_) {
      // Keep the proportion of the two panes when the splitter changes size.
      const int total = splitter_->height() - splitter_->handleWidth();
      if (total > 0) {
        const int upper = static_cast<int>(std::lround(total * upperShare_));
        splitter_->setSizes({upper, total - upper});
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::PostCommand(int commandId) {
  // While a command runs, clicks are dropped: never run, never queued.
  if (IsCommandRunning()) return;
  events_.push_back({EventKind::Menu, commandId});
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The main loop ends the program; a close during a command is dropped.
  event->ignore();
  if (!IsCommandRunning()) events_.push_back({EventKind::Close, 0});
}

QPlainTextEdit* MainWindow::PaneWidget(Pane pane) const {
  return pane == Pane::FuseMap ? fuseMapPane_ : logPane_;
}

void MainWindow::ClearPane(Pane pane) {
  PaneWidget(pane)->clear();
  lineCounts_[static_cast<int>(pane)] = 0;
}

void MainWindow::AppendLine(Pane pane, const std::string& text) {
  QPlainTextEdit* widget = PaneWidget(pane);
  int& count = lineCounts_[static_cast<int>(pane)];
  // Line breaks inside a text would split it into two pane lines.
  QString line = ToQt(text);
  line.replace(QChar('\r'), QChar(' ')).replace(QChar('\n'), QChar(' '));
  line.replace(QChar::ParagraphSeparator, QChar(' ')).replace(QChar::LineSeparator, QChar(' '));
  // The fuse-map pane does not follow its appended lines: a map is read from
  // its first row, so the view stays where it was (at L00000 after a clear).
  QScrollBar* vertical = widget->verticalScrollBar();
  const int top = vertical->value();
  if (count == 0) {
    widget->setPlainText(line);
  } else {
    widget->appendPlainText(line);
  }
  ++count;
  if (pane == Pane::FuseMap) {
    // Appending also scrolls a no-wrap pane sideways to the end of the last line.
    widget->horizontalScrollBar()->setValue(0);
    vertical->setValue(top);
  }
}

int MainWindow::LineCount(Pane pane) {
  return lineCounts_[static_cast<int>(pane)];
}

std::string MainWindow::LineText(Pane pane, int index) {
  if (index < 0 || index >= LineCount(pane)) return std::string();
  return FromQt(PaneWidget(pane)->document()->findBlockByNumber(index).text());
}

void MainWindow::ScrollToEnd(Pane pane) {
  QPlainTextEdit* widget = PaneWidget(pane);
  widget->verticalScrollBar()->setValue(widget->verticalScrollBar()->maximum());
}

void MainWindow::SetStatusText(int field, const std::string& text) {
  if (field == 0 || field == 1) statusFields_[field]->setText(ToQt(text));
}

void MainWindow::SetProgress(int value) {
  progressBar_->setValue(value);
}

FileDialogResult MainWindow::AskFile(const FileDialogRequest& request) {
  QFileDialog dialog(this, ToQt(request.Title));
  dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite |
                    QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(request.ForSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.ForSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = NameFilters(request.Filters);
  dialog.setNameFilters(filters);
  if (request.FilterIndex >= 0 && request.FilterIndex < filters.size())
    dialog.selectNameFilter(filters[request.FilterIndex]);
  const QString initial = ToQt(request.InitialPath);
  const qsizetype cut = std::max(initial.lastIndexOf('/'), initial.lastIndexOf('\\'));
  dialog.setDirectory(initial.left(cut + 1));
  if (request.ForSave && cut + 1 < initial.size()) dialog.selectFile(initial.mid(cut + 1));

  FileDialogResult result;
  result.FilterIndex = request.FilterIndex;
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    result.Path = FromQt(dialog.selectedFiles().first());
    // With the pattern details hidden, Qt may hand back the bare description.
    const QString chosen = dialog.selectedNameFilter();
    for (qsizetype i = 0; i < filters.size(); ++i) {
      if (chosen == filters[i] || filters[i].startsWith(chosen + " ("))
        result.FilterIndex = static_cast<int>(i);
    }
  }
  return result;
}

BoxAnswer MainWindow::ShowMessageBox(const std::string& title, const std::string& text, BoxButtons buttons,
                                     BoxIcon icon, bool defaultNo) {
  QMessageBox box(this);
  box.setWindowTitle(ToQt(title));
  box.setTextFormat(Qt::PlainText);
  box.setText(ToQt(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  box.setIcon(icon == BoxIcon::Warning       ? QMessageBox::Warning
              : icon == BoxIcon::Information ? QMessageBox::Information
                                             : QMessageBox::NoIcon);
  if (buttons == BoxButtons::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(defaultNo ? QMessageBox::No : QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  const int answer = box.exec();
  if (buttons == BoxButtons::Ok) return BoxAnswer::Ok;
  if (answer == QMessageBox::Yes) return BoxAnswer::Yes;
  if (answer == QMessageBox::No) return BoxAnswer::No;
  return BoxAnswer::Closed;
}

std::optional<std::string> MainWindow::AskText(const std::string& title, const std::string& prompt,
                                               const std::string& initialText) {
  QInputDialog dialog(this);
  dialog.setWindowTitle(ToQt(title));
  dialog.setLabelText(ToQt(prompt));
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setTextValue(ToQt(initialText));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return FromQt(dialog.textValue());
}

std::optional<int> MainWindow::AskChoice(const std::string& title, const std::string& prompt,
                                         const std::vector<std::string>& items, int initial) {
  QStringList list;
  for (const std::string& item : items) list << ToQt(item);
  QInputDialog dialog(this);
  dialog.setWindowTitle(ToQt(title));
  dialog.setLabelText(ToQt(prompt));
  dialog.setComboBoxItems(list);
  dialog.setComboBoxEditable(false);
  if (initial >= 0 && initial < list.size()) dialog.setTextValue(list[initial]);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const int chosen = static_cast<int>(list.indexOf(dialog.textValue()));
  if (chosen < 0) return std::nullopt;
  return chosen;
}

void MainWindow::SetClipboardText(const std::string& text) {
  QGuiApplication::clipboard()->setText(ToQt(text));
}

void MainWindow::SetCommandChecked(int commandId, bool checked) {
  if (QAction* action = commandAction(commandId)) {
    action->setCheckable(true);
    action->setChecked(checked);
  }
}

WindowEvent MainWindow::TakePendingEvent() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (events_.empty()) return {};
  WindowEvent event = events_.front();
  events_.pop_front();
  return event;
}

WindowEvent MainWindow::WaitEvent(int limitMs) {
  bool expired = false;
  QTimer wake;  // ends the wait below when the limit passes
  if (limitMs >= 0) {
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.callOnTimeout([&expired] { expired = true; });
    wake.start(limitMs);
  }
  while (events_.empty() && !expired) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  if (events_.empty()) return {};
  WindowEvent event = events_.front();
  events_.pop_front();
  return event;
}

void MainWindow::Beep(int /*frequencyHz*/, int /*durationMs*/) {
  QApplication::beep();
}

void MainWindow::SetTitle(const std::string& title) {
  setWindowTitle(ToQt(title));
}

void MainWindow::OpenPinPanel() {
  if (pinPanel_ == nullptr) pinPanel_ = new SimulatePanel(this);
  pinPanel_->Rebuild();
  if (!pinPanel_->isVisible()) {
    pinPanel_->PlaceBeside(*this);
    pinPanel_->show();
  }
  pinPanel_->raise();
  pinPanel_->activateWindow();
}

void MainWindow::RefreshPinPanel() {
  if (pinPanel_ != nullptr) pinPanel_->Rebuild();
}
