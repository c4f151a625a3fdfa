// TMacroWindow: the macro processor's window ("MacroProcessorClass"): the File, Options
// and Help menu, the Run, Stop and "View Output..." buttons, the editor holding the macro
// text, and below it the output file as the running macro writes it.
//
// The macro itself runs in TMacroModule (automation/MacroModule.h): Run hands it the
// editor's text, and whatever loads a file into the module (File > Open here, "[Open Macro
// File", the command line) shows up in the editor. Closing asks about a running macro and
// about text not saved, as New, Open and Exit do.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

#include "app/core/AnalyzerCore.h"
#include "app/gui/ViewWindows.h"
#include "files/SettingsRecords.h"

class QPlainTextEdit;
class QPushButton;
class QLabel;
class QTimer;

namespace orvanix {

class TFileChooser;
class TMacroModule;

class TMacroWindow : public QWidget, public TAnalyzerObserver, public TCloseGuard {
  Q_OBJECT

 public:
  TMacroWindow(TAnalyzerCore& core, TMacroModule& module, QWidget* parent = nullptr);
  ~TMacroWindow() override;

  // The file dialogs of every macro window from now on (nullptr: Qt's). Tests answer them.
  static void UseChooser(TFileChooser* chooser);

  // The menu's commands and the buttons.
  bool New();
  bool Open();
  bool Save();
  bool SaveAs();
  void Run();
  void Stop();
  bool ViewOutput();
  // Options...: the dialog, then ApplyOptions with what it gave.
  bool Options();
  // New output file, viewer and mode (kept in the settings, `MacroOpts`).
  void ApplyOptions(const TMacroOptions& options);

  QPlainTextEdit* Editor() const { return editor_; }
  QPlainTextEdit* OutputView() const { return output_; }
  QPushButton* RunButton() const { return run_; }
  QPushButton* StopButton() const { return stop_; }
  QPushButton* ViewButton() const { return view_; }

  // ---- TCloseGuard ----
  // Stops a running macro after asking, offers to save changed text; false when the user
  // keeps the window.
  bool ConfirmClose() override;

 private:
  // The questions of Close, New, Open and Exit; false: abandoned.
  bool MayDiscard();
  bool SaveTo(const std::string& path);
  void ShowModuleText();
  void UpdateState();
  void UpdateOutput();
  void FollowLine();
  std::string DisplayName() const;
  std::string Choose(bool save, const char* title, const char* filter);

  TAnalyzerCore& core_;
  TMacroModule& module_;
  QPlainTextEdit* editor_ = nullptr;
  QPlainTextEdit* output_ = nullptr;
  QLabel* outputTitle_ = nullptr;
  QPushButton* run_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* view_ = nullptr;
  QTimer* outputTimer_ = nullptr;
  uint64_t shownVersion_ = 0;
  std::string outputShown_;
};

}  // namespace orvanix
