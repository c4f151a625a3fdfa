#include "generator/DetailsDialog.h"

#include <QLineEdit>
#include <cmath>

#include "app/dialogs/DialogChecks.h"
#include "generator/DetailsDialogMakers.h"
#include "generator/SignalTypes.h"

namespace orvanix {

TDetailsDialog::TDetailsDialog(QWidget* parent, const char* title, const TSignalRecord& record,
                               long nyquist)
    : TDialogBase(parent, title, false), result_(record), nyquist_(nyquist) {}

bool TDetailsDialog::Refused(const TDetailsCheck& check, const std::vector<QWidget*>& fields) {
  if (check.Ok()) return false;
  const size_t field = static_cast<size_t>(check.field);
  Refuse(check.message, check.icon, field < fields.size() ? fields[field] : nullptr);
  return true;
}

QLineEdit* TDetailsDialog::NumberEdit(const QString& text) {
  auto* edit = new QLineEdit(text);
  edit->setMaximumWidth(110);
  return edit;
}

double TDetailsDialog::Number(const QLineEdit* edit) {
  return FieldNumber(Ss(edit->text()));
}

double TDetailsDialog::WholeNumber(const QLineEdit* edit) {
  long long value = 0;
  return ParseInteger(Ss(edit->text()), value) ? static_cast<double>(value) : std::nan("");
}

TDetailsDialog* MakeDetailsDialog(QWidget* parent, int32_t type, const TSignalRecord& record,
                                  long nyquist, const TWavePicker& pick) {
  switch (type) {
    case kSignalNoiseBurst:
      return MakeNoiseBurstDialog(parent, record, nyquist);
    case kSignalMultipleTones:
      return MakeTonesDialog(parent, record, nyquist);
    case kSignalToneBurst:
      return MakeToneBurstDialog(parent, record, nyquist);
    case kSignalImd:
      return MakeImdDialog(parent, record, nyquist);
    case kSignalFreqSweep:
      return MakeFreqSweepDialog(parent, record, nyquist);
    case kSignalLevelSweep:
      return MakeLevelSweepDialog(parent, record, nyquist);
    case kSignalSawtooth:
    case kSignalTriangular:
    case kSignalSquare:
      return MakeWaveDialog(parent, type, record, nyquist);
    case kSignalPulse:
      return MakePulseDialog(parent, record, nyquist);
    case kSignalUserDefined:
      return MakeUserDefinedDialog(parent, record, nyquist, pick);
    case kSignalDtmf:
      return MakeDtmfDialog(parent, record, nyquist);
    default:
      return nullptr;
  }
}

bool RunDetailsDialog(QWidget* parent, int32_t type, TSignalRecord& record, long nyquist,
                      const TWavePicker& pick) {
  TDetailsDialog* dialog = MakeDetailsDialog(parent, type, record, nyquist, pick);
  if (!dialog) return true;
  const bool accepted = dialog->exec() == QDialog::Accepted;
  if (accepted) record = dialog->Result();
  delete dialog;
  return accepted;
}

}  // namespace orvanix
