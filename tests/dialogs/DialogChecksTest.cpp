// The dialogs' checks as plain functions: exact messages, boundaries and order.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/dialogs/DialogChecks.h"
#include "app/dialogs/DialogTexts.h"
#include "engine/SettingsTexts.h"

namespace orvanix {
namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ParseNumbers, AcceptsDecimalTextInEitherMarkAndRefusesTheRest) {
  double v = 0;
  EXPECT_TRUE(ParseDouble(" 1000.5 ", v));
  EXPECT_DOUBLE_EQ(v, 1000.5);
  EXPECT_TRUE(ParseDouble("1000,5", v));  // a comma locale's decimal mark
  EXPECT_DOUBLE_EQ(v, 1000.5);
  EXPECT_TRUE(ParseDouble("+2e3", v));
  EXPECT_DOUBLE_EQ(v, 2000.0);
  for (const char* bad : {"", "  ", "abc", "12abc", "1,000.5", "1,2,3", "nan", "inf", "1e999"}) {
    EXPECT_FALSE(ParseDouble(bad, v)) << bad;
  }
  long long n = 0;
  EXPECT_TRUE(ParseInteger(" -12 ", n));
  EXPECT_EQ(n, -12);
  for (const char* bad : {"", "1.5", "50.0", "5 0", "99999999999999999999", "x"}) {
    EXPECT_FALSE(ParseInteger(bad, n)) << bad;
  }
  EXPECT_TRUE(std::isnan(FieldNumber("twelve")));
}

TEST(TriggerChecks, ThresholdAndDelayBoundaries) {
  const std::string threshold = "Threshold must be between 0 and 100 percent.";
  EXPECT_EQ(CheckTriggerThreshold("0"), "");
  EXPECT_EQ(CheckTriggerThreshold("100"), "");
  EXPECT_EQ(CheckTriggerThreshold("101"), threshold);
  EXPECT_EQ(CheckTriggerThreshold("-1"), threshold);
  EXPECT_EQ(CheckTriggerThreshold("50.5"), threshold);
  EXPECT_EQ(CheckTriggerThreshold(""), threshold);

  const std::string delay = "Trigger delay must be between 0 and 1000";
  EXPECT_EQ(CheckTriggerDelay(0.0), "");
  EXPECT_EQ(CheckTriggerDelay(1000.0), "");
  EXPECT_EQ(CheckTriggerDelay(1000.5), delay);
  EXPECT_EQ(CheckTriggerDelay(-0.1), delay);
  EXPECT_EQ(CheckTriggerDelay(kNaN), delay);
}

// Values that pass every check on a dB axis from 0 to 22050 Hz.
TPlotOptionValues GoodPlot() {
  TPlotOptionValues v;
  v.top = 0.0;
  v.range = 100.0;
  v.startHz = 10.0;
  v.stopHz = 22000.0;
  v.periodic = true;
  v.intervalSecs = 0.1;
  return v;
}

TEST(PlotChecks, EachMessageWithItsLimitsAndField) {
  const TAmplitudeAxisLimits db = AmplitudeAxisLimits(true);
  const double nyquist = 22050.0;
  EXPECT_TRUE(CheckPlotOptions(GoodPlot(), db, 0.0, nyquist).Ok());

  TPlotOptionValues v = GoodPlot();
  v.top = 300.5;
  TPlotCheck c = CheckPlotOptions(v, db, 0.0, nyquist);
  EXPECT_EQ(c.message, "Top of Plot must be between -300.000 and 300.000");
  EXPECT_EQ(c.field, PlotField::Top);

  v = GoodPlot();
  for (double range : {0.0, -5.0, 600.5, kNaN}) {
    v.range = range;
    c = CheckPlotOptions(v, db, 0.0, nyquist);
    EXPECT_EQ(c.message, "Plot Range must be between  0.000 and 600.000") << range;
    EXPECT_EQ(c.field, PlotField::Range);
  }
  v.range = 600.0;
  EXPECT_TRUE(CheckPlotOptions(v, db, 0.0, nyquist).Ok());

  v = GoodPlot();
  v.startHz = 5000.0;
  v.stopHz = 4000.0;
  c = CheckPlotOptions(v, db, 0.0, nyquist);
  EXPECT_EQ(c.message, "Stop Frequency must be greater than Start Frequency");
  EXPECT_EQ(c.field, PlotField::Stop);

  // Within 1 Hz of the axis is accepted, beyond it refused.
  v = GoodPlot();
  v.startHz = -1.0;
  EXPECT_TRUE(CheckPlotOptions(v, db, 0.0, nyquist).Ok());
  v.startHz = -1.5;
  c = CheckPlotOptions(v, db, 0.0, nyquist);
  EXPECT_EQ(c.message, "Start Frequency must be between    0.0 and 22050.0 Hz");
  EXPECT_EQ(c.field, PlotField::Start);
  v = GoodPlot();
  v.stopHz = 22051.0;
  EXPECT_TRUE(CheckPlotOptions(v, db, 0.0, nyquist).Ok());
  v.stopHz = 22051.5;
  c = CheckPlotOptions(v, db, 0.0, nyquist);
  EXPECT_EQ(c.message, "Stop Frequency must be between    0.0 and 22050.0 Hz");
  EXPECT_EQ(c.field, PlotField::Stop);

  v = GoodPlot();
  v.intervalSecs = 3600.0;
  EXPECT_TRUE(CheckPlotOptions(v, db, 0.0, nyquist).Ok());
  v.intervalSecs = 3600.5;
  c = CheckPlotOptions(v, db, 0.0, nyquist);
  EXPECT_EQ(c.message, "Update Interval must be between 1 and 3600 seconds");
  EXPECT_EQ(c.field, PlotField::Interval);
  v.periodic = false;  // "As often as possible": the interval is not looked at
  EXPECT_TRUE(CheckPlotOptions(v, db, 0.0, nyquist).Ok());
}

