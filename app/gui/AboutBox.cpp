#include "app/gui/AboutBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QtGlobal>

#include "app/core/VersionText.h"
#include "app/gui/AppIcon.h"
#include "app/gui/GuiTexts.h"
#include "engine/Messages.h"

namespace orvanix {

TAboutBox::TAboutBox(QWidget* parent, bool banner) : QDialog(parent), banner_(banner) {
  setWindowTitle(QString::fromUtf8(guitext::kAboutTitle));
  auto* icon = new QLabel(this);
  icon->setPixmap(AppIcon().pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  auto* text = new QLabel(
      QString::fromStdString(Format(guitext::kAboutText, ProgramVersion(), qVersion())), this);
  text->setWordWrap(true);
  text->setTextFormat(Qt::RichText);
  text->setMinimumWidth(360);
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addWidget(text, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  if (!banner) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
  } else {
    // A frameless box with a plain border reads as a banner, not as a question.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setStyleSheet("QDialog { border: 1px solid gray; }");
  }
}

TAboutBox* TAboutBox::ShowBanner(QWidget* parent) {
  auto* box = new TAboutBox(parent, true);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
  if (parent) {
    box->adjustSize();
    box->move(parent->geometry().center() - box->rect().center());
  }
  QTimer::singleShot(guitext::kBannerMsec, box, &QWidget::close);
  return box;
}

void TAboutBox::mousePressEvent(QMouseEvent* event) {
  if (banner_) {
    close();
    return;
  }
  QDialog::mousePressEvent(event);
}

}  // namespace orvanix
