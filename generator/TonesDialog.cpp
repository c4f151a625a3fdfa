// "SIGNAL_TONES" ("Tone Settings"): ten rows of an enable box, a frequency and a relative
// power, each number with its scroll bar.
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <array>

#include "generator/DetailsDialogMakers.h"
#include "generator/GeneratorTexts.h"

namespace orvanix {

namespace {

using namespace gentext;

class TTonesDialog : public TDetailsDialog {
 public:
  TTonesDialog(QWidget* parent, const TSignalRecord& r, long nyquist)
      : TDetailsDialog(parent, kTonesTitle, r, nyquist) {
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(Qs(kFrequencyHz)), 0, 1);
    grid->addWidget(new QLabel(Qs(kRelativePower)), 0, 2);
    const int top = static_cast<int>(std::min<long>(nyquist, 1000000));
    for (size_t k = 0; k < kToneRows; ++k) {
      const QString n = QString::number(k);
      Row& row = rows_[k];
      row.enable = new QCheckBox(QString("%1.").arg(k + 1));
      row.enable->setObjectName("ToneEnable" + n);
      row.enable->setChecked(r.tones.enable[k] != 0);
      row.hz = new TNumberScrollEdit(0, top);
      row.hz->Edit()->setObjectName("FreqHz" + n);
      row.hz->SetText(FloatText(r.tones.freqHz[k]));
      row.db = new TNumberScrollEdit(static_cast<int>(kMinLevelDb), 0);
      row.db->Edit()->setObjectName("PwrDB" + n);
      row.db->SetText(FloatText(r.tones.powerDb[k]));
      const int line = static_cast<int>(k) + 1;
      grid->addWidget(row.enable, line, 0);
      grid->addWidget(row.hz, line, 1);
      grid->addWidget(row.db, line, 2);
    }
    SetBody(grid);
  }

 protected:
  bool Validate() override {
    TTonesParams tones = result_.tones;
    for (size_t k = 0; k < kToneRows; ++k) {
      const Row& row = rows_[k];
      const double hz = Number(row.hz->Edit()), db = Number(row.db->Edit());
      tones.enable[k] = row.enable->isChecked() ? 1 : 0;
      if (!tones.enable[k]) continue;  // a row that is off keeps whatever it holds
      if (Refused(CheckToneRow(hz, db, nyquist_), {row.hz->Edit(), row.db->Edit()})) return false;
      tones.freqHz[k] = static_cast<float>(hz);
      tones.powerDb[k] = static_cast<float>(db);
    }
    result_.tones = tones;
    return true;
  }

 private:
  struct Row {
    QCheckBox* enable = nullptr;
    TNumberScrollEdit* hz = nullptr;
    TNumberScrollEdit* db = nullptr;
  };
  std::array<Row, kToneRows> rows_;
};

}  // namespace

TDetailsDialog* MakeTonesDialog(QWidget* parent, const TSignalRecord& r, long nyquist) {
  return new TTonesDialog(parent, r, nyquist);
}

}  // namespace orvanix
