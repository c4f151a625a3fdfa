// The signal types' details dialogs: one per type with parameters, opened when the type is
// chosen or "Details..." pressed, given the channel's record and the Nyquist frequency M of
// the generator's output. OK runs the type's checks (generator/DetailsChecks.h) and stores
// the values in the record; a refused value is reported with the check's message and the
// dialog stays open on that field.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecordsGenerator.h"
#include "generator/DetailsChecks.h"

class QFormLayout;
class QLineEdit;

namespace orvanix {

// What every details dialog shares: the record being edited, M, and refusing a check.
class TDetailsDialog : public TDialogBase {
 public:
  TDetailsDialog(QWidget* parent, const char* title, const TSignalRecord& record, long nyquist);
  // The record with the accepted values (the one given until OK succeeds).
  const TSignalRecord& Result() const { return result_; }

 protected:
  // Reports a failed check and focuses the check's field among `fields` (argument order).
  bool Refused(const TDetailsCheck& check, const std::vector<QWidget*>& fields);
  // A line edit with a number in it.
  static QLineEdit* NumberEdit(const QString& text);
  static double Number(const QLineEdit* edit);
  // A whole number typed in a field; NaN for anything else (so every range refuses it).
  static double WholeNumber(const QLineEdit* edit);

  TSignalRecord result_;
  long nyquist_;
};

// Opens the dialog of `type` for `record` (the right channel's when `right`); true (and the
// record updated) on OK, false on Cancel. Types without a dialog return true at once. The
// User Defined dialog picks its file through `pick` (a file dialog in the program).
using TWavePicker = std::function<std::string(QWidget* parent, const std::string& current)>;
bool RunDetailsDialog(QWidget* parent, int32_t type, TSignalRecord& record, long nyquist,
                      const TWavePicker& pick);
// The dialog itself, not yet shown (tests fill its fields and press its buttons).
TDetailsDialog* MakeDetailsDialog(QWidget* parent, int32_t type, const TSignalRecord& record,
                                  long nyquist, const TWavePicker& pick);

}  // namespace orvanix
