#include "generator/OutputLevel.h"

#include <cmath>

#include "engine/Messages.h"
#include "generator/GeneratorTexts.h"
#include "generator/SignalTypes.h"

namespace orvanix {

namespace {

// dBu is referred to 0.775 V: 20 log10(1 / 0.775).
constexpr double kDbuOffset = 2.21395;
constexpr double kRangeDb = 96.0;

bool InVolts(int units) {
  return units >= kUnitsVolts && units <= kUnitsDbU;
}

// M, the top of a logarithmic unit's range, for FS volts.
double TopDb(int units, double fs) {
  switch (units) {
    case kUnitsDbV:
      return 20.0 * std::log10(fs);
    case kUnitsDbMv:
      return 20.0 * std::log10(1000.0 * fs);
    case kUnitsDbU:
      return 20.0 * std::log10(fs) + kDbuOffset;
    default:
      return 0.0;
  }
}

std::string CheckOne(double l, int units, double fs) {
  using namespace gentext;
  switch (units) {
    case kUnitsDbFs:
      return l >= -kRangeDb && l <= 0.0 ? std::string() : kLevelDbFs;
    case kUnitsPercent:
      return l > 0.0 && l <= 100.0 ? std::string() : kLevelPercent;
    case kUnitsVolts:
      return l > 0.0 && l <= fs ? std::string() : Format(kLevelVolts, fs);
    case kUnitsMillivolts:
      return l > 0.0 && l <= 1000.0 * fs ? std::string() : Format(kLevelMillivolts, 1000.0 * fs);
    case kUnitsDbV:
    case kUnitsDbMv:
    case kUnitsDbU: {
      const double m = TopDb(units, fs);
      if (l > m - kRangeDb && l <= m) return {};
      const char* text = units == kUnitsDbV    ? kLevelDbV
                         : units == kUnitsDbMv ? kLevelDbMv
                                               : kLevelDbU;
      return Format(text, m, m - kRangeDb);
    }
    default:
      return {};
  }
}

}  // namespace

double LevelFactor(TGeneratorLevel& level, int channel) {
  const int units = level.outputUnits;
  if (InVolts(units) && !(level.fsLevelVolts > 0.0f)) level.fsLevelVolts = 1.0f;
  const double fs = level.fsLevelVolts;
  const double l = channel == 0 ? level.outputLevel : level.outputLevelR;
  double f = 1.0;
  switch (units) {
    case kUnitsDbFs:
      f = std::pow(10.0, l / 20.0);
      break;
    case kUnitsPercent:
      f = l * 0.01;
      break;
    case kUnitsVolts:
      f = l / fs;
      break;
    case kUnitsMillivolts:
      f = l * 0.001 / fs;
      break;
    case kUnitsDbV:
      f = std::pow(10.0, l / 20.0) / fs;
      break;
    case kUnitsDbMv:
      f = std::pow(10.0, l / 20.0) * 0.001 / fs;
      break;
    case kUnitsDbU:
      f = std::pow(10.0, l / 20.0) * 0.775 / fs;
      break;
    default:
      return 1.0;
  }
  // NaN fails both comparisons; it is no level either.
  if (!(f > 0.0) || f > 1.0) f = 1.0;
  return f;
}

std::string CheckOutputLevel(double leftLevel, double rightLevel, int units, double fullScaleVolts,
                             int fullScaleOption) {
  if (!(fullScaleVolts > 0.0) && fullScaleOption != kFullScaleUnknown) {
    return gentext::kFullScaleNotPositive;
  }
  std::string message = CheckOne(leftLevel, units, fullScaleVolts);
  if (message.empty()) message = CheckOne(rightLevel, units, fullScaleVolts);
  return message;
}

TLevelRange LevelRange(int units, double fs) {
  if (!(fs > 0.0)) fs = 1.0;
  switch (units) {
    case kUnitsPercent:
      return {0.0, 100.0};
    case kUnitsVolts:
      return {0.0, fs};
    case kUnitsMillivolts:
      return {0.0, 1000.0 * fs};
    case kUnitsDbV:
    case kUnitsDbMv:
    case kUnitsDbU: {
      const double m = TopDb(units, fs);
      return {m - kRangeDb, m};
    }
    default:
      return {-kRangeDb, 0.0};
  }
}

}  // namespace orvanix