TEST(PlotChecks, OrderIsTopRangeFrequenciesInterval) {
  TPlotOptionValues v;
  v.top = 1000.0;
  v.range = -1.0;
  v.startHz = 50000.0;
  v.stopHz = 10.0;
  v.periodic = true;
  v.intervalSecs = 1e6;
  const TAmplitudeAxisLimits db = AmplitudeAxisLimits(true);
  EXPECT_EQ(CheckPlotOptions(v, db, 0, 22050).field, PlotField::Top);
  v.top = 0.0;
  EXPECT_EQ(CheckPlotOptions(v, db, 0, 22050).field, PlotField::Range);
  v.range = 50.0;
  EXPECT_EQ(CheckPlotOptions(v, db, 0, 22050).message, dlgtext::kStopAboveStartMessage);
  v.stopHz = 60000.0;
  EXPECT_EQ(CheckPlotOptions(v, db, 0, 22050).field, PlotField::Start);
  v.startHz = 100.0;
  EXPECT_EQ(CheckPlotOptions(v, db, 0, 22050).field, PlotField::Stop);
  v.stopHz = 1000.0;
  EXPECT_EQ(CheckPlotOptions(v, db, 0, 22050).field, PlotField::Interval);
}

TEST(PlotChecks, LinearAxisHasNoRangeCheckAndStartsAtZero) {
  const TAmplitudeAxisLimits linear = AmplitudeAxisLimits(false);
  TPlotOptionValues v = GoodPlot();
  v.range = -50.0;  // ignored on a linear axis
  v.top = 0.0;
  EXPECT_TRUE(CheckPlotOptions(v, linear, 0, 22050).Ok());
  v.top = -0.5;
  EXPECT_EQ(CheckPlotOptions(v, linear, 0, 22050).message,
            "Top of Plot must be between  0.000 and 1000000000.000");
}

TEST(LegendSize, FourToTwentyFour) {
  const std::string message = "Legend size must be between 4 and 24";
  EXPECT_EQ(CheckLegendSize("3"), message);
  EXPECT_EQ(CheckLegendSize("4"), "");
  EXPECT_EQ(CheckLegendSize("24"), "");
  EXPECT_EQ(CheckLegendSize("25"), message);
  EXPECT_EQ(CheckLegendSize("eight"), message);
}

TEST(FileIoChecks, OrderAndBoundaries) {
  EXPECT_EQ(CheckFileIoOptions("4", "4", "1"), "");
  EXPECT_EQ(CheckFileIoOptions("60", "3600", "2000"), "");
  // Every field wrong: the buffer length is reported first, and so on down the list.
  EXPECT_EQ(CheckFileIoOptions("3", "3", "0"),
            "Real Time Data buffer length must be at least 4 seconds.");
  EXPECT_EQ(CheckFileIoOptions("4", "3", "0"),
            "Maximum RAM recording time must be at least 4 seconds.");
  EXPECT_EQ(CheckFileIoOptions("4", "3601", "0"),
            "Maximum RAM recording time must be less than 3600 seconds.");
  EXPECT_EQ(CheckFileIoOptions("4", "3600", "0"),
            "Maximum Hard Disk recording size must be at least 1 MB");
  EXPECT_EQ(CheckFileIoOptions("4", "3600", "2001"),
            "Maximum Hard Disk recording size cannot be greater than 2,000 MB (2GB)");
  // Text that is not an integer counts as 0.
  EXPECT_EQ(CheckFileIoOptions("x", "300", "10"), dlgtext::kBufferTooShort);
}

