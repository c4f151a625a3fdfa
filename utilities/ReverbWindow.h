// The "Reverberation Time" window ("ReverbClass"): Start, the three view buttons, Load...,
// Save..., Print... and Options... stacked in the left margin; the stage message, the
// progress gauge and the two lists above the plot. A view on the utilities module, which owns
// the measurement and its data: closing the window keeps neither, after the unsaved-data
// question.
#pragma once

#include <QWidget>

#include "app/core/AnalyzerCore.h"
#include "app/gui/ViewWindows.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace orvanix {

class TUtilitiesModule;
class TReverbPlotWindow;

class TReverbWindow : public QWidget, public TAnalyzerObserver, public TCloseGuard {
 public:
  // Command numbers of the controls.
  enum Control : int {
    kStart = 101,
    kTimes = 102,
    kDecay = 103,
    kSurface = 104,
    kGauge = 105,
    kEntries = 106,
    kLoad = 107,
    kSave = 108,
    kPrint = 109,
    kOptions = 110,
    kSpans = 111
  };

  explicit TReverbWindow(TAnalyzerCore& core, QWidget* parent = nullptr);
  ~TReverbWindow() override;

  QPushButton* Button(Control id) const;
  QComboBox* Entries() const { return entries_; }
  QComboBox* Spans() const { return spans_; }
  QProgressBar* Gauge() const { return gauge_; }
  QLabel* Message() const { return message_; }
  TReverbPlotWindow* Plot() const { return plot_; }

  // The buttons' commands. Start and Load ask about unsaved data first; Save and Load use
  // the file dialogs unless given a path.
  bool StartMeasurement();
  bool Load(const std::string& path = {});
  bool Save(const std::string& path = {});
  void ShowOptions();
  void ShowView(int view);
  // Yes saves, No discards, Cancel keeps: false when the caller must not go on.
  bool MaySetDataAside();

  void SettingsChanged() override;
  // Closing: a running measurement stops; unsaved results are offered for saving.
  bool ConfirmClose() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Refresh();
  void FillLists();
  void UpdateTitle();
  void Progress(int percent, const std::string& stage);
  void Finished();

  TAnalyzerCore& core_;
  TUtilitiesModule* module_ = nullptr;
  QPushButton* buttons_[11] = {};
  QLabel* message_ = nullptr;
  QProgressBar* gauge_ = nullptr;
  QComboBox* entries_ = nullptr;
  QComboBox* spans_ = nullptr;
  TReverbPlotWindow* plot_ = nullptr;
  bool filling_ = false;
};

// Registers the window kind and the options command (once per process).
void RegisterReverbWindow();

}  // namespace orvanix
