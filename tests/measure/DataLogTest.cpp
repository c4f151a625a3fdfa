// The data log as a file: its header, record formats, interval and threshold rules, ranges,
// and what happens when the file cannot be opened or written.
#include "measure/DataLog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "engine/Messages.h"
#include "measure/MeasureTexts.h"
#include "measure/Measurements.h"
#include "tests/measure/MeasureTestSupport.h"

namespace orvanix {
namespace {

using test::SpectrumWithPowers;

// 48 kHz, FFT 4096: bin k lies at k x 11.71875 Hz.
constexpr uint32_t kBins = 2048;

std::vector<float> ToneAt(uint32_t bin, float power) {
  std::vector<float> p(kBins, 1e-10f);
  p[bin] = power;
  return p;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

TLoggingSettings EveryBlock(const std::string& path, int32_t type) {
  TLoggingSettings s;
  s.logFileName = path;
  s.intervalFlag = 0;
  s.dataType = type;
  return s;
}

class DataLogTest : public ::testing::Test {
 protected:
  test::TScratch scratch_;
  TRecordingSink sink_;
  TScopedMessageSink scoped_{&sink_};
};

TEST_F(DataLogTest, HeaderThenOneCrLfLinePerRecord) {
  const std::string path = scratch_.File("log.txt");
  auto s = SpectrumWithPowers(ToneAt(100, 1.f));
  {
    TDataLog log(EveryBlock(path, kLogPeakFrequency));
    ASSERT_FALSE(log.Error());
    EXPECT_TRUE(log.WriteRecord(s.get(), nullptr, 3725.5, kLeftOnly));
    EXPECT_TRUE(log.WriteRecord(s.get(), nullptr, 65.25, kLeftOnly));
    EXPECT_TRUE(log.WriteRecord(s.get(), nullptr, 5.0, kLeftOnly));
    EXPECT_TRUE(log.WriteRecord(s.get(), nullptr, 90061.0, kLeftOnly));
  }
  const std::string text = ReadFile(path);
  ASSERT_EQ(text.rfind("\r\nData Logging On: ", 0), 0u);
  const std::vector<std::string> lines = Lines(text);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "");
  // ctime's form: "Tue Dec  8 12:28:40 2026".
  EXPECT_EQ(lines[1].size(), std::string("Data Logging On: ").size() + 24);
  EXPECT_EQ(lines[1][17 + 3], ' ');
  EXPECT_EQ(lines[2], "Time\tPeak Freq(Hz)");
  EXPECT_EQ(lines[3], std::string(129, '-'));
  EXPECT_EQ(lines[4], "1:02:05.500\t1171.8750");
  EXPECT_EQ(lines[5], "1:05.250\t1171.8750");
  EXPECT_EQ(lines[6], "5.000\t1171.8750");
  EXPECT_EQ(lines[7], "1:01:01.000\t1171.8750");
  // No bare line feed anywhere.
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      EXPECT_EQ(text[i - 1], '\r') << "at " << i;
    }
  }
}

TEST_F(DataLogTest, IntervalSkipsTheFirstIntervalAndRestartsWhenTimeGoesBack) {
  const std::string path = scratch_.File("log.txt");
  auto s = SpectrumWithPowers(ToneAt(100, 1.f));
  TLoggingSettings settings = EveryBlock(path, kLogPeakAmplitude);
  settings.intervalFlag = 1;
  settings.intervalSecs = 1.f;
  {
    TDataLog log(settings);
    std::vector<double> written;
    for (double t : {0.0, 0.5, 0.99, 1.0, 1.5, 2.25, 2.5, 0.0, 0.5, 1.0}) {
      if (log.WriteRecord(s.get(), nullptr, t, kLeftOnly)) written.push_back(t);
    }
    EXPECT_EQ(written, (std::vector<double>{1.0, 2.25, 1.0}));
  }
  // The header is written with the first block even though that block logs nothing.
  const std::vector<std::string> lines = Lines(ReadFile(path));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[2], "Time\tAmplitude");
  EXPECT_EQ(lines[4].substr(0, 6), "1.000\t");
  EXPECT_EQ(lines[5].substr(0, 6), "2.250\t");
}

