// TPostProcessPacer: Post-Processing at the recording's own speed, optionally starting over
// at the end. Post-Processing normally works through a file as fast as it can; a
// demonstration (`tessiva --demo`) wants the spectrum to move as the recording plays, so
// the pacer takes the run loop's stepping over while a Post-Processing run is going: one
// block per hop duration (hop frames x decimation / rate). In the other modes the run loop
// paces itself as always.
//
// Looping: when a paced run reaches the end of the file, the pacer rewinds and starts again
// after a short pause. A run stopped any other way (the user, a settings change) stays
// stopped.
#pragma once

#include <QObject>
#include <QTimer>

#include "app/core/AnalyzerCore.h"

namespace orvanix {

class TPostProcessPacer : public QObject, public TAnalyzerObserver {
  Q_OBJECT

 public:
  static constexpr int kMinStepMsec = 5;
  static constexpr int kMaxStepMsec = 250;
  static constexpr int kLoopPauseMsec = 700;

  // Registers itself with the core (frame role) and unregisters when destroyed.
  explicit TPostProcessPacer(TAnalyzerCore& core, QObject* parent = nullptr);
  ~TPostProcessPacer() override;

  void SetEnabled(bool enabled, bool loop);
  bool Enabled() const { return enabled_; }
  bool Looping() const { return loop_; }
  // Milliseconds between blocks for the settings in force.
  int StepMsec() const;
  // How many times a paced run was started over.
  int Loops() const { return loops_; }
  // Drops a pending restart (the user took over).
  void CancelRestart();

  // ---- TAnalyzerObserver ----
  void StateChanged() override;
  void DocumentChanged() override;

 private:
  void Apply();
  void OnStep();
  void Restart();

  TAnalyzerCore& core_;
  QTimer stepTimer_;
  QTimer restartTimer_;
  bool enabled_ = false;
  bool loop_ = false;
  bool stepping_ = false;
  int loops_ = 0;
};

}  // namespace orvanix
