#include "files/CalibrationFile.h"

#include "engine/Messages.h"
#include "files/ConfigTexts.h"
#include "files/ConfigurationIo.h"
#include "files/Profile.h"

namespace orvanix {

namespace {

// The keys of a .cal file in their write order.
void VisitCalibrationFile(TSettingsIo& io, TCalibration& r) {
  const char* c = kSectionCalibration;
  io.Real(c, "RefLevel", r.refLevel, 1.0f);
  io.Int(c, "RefUnits", r.refUnits, 0);
  io.Int(c, "RefType", r.refType, 0);
  io.Int(c, "ConversionType", r.conversionType, 0);
  io.Int(c, "IntegrationType", r.integrationType, 0);
  io.Field(c, "LabelLinear", r.labelLinear, "Volts rms");
  io.Field(c, "LabelLog", r.labelLog, "dBV rms");
  io.Int(c, "LabelType", r.labelType, 1);
  io.Real(c, "PctFullScaleLeft", r.pctFullScaleLeft, 0.5f);
  io.Real(c, "PctFullScaleRight", r.pctFullScaleRight, 0.5f);
  io.Real(c, "CalRatioLeft", r.calRatioLeft, 1.0f);
  io.Real(c, "CalRatioRight", r.calRatioRight, 1.0f);
  io.Field(c, "LeftChannelName", r.leftChannelName, "Left");
  io.Field(c, "RightChannelName", r.rightChannelName, "Right");
}

}  // namespace

CalibrationLoad LoadCalibration(const std::string& path, TCalibration& record) {
  TProfile file;
  const ProfileLoad result = file.Load(path, /*reportProblems=*/false);
  if (result == ProfileLoad::kRefused) {
    ReportError(Format(kCalibrationUnreadable, path.c_str()));
  }
  // An empty profile gives every key its default.
  TSettingsReader reader(&file, &file);
  VisitCalibrationFile(reader, record);
  switch (result) {
    case ProfileLoad::kLoaded:
      return CalibrationLoad::kLoaded;
    case ProfileLoad::kMissing:
      return CalibrationLoad::kMissing;
    case ProfileLoad::kRefused:
      break;
  }
  return CalibrationLoad::kUnreadable;
}

bool SaveCalibration(const std::string& path, const TCalibration& record) {
  TProfile file;
  // The user chose this file to save into; one that cannot be read is simply replaced.
  file.Load(path, /*reportProblems=*/false);
  TCalibration copy = record;
  TSettingsWriter writer(&file, &file);
  VisitCalibrationFile(writer, copy);
  return file.Save(path);
}

}  // namespace orvanix
