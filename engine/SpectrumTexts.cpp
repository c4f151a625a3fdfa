#include "engine/SpectrumTexts.h"

#include "engine/Messages.h"

namespace orvanix {

TraceLabels TraceLabelsFor(uint16_t mode, const TCalibration* calibration) {
  const bool named = calibration != nullptr && calibration->enabled != 0;
  std::string left = named ? FieldText(calibration->leftChannelName) : std::string();
  std::string right = named ? FieldText(calibration->rightChannelName) : std::string();
  if (left.empty()) left = "Left";
  if (right.empty()) right = "Right";
  const char* l = left.c_str();
  const char* r = right.c_str();

  switch (mode) {
    case 1:
      return {named ? right : kLabelRightChannel, {}};
    case 2:
      return {named ? left : kLabelLeftChannel, named ? right : kLabelRightChannel};
    case 3:
      return {named ? Format(kLabelAverageNamed, l, r) : kLabelAverage, {}};
    case 4:
      return {named ? Format(kLabelRealTransferNamed, l, r) : kLabelRealTransferLR, {}};
    case 5:
      return {named ? Format(kLabelRealTransferNamed, r, l) : kLabelRealTransferRL, {}};
    case 6:
      return {named ? Format(kLabelCrossNamed, l, r) : kLabelCrossLR, {}};
    case 7:
      return {named ? Format(kLabelCrossNamed, r, l) : kLabelCrossRL, {}};
    case 8:
      return {named ? Format(kLabelComplexTransferNamed, l, r) : kLabelComplexTransferLR, {}};
    case 9:
      return {named ? Format(kLabelComplexTransferNamed, r, l) : kLabelComplexTransferRL, {}};
    case 10:
      return {kLabelCoherence, {}};
    case 11:
      return {named ? Format(kLabelComplexTransferNamed, l, r) : kLabelComplexTransferLR,
              kLabelCoherence};
    case 12:
      return {named ? Format(kLabelComplexTransferNamed, r, l) : kLabelComplexTransferRL,
              kLabelCoherence};
    default:
      return {named ? left : kLabelLeftChannel, {}};
  }
}

}  // namespace orvanix