TEST(MarkerCheck, FrequencyMustBeANumberNotBelowZero) {
  EXPECT_EQ(CheckMarkerFrequency(1, 0.0), "");
  EXPECT_EQ(CheckMarkerFrequency(3, -1.0), "Marker 3 Frequency must be a number of Hz, 0 or more");
  EXPECT_FALSE(CheckMarkerFrequency(6, kNaN).empty());
}

// ---- the Processing Settings form ---------------------------------------------------------

TProcessingForm FormOf(const ProcessingSettings& s) {
  TProcessingForm f;
  f.rateText = std::to_string(s.format.sampleRate);
  f.bytesPerSample = s.format.bytesPerSample;
  f.channels = s.format.channels;
  f.fftSize = s.fftSize;
  f.decimationText = std::to_string(s.decimationRatio);
  f.lowPass = s.lowPassFilter != 0;
  f.averageBlocks = s.averageBlocks;
  f.smoothingWindow = s.smoothingWindow;
  f.averageType = s.averageType;
  f.peakHold = s.peakHold != 0;
  f.overlapText = std::to_string(s.overlapPercent);
  f.channelProcessing = s.channelProcessing;
  f.delayText = "0";
  f.delayChannel = s.delayChannel;
  f.overloadDetection = s.overloadDetection != 0;
  f.excludeOverloaded = s.excludeOverloaded != 0;
  return f;
}

TProcessingContext Context(bool postProcessing, uint32_t maxRate = 48000) {
  TProcessingContext c;
  c.postProcessing = postProcessing;
  c.input = CapabilitiesFromLimits(RateLimits{8000, maxRate, false});
  return c;
}

TEST(ProcessingForm, FirstFailureInOrderLeavesTheResultAlone) {
  const ProcessingSettings current;
  TProcessingForm form = FormOf(current);
  form.rateText = "96000";
  form.decimationText = "51";
  form.overlapText = "100";
  form.delayText = "1000.5";
  ProcessingSettings result;
  result.fftSize = 64;  // a marker: must survive every refusal
  TProcessingCheck c = ValidateProcessingForm(form, Context(true), current, result);
  EXPECT_EQ(c.message,
            "The Sound Board does not support the selected Sampling Rate.  Rate must be between "
            "8000 Hz and 48000 Hz.");
  EXPECT_EQ(c.field, ProcessingField::Rate);
  EXPECT_EQ(c.resetText, "");  // a continuous range keeps what was typed

  form.rateText = "48000";
  c = ValidateProcessingForm(form, Context(true), current, result);
  EXPECT_EQ(c.message, "Decimation Ratio must be between 1 and 50");
  EXPECT_EQ(c.icon, MessageIcon::Information);

  form.decimationText = "50";
  c = ValidateProcessingForm(form, Context(true), current, result);
  EXPECT_EQ(c.message, "Overlap Percentage must be between 0 and 99%");
  EXPECT_EQ(c.resetText, "50");

  form.overlapText = "99";
  c = ValidateProcessingForm(form, Context(true), current, result);
  EXPECT_EQ(c.message, "Delay must be between 0 and 1,000 milliseconds");
  EXPECT_EQ(c.field, ProcessingField::Delay);
  EXPECT_EQ(result.fftSize, 64);

  form.delayText = "1000";
  c = ValidateProcessingForm(form, Context(true), current, result);
  ASSERT_TRUE(c.Ok()) << c.message;
  EXPECT_EQ(result.format.sampleRate, 48000u);
  EXPECT_EQ(result.decimationRatio, 50);
  EXPECT_EQ(result.overlapPercent, 99);
  EXPECT_FLOAT_EQ(result.delayTimeMsec, 1000.0f);
  // Derived values follow: 99 % of 4096 leaves a hop of 40.
  EXPECT_EQ(result.hopSize, 40);
  EXPECT_EQ(result.delaySamples, 48000);
}

