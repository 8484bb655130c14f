// The Simulate panel: a small window beside the main window with one row per
// pin of the loaded map's device. It only shows the pin simulation the
// commands hold (commands/pin_panel.h) and hands the user's clicks to it.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

class QGridLayout;
class QLabel;
class QPushButton;

class SimulatePanel final : public QWidget {
  Q_OBJECT

 public:
  explicit SimulatePanel(QWidget* window);

  // Builds the rows anew for the held simulation (another map, or none).
  void Rebuild();
  // Puts itself beside the window, on the side where the screen has room.
  void PlaceBeside(const QWidget& window);

  // For the window's tests.
  QPushButton* driveButton(int pin) const;
  QLabel* levelLabel(int pin) const;
  QLabel* registerLabel(int pin) const;
  QPushButton* clockButton() const { return clock_; }
  QPushButton* preloadButton() const { return preload_; }
  QLabel* noteLabel() const { return note_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Row {
    QPushButton* Drive = nullptr;
    QLabel* Level = nullptr;
    QLabel* Register = nullptr;
  };
  const Row* RowAt(int pin) const;
  void ShowState();  // the levels, register states and unsettled pins as they stand now
  void Step(const std::function<void()>& step);

  QWidget* window_;
  QLabel* note_ = nullptr;
  QWidget* rowsArea_ = nullptr;
  QGridLayout* rowsGrid_ = nullptr;
  std::vector<Row> rows_;  // index = pin - 1
  QLabel* unsettled_ = nullptr;
  QPushButton* clock_ = nullptr;
  QPushButton* preload_ = nullptr;
};
