// TOutputLevelDialog ("SIGNAL_LEVEL", "Generator Output Level"): both channels' levels with
// their scroll bars, the units, and the full scale of the output as entered volts, "I don't
// know", or a sound card picked from the list.
//
// "I don't know" offers only dB Full Scale and Percent Full Scale (choosing dB Full Scale)
// and sets both levels to "0.0"; the other two choices offer all seven units (choosing Volts
// rms) and set both levels to "1.0". Picking a card writes its full scale into the volts
// field. Changing the units sets both levels to the units' start value and the scroll range.
// OK checks both levels against the units (generator/OutputLevel.h) and stays open on a
// refusal.
#pragma once

#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecordsGenerator.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QScrollBar;

namespace orvanix {

class TOutputLevelDialog : public TDialogBase {
 public:
  TOutputLevelDialog(QWidget* parent, const TGeneratorLevel& level);
  const TGeneratorLevel& Result() const { return result_; }

  // The fields, for tests.
  QLineEdit* LeftLevel() const { return left_.edit; }
  QLineEdit* RightLevel() const { return right_.edit; }
  QComboBox* Units() const { return units_; }
  QLineEdit* FullScaleVolts() const { return volts_; }
  QRadioButton* EnteredChoice() const { return entered_; }
  QRadioButton* UnknownChoice() const { return unknown_; }
  QRadioButton* CardChoice() const { return card_; }
  QComboBox* Cards() const { return cards_; }
  // The units the list shows now.
  int SelectedUnits() const;

 protected:
  bool Validate() override;

 private:
  struct TLevelField {
    QLineEdit* edit = nullptr;
    QScrollBar* bar = nullptr;
  };
  TLevelField MakeField(const char* name);
  void FillUnits(bool all, int select);
  void SetLevels(const QString& text);
  // Puts a field's scroll bar where its text lies in the units' range.
  void SyncBar(const TLevelField& field);
  void UpdateRanges();
  void OnChoice();
  int Option() const;

  TGeneratorLevel result_;
  TLevelField left_, right_;
  QComboBox* units_ = nullptr;
  QRadioButton* entered_ = nullptr;
  QRadioButton* unknown_ = nullptr;
  QRadioButton* card_ = nullptr;
  QLineEdit* volts_ = nullptr;
  QComboBox* cards_ = nullptr;
  bool filling_ = false;
};

// Runs the dialog; true (and `level` updated) on OK.
bool RunOutputLevelDialog(QWidget* parent, TGeneratorLevel& level);

}  // namespace orvanix
