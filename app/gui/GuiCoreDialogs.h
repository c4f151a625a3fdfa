// The core's dialog questions answered with dialogs: the file name of an untitled document
// being saved, the calibration query after opening a file without calibration, and the
// calibration file to use instead.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/core/AnalyzerCore.h"

namespace orvanix {

class TFileChooser;

class TGuiCoreDialogs : public TCoreDialogs {
 public:
  // `chooser` must outlive this object.
  TGuiCoreDialogs(QWidget* parent, TFileChooser& chooser) : parent_(parent), chooser_(chooser) {}

  std::string SaveWaveFileName(const std::string& folder) override;
  CalibrationChoice QueryCalibration(const std::string& calibrationFile) override;
  std::string OpenCalibrationFileName(const std::string& folder) override;

 private:
  QPointer<QWidget> parent_;
  TFileChooser& chooser_;
};

}  // namespace orvanix
