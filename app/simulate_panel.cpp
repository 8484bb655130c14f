// The Simulate panel's widgets: a grid of pin rows, the unsettled pins, and
// the Clock and Preload buttons.
#include "app/simulate_panel.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "commands/dispatch.h"
#include "commands/pin_panel.h"

namespace {

QString ToQt(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* Cell(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

SimulatePanel::SimulatePanel(QWidget* window) : QWidget(window, Qt::Tool), window_(window) {
  setWindowTitle(QStringLiteral("Simulate"));
  auto* layout = new QVBoxLayout(this);
  note_ = Cell(QString(), this);
  note_->setWordWrap(true);
  layout->addWidget(note_);
  unsettled_ = Cell(QString(), this);
  layout->addWidget(unsettled_);
  auto* buttons = new QHBoxLayout;
  clock_ = new QPushButton(QStringLiteral("Clock"), this);
  clock_->setToolTip(
      QStringLiteral("One pulse 0-1-0 on every clock pin (pin 1, and pin 4 where a GAL26V12 register uses "
                     "it): the registers load at its rising edge"));
  preload_ = new QPushButton(QStringLiteral("Preload"), this);
  preload_->setToolTip(QStringLiteral("Every register takes the level set on its pin"));
  buttons->addWidget(clock_);
  buttons->addWidget(preload_);
  buttons->addStretch();
  layout->addLayout(buttons);
  connect(clock_, &QPushButton::clicked, this, [this] { Step([] { ThePinPanel().Simulation->Clock(); }); });
  connect(preload_, &QPushButton::clicked, this,
          [this] { Step([] { ThePinPanel().Simulation->Preload(); }); });
}

void SimulatePanel::Rebuild() {
  delete rowsArea_;
  rows_.clear();
  rowsArea_ = new QWidget(this);
  rowsGrid_ = new QGridLayout(rowsArea_);
  rowsGrid_->setContentsMargins(0, 0, 0, 0);
  static_cast<QVBoxLayout*>(layout())->insertWidget(1, rowsArea_);
  const PinPanelState& panel = ThePinPanel();
  if (!panel.Simulation) {
    note_->setText(ToQt(panel.Note));
    ShowState();
    adjustSize();
    return;
  }
  note_->setText(ToQt(panel.Simulation->DeviceName()));
  const QStringList heads{"Pin", "Name", "Drive", "Shows", "Q"};
  for (int column = 0; column < heads.size(); ++column)
    rowsGrid_->addWidget(Cell(heads[column], rowsArea_), 0, column);
  for (const SimulatedPin& p : panel.Simulation->Pins()) {
    Row row;
    const int line = p.Pin;
    rowsGrid_->addWidget(Cell(QString::number(p.Pin), rowsArea_), line, 0);
    rowsGrid_->addWidget(Cell(ToQt(p.Name), rowsArea_), line, 1);
    if (p.Drivable) {
      row.Drive = new QPushButton(rowsArea_);
      row.Drive->setCheckable(true);
      row.Drive->setMaximumWidth(row.Drive->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
      row.Drive->setObjectName(QStringLiteral("drive%1").arg(p.Pin));
      if (p.Use == PinUse::Output)
        row.Drive->setToolTip(
            QStringLiteral("The level put on the pin: it counts while the output is off (Z)") +
            (p.Register >= 0 ? QStringLiteral(", and for Preload") : QString()));
      const int pin = p.Pin;
      connect(row.Drive, &QPushButton::clicked, this, [this, pin](bool high) {
        Step([pin, high] { ThePinPanel().Simulation->Drive(pin, high ? 1 : 0); });
      });
      rowsGrid_->addWidget(row.Drive, line, 2);
    } else if (p.Use == PinUse::Clock) {
      rowsGrid_->addWidget(Cell(QStringLiteral("clock"), rowsArea_), line, 2);
    }
    if (p.Use != PinUse::Supply) {
      row.Level = Cell(QString(), rowsArea_);
      row.Level->setObjectName(QStringLiteral("level%1").arg(p.Pin));
      rowsGrid_->addWidget(row.Level, line, 3);
    }
    if (p.Register >= 0) {
      row.Register = Cell(QString(), rowsArea_);
      row.Register->setObjectName(QStringLiteral("register%1").arg(p.Pin));
      rowsGrid_->addWidget(row.Register, line, 4);
    }
    rows_.push_back(row);
  }
  ShowState();
  adjustSize();
}

void SimulatePanel::ShowState() {
  const PinPanelState& panel = ThePinPanel();
  const bool registers = panel.Simulation && panel.Simulation->HasRegisters();
  clock_->setEnabled(registers);
  preload_->setEnabled(registers);
  if (!panel.Simulation) {
    unsettled_->hide();
    return;
  }
  for (const SimulatedPin& p : panel.Simulation->Pins()) {
    const Row& row = rows_[static_cast<std::size_t>(p.Pin - 1)];
    if (row.Drive) {
      row.Drive->setChecked(p.Driven != 0);
      row.Drive->setText(QString::number(p.Driven));
    }
    if (row.Level) row.Level->setText(QString(QChar(p.Level)));
    if (row.Register) row.Register->setText(QString::number(p.Register));
  }
  QStringList lines;
  for (int pin : panel.Simulation->Unsettled()) lines << QStringLiteral("pin %1 does not settle").arg(pin);
  unsettled_->setText(lines.join('\n'));
  unsettled_->setVisible(!lines.isEmpty());
}

// Clicks that arrive while a command runs are dropped, as the window's are.
void SimulatePanel::Step(const std::function<void()>& step) {
  if (!IsCommandRunning() && ThePinPanel().Simulation) step();
  ShowState();
}

const SimulatePanel::Row* SimulatePanel::RowAt(int pin) const {
  return pin >= 1 && pin <= static_cast<int>(rows_.size()) ? &rows_[static_cast<std::size_t>(pin - 1)]
                                                           : nullptr;
}

QPushButton* SimulatePanel::driveButton(int pin) const {
  return RowAt(pin) ? RowAt(pin)->Drive : nullptr;
}

QLabel* SimulatePanel::levelLabel(int pin) const {
  return RowAt(pin) ? RowAt(pin)->Level : nullptr;
}

QLabel* SimulatePanel::registerLabel(int pin) const {
  return RowAt(pin) ? RowAt(pin)->Register : nullptr;
}

void SimulatePanel::PlaceBeside(const QWidget& window) {
  adjustSize();
  const QRect frame = window.frameGeometry();
  const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  const QRect area = screen->availableGeometry();
  int x = frame.right() + 1;
  if (x + width() > area.right() + 1) x = std::max(area.left(), frame.left() - width());
  move(x, frame.top());
}

void SimulatePanel::closeEvent(QCloseEvent* event) {
  ClosePinPanel();
  event->accept();
  window_->activateWindow();
}