TEST(ProcessingForm, DecimationBoundaries) {
  const ProcessingSettings current;
  for (const char* text : {"0", "51", "", "2.5", "-1", "100000"}) {
    TProcessingForm form = FormOf(current);
    form.decimationText = text;
    ProcessingSettings result;
    EXPECT_EQ(ValidateProcessingForm(form, Context(false), current, result).field,
              ProcessingField::Decimation)
        << text;
  }
  for (const char* text : {"1", "50"}) {
    TProcessingForm form = FormOf(current);
    form.decimationText = text;
    ProcessingSettings result;
    EXPECT_TRUE(ValidateProcessingForm(form, Context(false), current, result).Ok()) << text;
  }
}

TEST(ProcessingForm, OverlapIsNeitherCheckedNorTakenOutsidePostProcessing) {
  ProcessingSettings current;
  current.overlapPercent = 25;
  TProcessingForm form = FormOf(current);
  form.overlapText = "100";
  ProcessingSettings result;
  ASSERT_TRUE(ValidateProcessingForm(form, Context(false), current, result).Ok());
  EXPECT_EQ(result.overlapPercent, 25);
}

TEST(ProcessingForm, FixedRateDeviceResetsTheRateToItsHighest) {
  const ProcessingSettings current;
  TProcessingForm form = FormOf(current);
  form.rateText = "48000";
  TProcessingContext context;
  context.input = CapabilitiesFromLimits(RateLimits{11025, 22050, true});
  ProcessingSettings result;
  const TProcessingCheck c = ValidateProcessingForm(form, context, current, result);
  EXPECT_EQ(c.message, "Sampling Rate must be either 11025 or 22050 Hz");
  EXPECT_EQ(c.resetText, "22050");
  form.rateText = "22050";
  EXPECT_TRUE(ValidateProcessingForm(form, context, current, result).Ok());
}

TEST(ProcessingForm, FormatFieldsAreIgnoredWhileAFileDictatesThem) {
  ProcessingSettings current;
  current.format = MakeWaveFormat(2, 96000, 3);
  TProcessingForm form = FormOf(current);
  form.rateText = "junk";
  form.channels = 1;
  TProcessingContext context = Context(false);
  context.formatEditable = false;
  ProcessingSettings result;
  ASSERT_TRUE(ValidateProcessingForm(form, context, current, result).Ok());
  EXPECT_EQ(result.format.sampleRate, 96000u);
  EXPECT_EQ(result.format.channels, 2);
}

TEST(ProcessingForm, MonoForcesLeftChannelProcessing) {
  const ProcessingSettings current;
  TProcessingForm form = FormOf(current);
  form.channels = 2;
  form.channelProcessing = kCoherence;
  ProcessingSettings result;
  ASSERT_TRUE(ValidateProcessingForm(form, Context(false), current, result).Ok());
  EXPECT_EQ(result.channelProcessing, kCoherence);
  form.channels = 1;
  ASSERT_TRUE(ValidateProcessingForm(form, Context(false), current, result).Ok());
  EXPECT_EQ(result.channelProcessing, kLeftOnly);
}

TEST(ProcessingForm, LargeTransformRefusedWhenMemoryIsShort) {
  const ProcessingSettings current;
  TProcessingForm form = FormOf(current);
  form.fftSize = 1048576;
  TProcessingContext context = Context(false);
  context.availableMemoryBytes = 1024 * 1024;
  ProcessingSettings result;
  TProcessingCheck c = ValidateProcessingForm(form, context, current, result);
  EXPECT_EQ(c.message, kInsufficientMemory);
  EXPECT_EQ(c.field, ProcessingField::FftSize);
  context.availableMemoryBytes = UINT64_MAX;
  EXPECT_TRUE(ValidateProcessingForm(form, context, current, result).Ok());
  EXPECT_EQ(result.fftSize, 1048576);
}

TEST(ProcessingForm, WithoutADeviceOnlyImpossibleRatesAreRefused) {
  const ProcessingSettings current;
  TProcessingForm form = FormOf(current);
  TProcessingContext context;  // no refusal function
  ProcessingSettings result;
  form.rateText = "200000";
  EXPECT_TRUE(ValidateProcessingForm(form, context, current, result).Ok());
  form.rateText = "0";
  EXPECT_EQ(ValidateProcessingForm(form, context, current, result).field, ProcessingField::Rate);
  form.rateText = "fast";
  EXPECT_EQ(ValidateProcessingForm(form, context, current, result).field, ProcessingField::Rate);
}

}  // namespace
}  // namespace orvanix
