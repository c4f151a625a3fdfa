#include "ui/PrintAbortDialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvanix {

namespace {
// Our own text: "%1" the title.
constexpr const char* kPrintingText = "Printing %1...";
constexpr const char* kCancelText = "Cancel";
}  // namespace

TPrintAbortDialog::TPrintAbortDialog(QWidget* parent, const std::string& title) : QDialog(parent) {
  setWindowTitle(QString::fromStdString(title));
  setWindowModality(Qt::ApplicationModal);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      new QLabel(QString::fromUtf8(kPrintingText).arg(QString::fromStdString(title))));
  cancel_ = new QPushButton(QString::fromUtf8(kCancelText));
  layout->addWidget(cancel_, 0, Qt::AlignHCenter);
  connect(cancel_, &QPushButton::clicked, this, &TPrintAbortDialog::reject);
}

void TPrintAbortDialog::Open() {
  show();
  raise();
  // Drawn before the first stage of printing holds the program up.
  QCoreApplication::processEvents();
}

std::function<bool()> TPrintAbortDialog::Poll() {
  return [this] {
    QCoreApplication::processEvents();
    return cancelled_;
  };
}

void TPrintAbortDialog::reject() {
  cancelled_ = true;
  QDialog::reject();
}

}  // namespace orvanix
