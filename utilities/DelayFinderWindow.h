// The "Delay Finder" window ("DelayFinderClass"): the reading drawn as large as the window
// allows above a line 27 pixels from the bottom, and below it "Options...", "Apply to
// Processing Delay -->" and the processing delay's edit box. A reading that cannot be
// trusted (a silent channel, no clear peak, a delay beyond the searched range) is shown in
// words instead of a number, and Apply then refuses.
//
// The window is a view on the utilities module: opening it builds the module's finder
// (refused, with the message, in mono: the window then closes), closing it drops it.
#pragma once

#include <QWidget>

#include "app/core/AnalyzerCore.h"
#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecords.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orvanix {

class TUtilitiesModule;

class TDelayFinderWindow : public QWidget, public TAnalyzerObserver {
 public:
  explicit TDelayFinderWindow(TAnalyzerCore& core, QWidget* parent = nullptr);
  ~TDelayFinderWindow() override;

  QPushButton* OptionsButton() const { return options_; }
  QPushButton* ApplyButton() const { return apply_; }
  QLineEdit* DelayEdit() const { return edit_; }
  // The text the window draws now.
  QString Reading() const;
  void ShowOptions();
  void EditFinished();

  void SettingsChanged() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void ShowProcessingDelay();
  TAnalyzerCore& core_;
  TUtilitiesModule* module_ = nullptr;
  QPushButton* options_ = nullptr;
  QPushButton* apply_ = nullptr;
  QLineEdit* edit_ = nullptr;
};

// "Delay Finder Options": units, speed of sound (ft/s) and the largest delay (ms).
class TDelayFinderOptionsDialog : public TDialogBase {
 public:
  TDelayFinderOptionsDialog(QWidget* parent, const TDelayFinderOptions& options);
  const TDelayFinderOptions& Options() const { return options_; }
  QRadioButton* Unit(int index) const { return units_[index]; }
  QLineEdit* SpeedEdit() const { return speed_; }
  QLineEdit* MaxDelayEdit() const { return maxDelay_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  void Show(const TDelayFinderOptions& options);
  TDelayFinderOptions options_;
  QRadioButton* units_[3] = {};
  QLineEdit* speed_ = nullptr;
  QLineEdit* maxDelay_ = nullptr;
};

inline constexpr const char* kSpeedOfSoundRange =
    "The speed of sound must be between 10 and 100,000 ft/sec";
inline constexpr const char* kMaxDelayRange =
    "The maximum delay must be between 10 and 1000 milliseconds";

// Registers the window kind (once per process).
void RegisterDelayFinderWindow();

}  // namespace orvanix
