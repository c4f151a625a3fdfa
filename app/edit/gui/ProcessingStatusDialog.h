// TProcessingStatusDialog (DIALOG_PROCESSING_STATUS): the modal progress of import, export,
// filtering and the other long edits. A 50 ms timer steps the job one tick at a time (8192
// frames), so the window stays responsive; the status text and a progress bar in percent
// follow the job. "&Cancel" or Esc asks the job's question first when it has one.
//
// The timer is re-armed only after a tick has returned, so a message box that a tick shows
// (a full disk) runs no further tick underneath it.
#pragma once

#include <QDialog>
#include <QTimer>

#include "app/edit/EditServices.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace orvanix {

class TProcessingStatusDialog : public QDialog {
 public:
  // The title is the status of the job's first tick; `cancelQuestion` may be nullptr.
  TProcessingStatusDialog(QWidget* parent, TStepJob& job, const char* cancelQuestion);

  // Shows the dialog modally until the job ends; true when it ran to its end unfailed.
  bool RunJob();
  // The Cancel button and Esc (tests call it as the button would).
  void reject() override;

  QLabel* Status() const { return status_; }
  QProgressBar* Progress() const { return progress_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  void Tick();
  void Refresh();

  TStepJob& job_;
  const char* question_;
  QTimer timer_;
  QLabel* status_;
  QProgressBar* progress_;
  QPushButton* cancel_;
  bool finished_ = false;
  bool cancelled_ = false;
};

// Runs jobs under the dialog, over the application's active window.
class TProgressJobRunner : public TJobRunner {
 public:
  bool Run(TStepJob& job, const char* cancelQuestion) override;
};

// The pacing of the dialog's timer.
inline constexpr int kProcessingTickMsec = 50;

}  // namespace orvanix
