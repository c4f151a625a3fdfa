// The "Signal Generator" window ("SignalGeneratorClass"): "Run" and "Stop" at the same place
// (one shown), "Level", the left and right type lists with their "Details..." buttons, and
// the volume scroll bar; a compact layout with only "Stop" while playing. Its context menu
// chooses the output device and saves the signal.
//
// The window is a view on the generator module (generator/GeneratorModule.h): opening it
// opens the generator (which reads its keys), closing it closes the generator (which writes
// them). Choosing a type stops playback, opens the type's details dialog and rebuilds; Cancel
// restores the previous type; playback resumes if it was running.
#pragma once

#include <QWidget>

#include "app/core/AnalyzerCore.h"
#include "generator/DetailsDialog.h"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace orvanix {

class TFileChooser;
class TGeneratorModule;
class TSignalGenerator;

class TSignalGeneratorWindow : public QWidget, public TAnalyzerObserver {
 public:
  // Control ids of the window, used as the widgets' object names ("Run", ...).
  explicit TSignalGeneratorWindow(TAnalyzerCore& core, QWidget* parent = nullptr);
  ~TSignalGeneratorWindow() override;

  // The controls, for tests.
  QPushButton* RunButton() const { return run_; }
  QPushButton* StopButton() const { return stop_; }
  QPushButton* LevelButton() const { return level_; }
  QComboBox* TypeList(int channel) const { return channel ? rightType_ : leftType_; }
  QPushButton* DetailsButton(int channel) const { return channel ? rightDetails_ : leftDetails_; }
  QScrollBar* Volume() const { return volume_; }
  bool Compact() const { return compact_; }

  // The user's actions (the controls call these; tests too).
  void ChooseType(int channel, int type);
  void ShowDetails(int channel);
  void ShowLevel();
  void ChooseOutputDevice(int deviceId);

  // ---- TAnalyzerObserver ----
  void SettingsChanged() override;
  void StateChanged() override;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  // Put into its MDI child: the child's closing closes the generator at once (the child and
  // this window are deleted a moment later).
  bool event(QEvent* event) override;

 private:
  // The generator while this window holds it.
  TSignalGenerator* Generator() const;
  void Release();
  // Edits one channel's record (or the level) with playback stopped, rebuilds, resumes.
  void Apply(const std::function<bool(TGeneratorSettings&)>& edit);
  void Refresh();
  void FillLists();
  void SetCompact(bool compact);
  // The MDI child fits this window's layout.
  void FitFrame();

  TAnalyzerCore& core_;
  TGeneratorModule* module_ = nullptr;
  QPushButton* run_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* level_ = nullptr;
  QComboBox* leftType_ = nullptr;
  QComboBox* rightType_ = nullptr;
  QPushButton* leftDetails_ = nullptr;
  QPushButton* rightDetails_ = nullptr;
  QScrollBar* volume_ = nullptr;
  QList<QWidget*> fullOnly_;
  bool compact_ = false;
  bool stereoShown_ = false;
};

// The file dialogs of the generator (Save Signal, the User Defined file): a test installs
// its own chooser; nullptr restores the Qt dialogs.
void SetGeneratorFileChooser(TFileChooser* chooser);
// "Save Signal To Wave File..." (184): stops the analyzer, asks for the path ("Save Wave
// File", in the wave folder), saves, restarts the analyzer.
bool RunSaveSignalDialog(QWidget* parent, TAnalyzerCore& core);
// The User Defined dialog's "Pick": a wave file to open, starting at `current`'s folder.
std::string PickWaveFile(QWidget* parent, TAnalyzerCore& core, const std::string& current);

// Registers the window (kWindowSignalGenerator) and the Save Signal dialog with the frame.
void RegisterGeneratorWindows();

}  // namespace orvanix
