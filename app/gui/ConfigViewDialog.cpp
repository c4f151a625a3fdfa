#include "app/gui/ConfigViewDialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "files/ConfigTexts.h"
#include "ui/TabbedList.h"

namespace orvanix {

TTextPrintJob ConfigurationPrintJob(const std::vector<std::string>& lines) {
  TTextPrintJob job;
  job.documentName = kConfigPrintTitle;
  job.fontFamily = kConfigPrintFont;
  job.pointSize = 10;
  job.tabStopsChars =
      TabStopsFromDialogUnits({TConfigViewDialog::kTabStop1, TConfigViewDialog::kTabStop2});
  job.lines = lines;
  return job;
}

TConfigViewDialog::TConfigViewDialog(const std::vector<std::string>& lines, QWidget* parent)
    : QDialog(parent), lines_(lines) {
  setWindowTitle(QString::fromUtf8(kConfigViewTitle));
  list_ = new TTabbedList({kTabStop1, kTabStop2}, this);
  list_->SetLines(lines);
  print_ = new QPushButton(QString::fromUtf8(kConfigViewPrint), this);
  done_ = new QPushButton(QString::fromUtf8(kConfigViewDone), this);
  done_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(print_);
  buttons->addWidget(done_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(buttons);
  connect(print_, &QPushButton::clicked, this, &TConfigViewDialog::PrintRequested);
  connect(done_, &QPushButton::clicked, this, &QDialog::accept);
  resize(520, 560);
}

}  // namespace orvanix
