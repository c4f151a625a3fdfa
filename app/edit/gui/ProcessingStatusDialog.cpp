#include "app/edit/gui/ProcessingStatusDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/Messages.h"

namespace orvanix {

TProcessingStatusDialog::TProcessingStatusDialog(QWidget* parent, TStepJob& job,
                                                 const char* cancelQuestion)
    : QDialog(parent), job_(job), question_(cancelQuestion) {
  setObjectName("DIALOG_PROCESSING_STATUS");
  setWindowTitle(QString::fromUtf8(kProgramTitle));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  status_ = new QLabel(this);
  status_->setMinimumWidth(360);
  progress_ = new QProgressBar(this);
  progress_->setRange(0, 100);
  cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel_);
  buttons->addStretch();
  layout->addWidget(status_);
  layout->addWidget(progress_);
  layout->addLayout(buttons);
  connect(cancel_, &QPushButton::clicked, this, &TProcessingStatusDialog::reject);
  timer_.setSingleShot(true);
  timer_.setInterval(kProcessingTickMsec);
  connect(&timer_, &QTimer::timeout, this, &TProcessingStatusDialog::Tick);
  Refresh();
}

void TProcessingStatusDialog::Refresh() {
  status_->setText(QString::fromStdString(job_.StatusText()));
  progress_->setValue(job_.Percent());
}

void TProcessingStatusDialog::Tick() {
  if (finished_) return;
  const bool more = job_.Step();
  Refresh();
  if (!more) {
    finished_ = true;
    accept();
    return;
  }
  if (isVisible()) timer_.start();
}

void TProcessingStatusDialog::reject() {
  if (finished_) {
    QDialog::reject();
    return;
  }
  // No tick runs while the question is open; No resumes the timer.
  timer_.stop();
  if (question_ && Messages().Ask(question_, kProgramTitle, MessageButtons::YesNo,
                                  MessageAnswer::No, MessageIcon::Question) != MessageAnswer::Yes) {
    timer_.start();
    return;
  }
  cancelled_ = true;
  finished_ = true;
  job_.Cancel();
  QDialog::reject();
}

bool TProcessingStatusDialog::RunJob() {
  timer_.start();
  exec();
  timer_.stop();
  return finished_ && !cancelled_ && !job_.Failed();
}

bool TProgressJobRunner::Run(TStepJob& job, const char* cancelQuestion) {
  TProcessingStatusDialog dialog(QApplication::activeWindow(), job, cancelQuestion);
  return dialog.RunJob();
}

}  // namespace orvanix
