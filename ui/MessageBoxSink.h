// TMessageBoxSink: the message interface answered with message boxes. Every layer reports
// and asks through Messages() (engine/Messages.h); the windowed program installs this sink,
// headless runs and tests keep a TRecordingSink.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <memory>
#include <string_view>

#include "engine/Messages.h"

class QWidget;

namespace orvanix {

class TMessageBoxSink : public TMessageSink {
 public:
  // `parent` centres the boxes over the main window; it may be null or go away.
  explicit TMessageBoxSink(QWidget* parent = nullptr);
  void SetParent(QWidget* parent);

  // A modal box with an OK button; an empty caption means the program title.
  void Report(std::string_view text, std::string_view caption, MessageIcon icon) override;
  // A modal box with the asked buttons; `defaultAnswer` is the button Enter presses.
  // Closing the box with Esc or the window's close button answers Cancel where there is a
  // Cancel button, else No (Yes/No) or OK.
  MessageAnswer Ask(std::string_view text, std::string_view caption, MessageButtons buttons,
                    MessageAnswer defaultAnswer, MessageIcon icon) override;

  // The box Ask shows, not yet shown (tests drive it without blocking).
  static std::unique_ptr<QMessageBox> MakeBox(std::string_view text, std::string_view caption,
                                              MessageButtons buttons, MessageAnswer defaultAnswer,
                                              MessageIcon icon, QWidget* parent);
  // The answer a clicked standard button stands for.
  static MessageAnswer AnswerOf(int standardButton, MessageButtons buttons);

 private:
  QPointer<QWidget> parent_;
};

// Message texts break lines with '\r' (and "\r\n"); a message box wants '\n'.
QString MessageBoxText(std::string_view text);

}  // namespace orvanix
