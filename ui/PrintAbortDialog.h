// The cancel dialog shown while a page goes to the printer ("AbortDialog"): titled with
// what is printed (the view's name, or "Configuration Parameters"), with one Cancel button.
// It blocks the rest of the program's windows while it is up; the printing code asks
// Poll() between its stages, which lets the dialog take the user's click.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QPushButton;

namespace orvanix {

class TPrintAbortDialog : public QDialog {
 public:
  // `title`: the window title; the text reads "Printing <title>...".
  TPrintAbortDialog(QWidget* parent, const std::string& title);

  // Shows the dialog at once (it stays up until destroyed or cancelled).
  void Open();
  bool Cancelled() const { return cancelled_; }
  QPushButton* CancelButton() const { return cancel_; }
  // Lets pending events through (a click on Cancel among them) and returns whether the
  // user cancelled: the `cancelled` test of the printing functions.
  std::function<bool()> Poll();

 protected:
  void reject() override;

 private:
  QPushButton* cancel_ = nullptr;
  bool cancelled_ = false;
};

}  // namespace orvanix
