// Import and export of the seven formats: round trips, the scaling rules, the exported bytes
// read back by numpy, and the export's decimation.
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <sstream>

#include "TransferHelpers.h"
#include "files/Exporter.h"
#include "files/Importer.h"
#include "files/TransferTexts.h"
#include "files/WftFormat.h"

namespace orvanix {
namespace {

using test::Bytes;

std::tm Noon2026() {
  std::tm t{};
  t.tm_year = 126;
  t.tm_mon = 4;
  t.tm_mday = 17;
  t.tm_hour = 12;
  return t;
}

class ImportExportTest : public ::testing::Test {
 protected:
  bool Export(TWaveFile& doc, int32_t format, const std::string& path, uint32_t ratio = 1,
              bool left = true, bool right = true) {
    TExportOptions options;
    options.format = format;
    options.decimation = ratio;
    options.left = left;
    options.right = right;
    TExporter job(doc, options, path, nullptr, Noon2026());
    return RunToEnd(job);
  }
  std::unique_ptr<TWaveFile> Import(const std::string& path, const TImportOptions& options,
                                    StorageMode mode = StorageMode::Ram) {
    TImporter job(path, options, TWaveTarget{mode, false, scratch_.Path()});
    if (!RunToEnd(job)) return nullptr;
    return job.TakeDocument();
  }
  static TImportOptions Truncating(int32_t format, const WaveFormat& like) {
    TImportOptions o;
    o.sourceType = format;
    o.sampleRateHz = like.sampleRate;
    o.channels = like.channels;
    o.bytesPerSample = like.bytesPerSample;
    o.scaling = kScaleTruncate;
    return o;
  }