TEST_F(DataLogTest, ThresholdComparesThePeakAmplitude) {
  // A full-scale tone reads 0 dB re full scale.
  auto s = SpectrumWithPowers(ToneAt(100, 1.f));
  const float peak = s->Value(100);
  TLoggingSettings settings = EveryBlock(scratch_.File("a.txt"), kLogThd);
  TDataLog everything(settings);
  EXPECT_TRUE(everything.WriteRecord(s.get(), nullptr, 1.0, kLeftOnly));
  settings.logFileName = scratch_.File("b.txt");
  settings.threshold = peak;  // not above it
  TDataLog none(settings);
  EXPECT_FALSE(none.WriteRecord(s.get(), nullptr, 1.0, kLeftOnly));
  settings.threshold = peak - 0.01f;
  settings.logFileName = scratch_.File("c.txt");
  TDataLog some(settings);
  EXPECT_TRUE(some.WriteRecord(s.get(), nullptr, 1.0, kLeftOnly));
}

TEST_F(DataLogTest, TwoChannelRecordsAndAMissingSecondSpectrum) {
  const std::string path = scratch_.File("log.txt");
  auto left = SpectrumWithPowers(ToneAt(100, 1.f));
  auto right = SpectrumWithPowers(ToneAt(200, 0.25f));
  {
    TDataLog log(EveryBlock(path, kLogPeakFrequencyAmplitude));
    EXPECT_TRUE(log.WriteRecord(left.get(), right.get(), 2.0, kBothChannels));
    EXPECT_FALSE(log.WriteRecord(left.get(), nullptr, 3.0, kBothChannels));
  }
  const std::vector<std::string> lines = Lines(ReadFile(path));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2], "Time\tFreq(Hz)\tLeft Amplitude\tRight Amplitude");
  EXPECT_EQ(lines[4], Format("2.000\t1171.8750\t%6.6f\t2343.7500\t%6.6f", left->Value(100),
                             right->Value(200)));

  TLoggingSettings settings = EveryBlock(scratch_.File("either.txt"), kLogPeakFrequency);
  settings.threshold = right->Value(200) + 3.f;  // -3 dB: the left peak only is above
  TDataLog either(settings);
  EXPECT_TRUE(either.WriteRecord(right.get(), left.get(), 1.0, kBothChannels));
  EXPECT_FALSE(either.WriteRecord(right.get(), right.get(), 2.0, kBothChannels));
}

TEST_F(DataLogTest, SpectrumValuesOverACustomRangeWithPowerColumns) {
  const std::string path = scratch_.File("log.txt");
  auto s = SpectrumWithPowers(ToneAt(100, 1.f));
  TLoggingSettings settings = EveryBlock(path, kLogSpectrumValues);
  settings.useFullSpan = 0;
  settings.startFreqHz = 95 * 11.71875f + 1.f;  // nearest bin 95
  settings.stopFreqHz = 104 * 11.71875f - 2.f;  // nearest bin 104
  settings.varekFlag = 1;
  {
    TDataLog log(settings);
    EXPECT_TRUE(log.WriteRecord(s.get(), nullptr, 1.0, kLeftOnly));
  }
  const std::vector<std::string> lines = Lines(ReadFile(path));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2].rfind("Time, Freq(Hz)\t1113.3\t1125.0\t", 0), 0u) << lines[2];
  const std::string tail = "\t1207.0\t1218.8\tPwr\tPwr(A)\t";
  EXPECT_EQ(lines[2].substr(lines[2].size() - tail.size()), tail);
  // The time, ten values and two powers, each followed by a tab.
  const std::string& record = lines[4];
  EXPECT_EQ(std::count(record.begin(), record.end(), '\t'), 13);
  EXPECT_EQ(record.back(), '\t');
  std::vector<std::string> fields;
  std::stringstream split(record);
  for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
  ASSERT_EQ(fields.size(), 13u);
  EXPECT_EQ(fields[6], Format("%6.6f", s->Value(100)));
  EXPECT_EQ(fields[5], Format("%6.6f", s->Value(99)));
  const TIndexSpan span = AnalysisSpan(*s);
  // The powers cover the analysis span, in dB as the display is: the tone alone (0 dB flat),
  // and A-weighted at 1172 Hz (+0.6 dB).
  EXPECT_EQ(fields[11], Format("%6.6f", s->BandPower(span.first, span.last, 0, true)));
  EXPECT_NEAR(std::stod(fields[11]), 0.0, 0.01);
  EXPECT_NEAR(std::stod(fields[12]), 0.43, 0.2);
}

