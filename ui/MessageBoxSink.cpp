#include "ui/MessageBoxSink.h"

#include <QAbstractButton>
#include <QWidget>

namespace orvanix {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
    default:
      return QMessageBox::NoIcon;
  }
}

QMessageBox::StandardButton ButtonOf(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::Cancel:
      return QMessageBox::Cancel;
    case MessageAnswer::Yes:
      return QMessageBox::Yes;
    case MessageAnswer::No:
      return QMessageBox::No;
    default:
      return QMessageBox::Ok;
  }
}

QMessageBox::StandardButtons ButtonsOf(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    default:
      return QMessageBox::Ok;
  }
}

// What Esc and the close button answer.
QMessageBox::StandardButton EscapeOf(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
      return QMessageBox::Cancel;
    case MessageButtons::YesNo:
      return QMessageBox::No;
    default:
      return QMessageBox::Ok;
  }
}

}  // namespace

QString MessageBoxText(std::string_view text) {
  QString out;
  out.reserve(static_cast<int>(text.size()));
  const QString in = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] == QChar('\r')) {
      out += QChar('\n');
      if (i + 1 < in.size() && in[i + 1] == QChar('\n')) ++i;
    } else {
      out += in[i];
    }
  }
  return out;
}

TMessageBoxSink::TMessageBoxSink(QWidget* parent) : parent_(parent) {}

void TMessageBoxSink::SetParent(QWidget* parent) {
  parent_ = parent;
}

std::unique_ptr<QMessageBox> TMessageBoxSink::MakeBox(std::string_view text,
                                                      std::string_view caption,
                                                      MessageButtons buttons,
                                                      MessageAnswer defaultAnswer, MessageIcon icon,
                                                      QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(parent);
  box->setWindowTitle(
      caption.empty() ? QString::fromUtf8(kProgramTitle)
                      : QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
  box->setText(MessageBoxText(text));
  box->setIcon(BoxIcon(icon));
  box->setStandardButtons(ButtonsOf(buttons));
  const QMessageBox::StandardButton preferred = ButtonOf(defaultAnswer);
  if (box->standardButtons() & preferred) box->setDefaultButton(preferred);
  box->setEscapeButton(EscapeOf(buttons));
  return box;
}

MessageAnswer TMessageBoxSink::AnswerOf(int standardButton, MessageButtons buttons) {
  switch (standardButton) {
    case QMessageBox::Ok:
      return MessageAnswer::Ok;
    case QMessageBox::Cancel:
      return MessageAnswer::Cancel;
    case QMessageBox::Yes:
      return MessageAnswer::Yes;
    case QMessageBox::No:
      return MessageAnswer::No;
    default:
      // A box closed some other way answers as Esc would.
      return AnswerOf(EscapeOf(buttons), buttons);
  }
}

void TMessageBoxSink::Report(std::string_view text, std::string_view caption, MessageIcon icon) {
  std::unique_ptr<QMessageBox> box =
      MakeBox(text, caption, MessageButtons::Ok, MessageAnswer::Ok, icon, parent_.data());
  box->exec();
}

MessageAnswer TMessageBoxSink::Ask(std::string_view text, std::string_view caption,
                                   MessageButtons buttons, MessageAnswer defaultAnswer,
                                   MessageIcon icon) {
  std::unique_ptr<QMessageBox> box =
      MakeBox(text, caption, buttons, defaultAnswer, icon, parent_.data());
  box->exec();
  return AnswerOf(box->standardButton(box->clickedButton()), buttons);
}

}  // namespace orvanix