  test::TScratch scratch_;
  TRecordingSink sink_;
  TScopedMessageSink scope_{&sink_};
};

TEST_F(ImportExportTest, EveryFormatRoundTripsTheSamplesExactly) {
  struct Case {
    int32_t format;
    uint32_t channels;
    uint32_t bytes;
  };
  // Binary 8 bit carries 8-bit documents; WFT holds one channel of 8 or 16 bits.
  const Case cases[] = {
      {kAsciiInteger, 2, 2}, {kAsciiReal, 2, 2},    {kBinary16, 2, 2}, {kBinary32, 2, 2},
      {kBinaryFloat, 2, 2},  {kAsciiInteger, 1, 3}, {kBinary32, 2, 3}, {kBinaryFloat, 1, 3},
      {kAsciiReal, 1, 3},    {kBinary8, 2, 1},      {kBinary8, 1, 1},  {kWft, 1, 2},
  };
  for (const Case& c : cases) {
    for (StorageMode mode : {StorageMode::Ram, StorageMode::Disk}) {
      SCOPED_TRACE(testing::Message()
                   << "format " << c.format << ", " << c.channels << " ch, " << c.bytes * 8
                   << " bit, disk " << (mode == StorageMode::Disk));
      const WaveFormat format = MakeWaveFormat(c.channels, 22050, c.bytes);
      // Long enough for several ticks and a partial last one.
      const Bytes frames = test::RandomFrames(20000, format, c.format + 7 * c.bytes);
      auto doc = test::MakeDocument(format, frames, mode, scratch_.Path());
      ASSERT_TRUE(doc);
      const std::string path = scratch_.File("out." + std::to_string(c.format));
      ASSERT_TRUE(Export(*doc, c.format, path));
      auto back = Import(path, Truncating(c.format, format), mode);
      ASSERT_TRUE(back) << (sink_.Entries().empty() ? "" : sink_.Entries().back().text);
      EXPECT_EQ(back->Format(), format);
      EXPECT_TRUE(test::AllFrames(*back) == frames);
      EXPECT_TRUE(back->Untitled());
      EXPECT_TRUE(back->Modified());
    }
  }
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(ImportExportTest, NumpyReadsTheTextAndBinaryExports) {
  ASSERT_FALSE(test::Python().empty()) << "python3 with numpy and scipy (scripts/install-deps.sh)";
  const WaveFormat format = MakeWaveFormat(2, 8000, 2);
  const Bytes frames = test::RandomFrames(3000, format, 5);
  auto doc = test::MakeDocument(format, frames, StorageMode::Ram, scratch_.Path());
  ASSERT_TRUE(doc);
  std::ostringstream expected;
  for (size_t i = 0; i < 3000; ++i) {
    expected << test::SampleAt(frames, format, i, 0) << " " << test::SampleAt(frames, format, i, 1)
             << "\n";
  }
  test::WriteText(scratch_.File("expected.txt"), expected.str());
  const struct {
    int32_t format;
    const char* read;
  } cases[] = {
      {kAsciiInteger, "numpy.loadtxt(p, delimiter=',', dtype=numpy.int64)"},
      {kAsciiReal, "numpy.loadtxt(p, delimiter=',')"},
      {kBinary16, "numpy.fromfile(p, dtype='<i2').reshape(-1, 2)"},
      {kBinary32, "numpy.fromfile(p, dtype='<i4').reshape(-1, 2)"},
      {kBinaryFloat, "numpy.fromfile(p, dtype='<f4').reshape(-1, 2)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.read);
    const std::string path = scratch_.File("numpy." + std::to_string(c.format));
    ASSERT_TRUE(Export(*doc, c.format, path));
    const std::string script = "import numpy, sys\np = sys.argv[1]\na = " + std::string(c.read) +
                               "\ne = numpy.loadtxt(sys.argv[2], dtype=numpy.int64)\n"
                               "print('same' if a.shape == e.shape and (a == e).all() else "
                               "'differ %s %s' % (a.shape, e.shape))\n";
    test::WriteText(scratch_.File("read.py"), script);
    EXPECT_EQ(test::Capture(test::Python() + " " + scratch_.File("read.py") + " " + path + " " +
                            scratch_.File("expected.txt")),
              "same");
  }
}

TEST_F(ImportExportTest, RescaleMapsTheFileRangeOntoFullScale) {
  // A stereo integer file spanning -1000 ... 1000 fills 16 bits exactly.
  const std::string path = scratch_.File("span.txt");
  test::WriteText(path, "-1000,0\n500,1000\n0,-250\n");
  TImportOptions options;
  options.channels = 2;
  options.sampleRateHz = 8000;
  auto doc = Import(path, options);
  ASSERT_TRUE(doc);
  const Bytes frames = test::AllFrames(*doc);
  const WaveFormat& f = doc->Format();
  EXPECT_EQ(test::SampleAt(frames, f, 0, 0), -32767);
  EXPECT_EQ(test::SampleAt(frames, f, 1, 1), 32767);
  EXPECT_EQ(test::SampleAt(frames, f, 1, 0), 16383);  // trunc(500 x 32.767)
  EXPECT_EQ(test::SampleAt(frames, f, 2, 1), -8191);

  // Equal values: factor (max - min) / 2 around 0, so 0.25 lands at a quarter of 65534.
  test::WriteText(path, "0.25\n0.25\n0.25\n");
  options.channels = 1;
  TImporter job(path, options, TWaveTarget{StorageMode::Ram, false, scratch_.Path()});
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_DOUBLE_EQ(job.Conversion().factor, 32767.0);
  EXPECT_DOUBLE_EQ(job.Conversion().offset, 0.0);
  EXPECT_EQ(test::SampleAt(test::AllFrames(*job.TakeDocument()), f, 0, 0), 8191);

  // An 8-bit destination: its own range and zero value.
  test::WriteText(path, "-2\n2\n0\n");
  options.bytesPerSample = 1;
  doc = Import(path, options);
  ASSERT_TRUE(doc);
  const Bytes bytes = test::AllFrames(*doc);
  EXPECT_EQ(bytes, (Bytes{0, 254, 127}));  // 2 x 63.75 + 127, truncated
}

TEST_F(ImportExportTest, AdjustedFactorAndDefinedValues) {
  const std::string path = scratch_.File("volts.txt");
  test::WriteText(path, "# measured\n0.5\n-0.25\n0.1\n");
  TImportOptions options;
  options.headerPresent = true;
  options.headerSize = 1;
  // "Adjust Rescale Factor": the typed factor with offset 0.
  {
    TImporter job(path, options, TWaveTarget{StorageMode::Ram, false, scratch_.Path()});
    while (job.CurrentPhase() == TImporter::Phase::Examining) ASSERT_TRUE(job.Step());
    ASSERT_EQ(job.CurrentPhase(), TImporter::Phase::Examined);
    EXPECT_NEAR(job.Conversion().factor, 65534.0 / 0.75, 1e-9);
    job.SetRescaleFactor(1000.0);
    ASSERT_TRUE(RunToEnd(job));
    EXPECT_EQ(test::AllFrames(*job.TakeDocument()), (Bytes{0xF4, 0x01, 0x06, 0xFF, 0x64, 0x00}));
    EXPECT_FALSE(job.HasCalibration());
  }
  // "A data value of 1 equals 2 Volts": the peak 0.5 goes to full scale, which is then 1 V.
  options.scaling = kScaleDefine;
  options.dataValue = 1.f;
  options.equalsValue = 2.f;
  options.units = kUnitVolts;
  TImporter job(path, options, TWaveTarget{StorageMode::Disk, false, scratch_.Path()});
  ASSERT_TRUE(RunToEnd(job));
  ASSERT_TRUE(job.HasCalibration());
  const TCalibration& cal = job.Calibration();
  EXPECT_EQ(cal.enabled, 1);
  EXPECT_FLOAT_EQ(cal.calRatioLeft, 1.f);
  EXPECT_FLOAT_EQ(cal.pctFullScaleLeft, 2.f);
  EXPECT_FLOAT_EQ(cal.refLevel, 2.f);
  EXPECT_EQ(cal.refUnits, kUnitVolts);
  EXPECT_EQ(FieldText(cal.labelLog), "dBV");
  auto doc = job.TakeDocument();
  EXPECT_EQ(test::SampleAt(test::AllFrames(*doc), doc->Format(), 0, 0), 32767);
}

TEST_F(ImportExportTest, BinaryEightBitIsOffsetBinaryAroundTheZeroValue) {
  // 16-bit mono: silence 127, full scale 254 and 0.
  const WaveFormat format = MakeWaveFormat(1, 8000, 2);
  Bytes frames(6);
  EncodeSample(&frames[2], 2, 32767);
  EncodeSample(&frames[4], 2, -32767);
  auto doc = test::MakeDocument(format, frames, StorageMode::Ram, scratch_.Path());
  const std::string path = scratch_.File("x.8");
  ASSERT_TRUE(Export(*doc, kBinary8, path));
  EXPECT_EQ(test::ReadAll(path), (Bytes{127, 254, 0}));
  // Read back, byte - 127 is the value: truncation into 8 bits gives the bytes again.
  auto back = Import(path, Truncating(kBinary8, MakeWaveFormat(1, 8000, 1)));
  ASSERT_TRUE(back);
  EXPECT_EQ(test::AllFrames(*back), (Bytes{127, 254, 0}));
}

TEST_F(ImportExportTest, DecimatedExportKeepsOneSpacingAcrossTicks) {
  // A ramp through the low-pass filter stays a ramp: successive values differ by the ratio
  // times the filter's DC gain everywhere, also where one tick ends and the next begins.
  const WaveFormat format = MakeWaveFormat(1, 48000, 2);
  const uint32_t total = 30000;
  Bytes frames(size_t{total} * 2);
  for (uint32_t i = 0; i < total; ++i)
    EncodeSample(&frames[i * 2], 2, static_cast<int32_t>(i) - 15000);
  auto doc = test::MakeDocument(format, frames, StorageMode::Disk, scratch_.Path());
  const std::string path = scratch_.File("ramp.txt");
  ASSERT_TRUE(Export(*doc, kAsciiInteger, path, 3));
  std::istringstream in(test::ReadString(path));
  std::vector<long> values;
  for (long v; in >> v;) values.push_back(v);
  ASSERT_EQ(values.size(), total / 3);  // 2730 per tick of 8190 frames, then the rest
  // The last few see the document's end through the filter; the first ones see its start.
  for (size_t k = 10; k + 20 < values.size(); ++k) {
    EXPECT_NEAR(values[k + 1] - values[k], 3, 1) << "at " << k;
  }
}

TEST_F(ImportExportTest, ExportChannelsAndOptions) {
  const WaveFormat format = MakeWaveFormat(2, 8000, 2);
  Bytes frames(8);
  EncodeSample(&frames[0], 2, 1);
  EncodeSample(&frames[2], 2, -2);
  EncodeSample(&frames[4], 2, 3);
  EncodeSample(&frames[6], 2, -4);
  auto doc = test::MakeDocument(format, frames, StorageMode::Ram, scratch_.Path());
  const std::string path = scratch_.File("ch.txt");
  ASSERT_TRUE(Export(*doc, kAsciiInteger, path, 1, false, true));
  EXPECT_EQ(test::ReadAll(path), (Bytes{'-', '2', '\n', '-', '4', '\n'}));
  ASSERT_TRUE(Export(*doc, kAsciiReal, path, 1, true, false));
  EXPECT_EQ(test::ReadString(path), "1.000000\n3.000000\n");
  // Neither channel: refused, and an existing file of that name is left alone.
  EXPECT_FALSE(Export(*doc, kAsciiInteger, path, 1, false, false));
  EXPECT_TRUE(sink_.Contains(kExportNoChannel));
  EXPECT_EQ(test::ReadString(path), "1.000000\n3.000000\n");
}

TEST_F(ImportExportTest, WftHeaderFieldsAndLimits) {
  const WaveFormat format = MakeWaveFormat(1, 11025, 2);
  const Bytes frames = test::RandomFrames(32, format, 3);
  auto doc = test::MakeDocument(format, frames, StorageMode::Ram, scratch_.Path());
  const std::string path = scratch_.File("a.wft");
  ASSERT_TRUE(Export(*doc, kWft, path));
  Bytes bytes = test::ReadAll(path);
  ASSERT_EQ(bytes.size(), kWftHeaderBytes + 64u);
  auto field = [&](size_t offset) { return std::string(reinterpret_cast<char*>(&bytes[offset])); };
  EXPECT_EQ(field(0), "3");
  EXPECT_EQ(field(8), "1538");
  EXPECT_EQ(field(20), "1602");
  EXPECT_EQ(field(125), "26");  // 2026
  EXPECT_EQ(field(128), "5");
  EXPECT_EQ(field(134), "43200");
  EXPECT_EQ(field(170), "3.051851E-05");  // 1 / 32767
  EXPECT_EQ(field(242), "Amplitude");
  EXPECT_EQ(field(301), "Sec");
  EXPECT_EQ(field(658), "2");
  EXPECT_EQ(field(1024), "32");
  EXPECT_EQ(field(1036), "9.070295E-05");
  // Imported: the rate from the interval, a calibration from the volts per count.
  TImportOptions options;
  options.sourceType = kWft;
  TImporter job(path, options, TWaveTarget{StorageMode::Ram, false, scratch_.Path()});
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(job.Options().sampleRateHz, 11025u);
  ASSERT_TRUE(job.HasCalibration());
  EXPECT_NEAR(job.Calibration().calRatioLeft, 1.0, 1e-5);
  EXPECT_EQ(FieldText(job.Calibration().labelLog), "Amplitude (dB)");

  // 31 frames are too few.
  auto shortDoc =
      test::MakeDocument(format, test::RandomFrames(31, format), StorageMode::Ram, scratch_.Path());
  ASSERT_TRUE(Export(*shortDoc, kWft, path));
  EXPECT_FALSE(Import(path, options));
  EXPECT_TRUE(sink_.Contains(kWftTooFewSamples));
}

TEST_F(ImportExportTest, MalformedWftHeadersAreRefusedWithTheirMessage) {
  const WaveFormat format = MakeWaveFormat(1, 8000, 2);
  auto doc = test::MakeDocument(format, test::RandomFrames(100, format), StorageMode::Ram,
                                scratch_.Path());
  const std::string good = scratch_.File("good.wft");
  ASSERT_TRUE(Export(*doc, kWft, good));
  const Bytes original = test::ReadAll(good);
  auto patched = [&](size_t offset, const std::string& text) {
    Bytes bytes = original;
    std::fill(bytes.begin() + offset, bytes.begin() + offset + 12, 0);
    std::copy(text.begin(), text.end(), bytes.begin() + offset);
    return bytes;
  };
  const struct {
    Bytes bytes;
    std::string message;
  } cases[] = {
      {patched(0, "2"), kWftNotSupported},
      {patched(4, "0"), kWftNoWaveform},
      {patched(658, "4"), kWftSampleSize},
      {patched(829, "1"), kWftCompressed},
      {patched(1036, "0"), kWftRate},
      {patched(1036, "-1E-3"), kWftRate},
      {patched(1036, "1E-30"), kWftRate},
      {patched(1024, "4000000000"), "announces 4000000000 samples but the file holds 100"},
      {patched(8, "99999999999"), "announces 100 samples but the file holds 0"},
      {patched(1024, "abc"), "is not a number"},
      {Bytes(original.begin(), original.begin() + 700), "Failure reading WFT file header"},
  };
  TImportOptions options;
  options.sourceType = kWft;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const std::string path = scratch_.File("bad.wft");
    test::WriteAll(path, c.bytes.data(), c.bytes.size());
    sink_.Clear();
    EXPECT_FALSE(Import(path, options));
    ASSERT_EQ(sink_.Entries().size(), 1u);
    EXPECT_NE(sink_.Entries()[0].text.find(c.message), std::string::npos)
        << sink_.Entries()[0].text;
  }
}

}  // namespace
}  // namespace orvanix
