// TConfigViewDialog: "Configuration Details", the configuration report in a list with tab
// stops at 10 and 120 dialog units, with "&Print" (prints the report) and "&Done".
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "ui/TextPrinter.h"

class QPushButton;

namespace orvanix {

class TTabbedList;

// The print job of View and Print Configuration: the report lines in "Arial" with the
// list's two tab stops, under the job name "Configuration Parameters".
TTextPrintJob ConfigurationPrintJob(const std::vector<std::string>& lines);

class TConfigViewDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kTabStop1 = 10;   // dialog units
  static constexpr int kTabStop2 = 120;  // dialog units

  TConfigViewDialog(const std::vector<std::string>& lines, QWidget* parent = nullptr);

  TTabbedList* List() const { return list_; }
  QPushButton* PrintButton() const { return print_; }
  QPushButton* DoneButton() const { return done_; }

 signals:
  // Print was pressed (the owner prints; tests listen instead).
  void PrintRequested();

 private:
  std::vector<std::string> lines_;
  TTabbedList* list_ = nullptr;
  QPushButton* print_ = nullptr;
  QPushButton* done_ = nullptr;
};

}  // namespace orvanix
