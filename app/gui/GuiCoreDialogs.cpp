#include "app/gui/GuiCoreDialogs.h"

#include <QMessageBox>
#include <QPushButton>

#include "app/core/CoreTexts.h"
#include "engine/CalibrationTexts.h"
#include "engine/Messages.h"
#include "ui/FileDialogs.h"
#include "ui/MessageBoxSink.h"

namespace orvanix {

std::string TGuiCoreDialogs::SaveWaveFileName(const std::string& folder) {
  return chooser_.Choose({TFileRequest::Kind::Save, kSaveWaveTitle, kWaveFilter, folder},
                         parent_.data());
}

TCoreDialogs::CalibrationChoice TGuiCoreDialogs::QueryCalibration(
    const std::string& calibrationFile) {
  QMessageBox box(parent_.data());
  box.setWindowTitle(QString::fromUtf8(kQueryCalibrationTitle));
  box.setIcon(QMessageBox::Warning);
  box.setText(MessageBoxText(Format(kQueryCalibrationText, calibrationFile.c_str())));
  QPushButton* keep =
      box.addButton(QString::fromUtf8(kQueryCalibrationKeep), QMessageBox::AcceptRole);
  QPushButton* select =
      box.addButton(QString::fromUtf8(kQueryCalibrationSelect), QMessageBox::ActionRole);
  QPushButton* disable =
      box.addButton(QString::fromUtf8(kQueryCalibrationDisable), QMessageBox::DestructiveRole);
  box.setDefaultButton(keep);
  box.setEscapeButton(keep);
  box.exec();
  if (box.clickedButton() == select) return CalibrationChoice::SelectOther;
  if (box.clickedButton() == disable) return CalibrationChoice::Disable;
  return CalibrationChoice::KeepCurrent;
}

std::string TGuiCoreDialogs::OpenCalibrationFileName(const std::string& folder) {
  return chooser_.Choose({TFileRequest::Kind::Open, kOpenCalibrationTitle,
                          Format(kCalibrationFilter, kCalibrationFilesText), folder},
                         parent_.data());
}

}  // namespace orvanix
