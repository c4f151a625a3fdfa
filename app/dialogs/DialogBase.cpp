#include "app/dialogs/DialogBase.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPixmap>
#include <QScrollBar>
#include <QVBoxLayout>
#include <charconv>

#include "app/dialogs/DialogTexts.h"
#include "ui/ColorChooser.h"

namespace orvanix {

QString FloatText(float value) {
  char text[64];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  if (error != std::errc()) return QString::number(static_cast<double>(value));
  return QString::fromLatin1(text, static_cast<qsizetype>(end - text));
}

// ---- TDialogBase --------------------------------------------------------------------------

TDialogBase::TDialogBase(QWidget* parent, const char* title, bool withDefaults) : QDialog(parent) {
  setWindowTitle(Qs(title));
  setModal(true);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons_, &QDialogButtonBox::accepted, this, [this] { OnOk(); });
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  if (withDefaults) {
    QPushButton* defaults =
        buttons_->addButton(Qs(dlgtext::kDefaults), QDialogButtonBox::ResetRole);
    connect(defaults, &QPushButton::clicked, this, [this] { OnDefaults(); });
  }
}

void TDialogBase::OnOk() {
  if (Validate()) accept();
}

void TDialogBase::SetBody(QLayout* body) {
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body);
  layout->addWidget(buttons_);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TDialogBase::Refuse(const std::string& message, MessageIcon icon, QWidget* field) {
  Messages().Report(message, kProgramTitle, icon);
  if (!field) return;
  field->setFocus();
  if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
}

// ---- TNumberScrollEdit --------------------------------------------------------------------

TNumberScrollEdit::TNumberScrollEdit(int minimum, int maximum, QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), bar_(new QScrollBar(Qt::Horizontal, this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  edit_->setMaximumWidth(80);
  bar_->setRange(minimum, maximum);
  bar_->setMinimumWidth(120);
  layout->addWidget(edit_);
  layout->addWidget(bar_, 1);
  setFocusProxy(edit_);
  connect(bar_, &QScrollBar::valueChanged, this, [this](int value) {
    const QString text = QString::number(value);
    if (edit_->text() != text) edit_->setText(text);
  });
  // Typing a number in range moves the bar; anything else leaves it where it is.
  connect(edit_, &QLineEdit::textChanged, this, [this](const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (ok && value >= bar_->minimum() && value <= bar_->maximum() && value != bar_->value()) {
      const QSignalBlocker block(bar_);
      bar_->setValue(value);
    }
  });
}

QString TNumberScrollEdit::Text() const {
  return edit_->text();
}

void TNumberScrollEdit::SetText(const QString& text) {
  edit_->setText(text);
}

// ---- TColorButton -------------------------------------------------------------------------

TColorButton::TColorButton(const QString& text, uint32_t colorRef, QWidget* parent)
    : QPushButton(text, parent), colorRef_(colorRef) {
  SetColorRef(colorRef);
  connect(this, &QPushButton::clicked, this, [this] { Choose(); });
}

void TColorButton::SetColorRef(uint32_t colorRef) {
  colorRef_ = colorRef & 0xFFFFFFu;
  QPixmap swatch(16, 16);
  swatch.fill(ColorFromRef(colorRef_));
  setIcon(QIcon(swatch));
}

void TColorButton::Choose() {
  uint32_t chosen = colorRef_;
  if (TColorChooser::Choose(this, chosen)) SetColorRef(chosen);
}

}  // namespace orvanix