TEST_F(DataLogTest, TimeDelayIsLoggedOnlyWithADelayFinder) {
  const std::string path = scratch_.File("log.txt");
  auto s = SpectrumWithPowers(ToneAt(100, 1.f));
  {
    TDataLog log(EveryBlock(path, kLogTimeDelay));
    EXPECT_FALSE(log.WriteRecord(s.get(), nullptr, 1.0, kLeftOnly));
    TLogExtras extras;
    extras.delay = 1.25f;
    EXPECT_TRUE(log.WriteRecord(s.get(), nullptr, 2.0, kLeftOnly, extras));
  }
  const std::vector<std::string> lines = Lines(ReadFile(path));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2], "Time\tDelay");
  EXPECT_EQ(lines[4], "2.000\t1.250000");
}

TEST_F(DataLogTest, AppendKeepsWhatTheFileHeldAndOverwriteStartsAfresh) {
  const std::string path = scratch_.File("log.txt");
  auto s = SpectrumWithPowers(ToneAt(100, 1.f));
  std::ofstream(path, std::ios::binary) << "earlier records\r\n";
  TLoggingSettings settings = EveryBlock(path, kLogPeakFrequency);
  settings.overwrite = 0;
  {
    TDataLog log(settings);
    EXPECT_TRUE(log.WriteRecord(s.get(), nullptr, 1.0, kLeftOnly));
  }
  std::string text = ReadFile(path);
  EXPECT_EQ(text.rfind("earlier records\r\n\r\nData Logging On: ", 0), 0u);
  EXPECT_EQ(Lines(text).size(), 6u);
  settings.overwrite = 1;
  { TDataLog log(settings); }
  EXPECT_EQ(ReadFile(path), "");
}

TEST_F(DataLogTest, AFileThatCannotBeOpenedOrWrittenStopsTheLog) {
  auto s = SpectrumWithPowers(ToneAt(100, 1.f));
  const std::string missing = scratch_.File("no/such/folder/log.txt");
  TDataLog closed(EveryBlock(missing, kLogPeakFrequency));
  EXPECT_TRUE(closed.Error());
  EXPECT_TRUE(sink_.Contains("Failure opening log file: " + missing));
  EXPECT_FALSE(closed.WriteRecord(s.get(), nullptr, 1.0, kLeftOnly));

  // /dev/full opens but refuses every byte, as a full disk does.
  sink_.Clear();
  TDataLog full(EveryBlock("/dev/full", kLogPeakFrequency));
  ASSERT_FALSE(full.Error());
  EXPECT_FALSE(full.WriteRecord(s.get(), nullptr, 1.0, kLeftOnly));
  EXPECT_TRUE(full.Error());
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text, measuretext::kMsgWriteFailed);
  EXPECT_EQ(sink_.Entries()[0].caption, "Error");
  EXPECT_FALSE(full.WriteRecord(s.get(), nullptr, 2.0, kLeftOnly));
  EXPECT_EQ(sink_.Entries().size(), 1u);
}

TEST_F(DataLogTest, EverySpectrumStateGivesARecordOrNothingNeverACrash) {
  const std::string path = scratch_.File("log.txt");
  TDataLog log(EveryBlock(path, kLogSpectrumValues));
  EXPECT_FALSE(log.WriteRecord(nullptr, nullptr, 1.0, kLeftOnly));
  // A 32-point spectrum that has averaged nothing yet, and one that is silent.
  ProcessingSettings p = test::SettingsFor(32);
  TSpectralData empty(p, ScalingSettings{}, 0);
  // In dB, silence and a spectrum without data read -999.9: below the default threshold.
  EXPECT_FALSE(log.WriteRecord(&empty, nullptr, 1.0, kLeftOnly));
  auto silent = SpectrumWithPowers(std::vector<float>(16, 0.f));
  EXPECT_FALSE(log.WriteRecord(silent.get(), nullptr, 2.0, kLeftOnly));
  // On a linear display they read 0, above it: a record of zeros over the span.
  ScalingSettings linear;
  linear.ampScale = 0;
  auto quiet = SpectrumWithPowers(std::vector<float>(16, 0.f), 48000, linear);
  EXPECT_TRUE(log.WriteRecord(quiet.get(), nullptr, 3.0, kLeftOnly));
  // A custom range wholly above Nyquist stays inside the bins.
  TLoggingSettings high = EveryBlock(scratch_.File("high.txt"), kLogPowerLevel);
  high.useFullSpan = 0;
  high.startFreqHz = 90000.f;
  high.stopFreqHz = 99000.f;
  const TLogRange range = LogRange(*silent, high);
  EXPECT_LE(range.first, range.last);
  EXPECT_LT(range.last, silent->ValueCount());
}

}  // namespace
}  // namespace orvanix
