#include "measure/DataLog.h"

#include <algorithm>
#include <ctime>

#include "engine/Messages.h"
#include "engine/TimeText.h"
#include "measure/MeasureKinds.h"
#include "measure/MeasureTexts.h"
#include "measure/Measurements.h"
#include "measure/Peaks.h"

namespace orvanix {

namespace {

using namespace measuretext;

constexpr float kNoPeak = -999.9f;
constexpr int kWeightingFlat = 0;
constexpr int kWeightingA = 1;
constexpr int kWeightingDisplayed = -1;

// Index of a custom-range frequency: the nearest bin, or the band containing it.
uint32_t IndexOfFrequency(const TSpectralData& s, float hz) {
  return OnOctaveAxis(s) ? s.BandOfFrequency(hz) : s.FrequencyBin(hz);
}

// The per-channel value of the measurement types 5 ... 9.
float MeasureType(int32_t type, const TSpectralData* s) {
  switch (type) {
    case kLogThd:
      return ComputeThd(s);
    case kLogThdN:
      return ComputeThdPlusNoise(s);
    case kLogImd:
      return ComputeImd(s);
    case kLogSnr:
      return ComputeSnr(s);
    default:
      return ComputeSinad(s);
  }
}

// The C library's ctime text ("Tue Dec  8 12:28:40 2026\n"), in English whatever the locale.
std::string CTimeText(std::time_t when) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm local{};
  if (!localtime_r(&when, &local)) return "\n";
  return Format("%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[local.tm_wday % 7],
                kMonths[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, local.tm_year + 1900);
}

}  // namespace

TLogRange LogRange(const TSpectralData& s, const TLoggingSettings& settings) {
  TLogRange range;
  const uint32_t count = s.ValueCount();
  if (s.Error() || count == 0) return range;
  if (settings.useFullSpan != 0) {
    const TIndexSpan span = AnalysisSpan(s);
    range.first = span.first;
    range.last = span.last;
  } else {
    range.first = IndexOfFrequency(s, settings.startFreqHz);
    range.last = IndexOfFrequency(s, settings.stopFreqHz);
  }
  if (range.first > range.last) std::swap(range.first, range.last);
  range.last = std::min(range.last, count - 1);
  range.first = std::min(range.first, range.last);
  return range;
}

TDataLog::TDataLog(const TLoggingSettings& settings) : settings_(settings) {
  // Binary mode: the "\r\n" line ends are written by Put, not by a text-mode translation.
  file_ = std::fopen(settings_.logFileName.c_str(), settings_.overwrite != 0 ? "wb" : "ab");
  if (!file_) {
    error_ = true;
    ReportError(Format(kMsgOpenFailed, settings_.logFileName.c_str()), MessageIcon::Error);
  }
}

TDataLog::~TDataLog() {
  if (file_) std::fclose(file_);
}

void TDataLog::Put(const std::string& text) {
  for (char c : text) {
    if (c == '\n') line_ += '\r';
    line_ += c;
  }
}

bool TDataLog::Commit() {
  const bool written =
      std::fwrite(line_.data(), 1, line_.size(), file_) == line_.size() && std::fflush(file_) == 0;
  line_.clear();
  if (written) return true;
  error_ = true;
  Messages().Report(kMsgWriteFailed, kCaptionError, MessageIcon::Error);
  return false;
}

bool TDataLog::WriteHeader(const TSpectralData& first, bool twoChannels) {
  const std::time_t now = std::time(nullptr);
  Put(Format(kLogOn, CTimeText(now).c_str()));
  const int32_t type = std::clamp<int32_t>(settings_.dataType, 0, kLogDataTypeCount - 1);
  if (type == kLogSpectrumValues) {
    const TLogRange range = LogRange(first, settings_);
    const bool octave = OnOctaveAxis(first);
    auto frequencies = [&] {
      for (uint32_t i = range.first; i <= range.last; ++i) {
        Put(Format(kSpectrumHeaderFrequency, octave ? first.BandCentre(i) : first.BinFrequency(i)));
      }
      if (settings_.varekFlag != 0) Put(kSpectrumHeaderPower);
    };
    Put(kSpectrumHeaderStart);
    frequencies();
    if (twoChannels) {
      Put("\t");
      frequencies();
    }
    Put("\n");
  } else {
    Put(twoChannels ? kHeaderTwo[type] : kHeaderOne[type]);
  }
  Put(std::string(kRuleLength, '-') + "\n");
  return Commit();
}

bool TDataLog::WriteSpectrumRecord(const std::string& time, const TSpectralData& first,
                                   const TSpectralData* second, uint32_t from, uint32_t to) {
  Put(Format(kSpectrumTime, time.c_str()));
  auto values = [&](const TSpectralData& s) {
    for (uint32_t i = from; i <= to; ++i) Put(Format(kSpectrumValue, s.Value(i)));
    if (settings_.varekFlag != 0) {
      const TIndexSpan span = AnalysisSpan(s);
      const bool inDb = s.AmplitudeScale() == 1;
      Put(Format(kSpectrumValue, s.BandPower(span.first, span.last, kWeightingFlat, inDb)));
      Put(Format(kSpectrumValue, s.BandPower(span.first, span.last, kWeightingA, inDb)));
    }
  };
  values(first);
  if (second) {
    Put("\t");
    values(*second);
  }
  Put("\n");
  return Commit();
}

bool TDataLog::WriteRecord(const TSpectralData* first, const TSpectralData* second, double timeSecs,
                           uint16_t channelProcessing, const TLogExtras& extras) {
  if (error_ || !file_ || !first || first->Error()) return false;
  const bool two = TwoChannelMode(channelProcessing);
  if (headerPending_) {
    headerPending_ = false;
    if (!WriteHeader(*first, two)) return false;
  }
  if (settings_.intervalFlag != 0 && last_ + settings_.intervalSecs > timeSecs) {
    // A position moved back before the last record restarts the interval clock.
    if (last_ > timeSecs) last_ = 0;
    return false;
  }
  last_ = timeSecs;

  const std::string time = TimeText(timeSecs, true);
  const TLogRange range = LogRange(*first, settings_);
  if (two && (!second || second->Error())) return false;

  const SpectrumPoint peak1 = Peaks(*first, range.first, range.last, 0, PeakScan::Axis);
  SpectrumPoint peak2;
  peak2.value = kNoPeak;
  if (two) peak2 = Peaks(*second, range.first, range.last, 0, PeakScan::Axis);
  const float threshold = settings_.threshold;
  if (!(peak1.value > threshold || (two && peak2.value > threshold))) return false;

  const char* t = time.c_str();
  switch (std::clamp<int32_t>(settings_.dataType, 0, kLogDataTypeCount - 1)) {
    case kLogPeakFrequency:
      Put(two ? Format(kRecordFrequencyTwo, t, peak1.frequency, peak2.frequency)
              : Format(kRecordFrequencyOne, t, peak1.frequency));
      break;
    case kLogPeakAmplitude:
      Put(two ? Format(kRecordValueTwo, t, peak1.value, peak2.value)
              : Format(kRecordValueOne, t, peak1.value));
      break;
    case kLogPeakFrequencyAmplitude:
      Put(two ? Format(kRecordPeakTwo, t, peak1.frequency, peak1.value, peak2.frequency,
                       peak2.value)
              : Format(kRecordPeakOne, t, peak1.frequency, peak1.value));
      break;
    case kLogPowerLevel: {
      const float p1 = first->BandPower(range.first, range.last, kWeightingDisplayed, true);
      Put(two ? Format(kRecordPowerTwo, t, p1,
                       second->BandPower(range.first, range.last, kWeightingDisplayed, true))
              : Format(kRecordPowerOne, t, p1));
      break;
    }
    case kLogSpectrumValues:
      if (!WriteSpectrumRecord(time, *first, two ? second : nullptr, range.first, range.last)) {
        return false;
      }
      ++records_;
      return true;
    case kLogNoiseFigure:
      Put(Format(kRecordValueOne, t,
                 ComputeNoiseFigure(extras.left, extras.right, extras.noiseFigurePolarity)));
      break;
    case kLogTimeDelay:
      if (!extras.delay) return false;
      Put(Format(kRecordValueOne, t, *extras.delay));
      break;
    default: {
      const int32_t type = settings_.dataType;
      Put(two ? Format(kRecordValueTwo, t, MeasureType(type, first), MeasureType(type, second))
              : Format(kRecordValueOne, t, MeasureType(type, first)));
      break;
    }
  }
  if (!Commit()) return false;
  ++records_;
  return true;
}

}  // namespace orvanix

namespace orvanix {

std::string CheckLoggingSetup(const TLoggingSettings& s, float highestHz) {
  using namespace measuretext;
  constexpr int kLongestIntervalSecs = 3600;
  if (s.useFullSpan == 0) {
    if (s.startFreqHz > s.stopFreqHz) return kMsgStopBelowStart;
    if (!(s.startFreqHz >= 0.f && s.startFreqHz <= highestHz)) {
      return Format(kMsgStartRange, 0.0, static_cast<double>(highestHz));
    }
    if (!(s.stopFreqHz > 0.f && s.stopFreqHz <= highestHz)) {
      return Format(kMsgStopRange, 0.0, static_cast<double>(highestHz));
    }
  }
  if (s.intervalFlag != 0 && !(s.intervalSecs <= kLongestIntervalSecs)) {
    return Format(kMsgIntervalRange, kLongestIntervalSecs);
  }
  return {};
}

}  // namespace orvanix
