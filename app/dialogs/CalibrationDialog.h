// TCalibrationDialog: "Amplitude Calibration" (Options > Calibration..., F9). It edits a copy
// of the calibration record: the reference signal (level, peak / rms / peak to peak, unit
// and, for "Acceleration (G)", the velocity or displacement conversion), how values are
// displayed (peak / rms / peak to peak and the two axis labels, proposed whenever unit,
// conversion or display type change), the channel names, and the measured level of the
// reference on each channel in percent of full scale. "Measure Input Signal!" records the
// reference through the sound input and fills the measured levels in; the record can be
// loaded from and saved to .cal files.
//
// Lifecycle: loading a file replaces the copy and switches calibration on; measuring or
// editing a field marks the copy changed. OK refuses a negative reference level; with a
// changed copy it asks "Calibration file has changed.  Save changes before closing?" (Yes
// saves to the record's file, No keeps the changes unsaved, Cancel stays in the dialog),
// then computes the ratios into Result(). Cancel discards everything but files saved.
#pragma once

#include <functional>
#include <string>

#include "app/dialogs/DialogBase.h"
#include "engine/Calibration.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace orvanix {

class TCalibrationDialog : public TDialogBase {
 public:
  // What the dialog needs from outside; each may be left empty.
  struct Services {
    // Records the reference into the record (TAnalyzerCore::MeasureReference): fractions
    // and ratios set, true when the measurement was accepted. Empty: no measure button.
    std::function<bool(TCalibration& record)> measure;
    // The file dialogs ("Open Calibration File", "Save Calibration File") starting in
    // `folder`; the chosen path, empty when cancelled.
    std::function<std::string(bool save, const std::string& folder)> chooseFile;
    // Where the file dialogs start (the last-used calibration folder).
    std::string folder = ".";
    // The configured calibration folder, where a file name without a folder
    // ("default.cal") lives.
    std::string calibrationFolder = ".";
  };

  TCalibrationDialog(QWidget* parent, const TCalibration& current, Services services);

  // The record after a valid OK: ratios computed, the integration of the conversion set.
  const TCalibration& Result() const { return result_; }
  // Whether the copy differs from the last file it was loaded from or saved to.
  bool Changed() const { return changed_; }
  // The folder the file dialogs last used.
  const std::string& Folder() const { return services_.folder; }
  // The record's file as a path: a bare name lies in the calibration folder.
  std::string FilePath() const;

  // Neither Esc nor the window's close button ends the dialog while a measurement runs.
  void reject() override;

  // The three buttons beside OK, Cancel and Defaults.
  void Measure();
  void LoadFile();
  void SaveFile();

  struct Fields {
    QLineEdit* level = nullptr;
    QComboBox* refType = nullptr;
    QComboBox* units = nullptr;
    QComboBox* conversion = nullptr;
    QComboBox* labelType = nullptr;
    QLineEdit* labelLinear = nullptr;
    QLineEdit* labelLog = nullptr;
    QLineEdit* leftName = nullptr;
    QLineEdit* rightName = nullptr;
    QLineEdit* percentLeft = nullptr;
    QLineEdit* percentRight = nullptr;
    QLabel* ratios = nullptr;
    QCheckBox* enabled = nullptr;
    QLabel* file = nullptr;
    QPushButton* measure = nullptr;
    QPushButton* load = nullptr;
    QPushButton* save = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  QLayout* BuildLayout();
  void Connect();
  // Puts a record into the fields without counting as an edit.
  void Show(const TCalibration& record);
  // Reads the fields over `record`; false (reported when `report`) for a field that is not
  // a valid value, focused.
  bool ReadFields(TCalibration& record, bool report);
  void ShowConversions(int32_t unit, int32_t conversion);
  void ProposeLabels();
  void UpdateRatios();
  void MarkChanged();

  TCalibration record_;  // the copy: file name, and fields as last shown or read
  TCalibration result_;
  Services services_;
  Fields f_;
  bool changed_ = false;
  bool showing_ = false;
  bool measuring_ = false;
};

}  // namespace orvanix
