// The profile layer: lookup rules, in-place updates, appends, numbers in every locale,
// robust reading and all-or-nothing saving.
#include "files/Profile.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Messages.h"
#include "files/ConfigTexts.h"

namespace orvanix {
namespace {

using namespace std::string_literals;

TProfile Parsed(std::string_view text) {
  TProfile profile;
  EXPECT_TRUE(profile.Parse(text));
  return profile;
}

// A fresh folder under the test temporary directory, removed with its files afterwards.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = testing::TempDir() + "profile-XXXXXX";
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder() {
    ::chmod(path_.c_str(), 0700);
    std::system(("rm -rf '" + path_ + "'").c_str());
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(path_.c_str())) {
      while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      ::closedir(dir);
    }
    return names;
  }

 private:
  std::string path_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// ---- lookup ---------------------------------------------------------------------------

TEST(Profile, NamesAreComparedWithoutCaseAndMissingKeysGiveTheDefault) {
  const TProfile p = Parsed("[Settings]\nFFTsize=1024\n  SamplingRate = 48000  \n[paths]\nWav=x\n");
  EXPECT_EQ(p.GetInt("settings", "FFTSIZE", 7), 1024);
  EXPECT_EQ(p.GetInt("SETTINGS", "samplingrate", 7), 48000);
  EXPECT_EQ(p.GetString("Paths", "wav", "d"), "x");
  EXPECT_EQ(p.GetInt("Settings", "Missing", 7), 7);
  EXPECT_EQ(p.GetInt("Nowhere", "FFTsize", 7), 7);
  EXPECT_FLOAT_EQ(p.GetFloat("Settings", "Missing", 2.5f), 2.5f);
  EXPECT_EQ(p.GetString("Settings", "Missing", "default"), "default");
  EXPECT_TRUE(p.HasKey("SETTINGS", "fftsize"));
  EXPECT_TRUE(p.HasSection("PATHS"));
  EXPECT_FALSE(p.HasSection("Scaling"));
}

TEST(Profile, PresentValuesAreConvertedEvenWhenEmptyOrMalformed) {
  // The classic conversions: a present key is converted, whatever it holds.
  const TProfile p = Parsed("[S]\nEmpty=\nWord=abc\nLeading=42abc\nReal=x1.5\n");
  EXPECT_EQ(p.GetString("S", "Empty", "d"), "");
  EXPECT_EQ(p.GetInt("S", "Empty", 7), 0);
  EXPECT_EQ(p.GetInt("S", "Word", 7), 0);
  EXPECT_EQ(p.GetInt("S", "Leading", 7), 42);
  EXPECT_FLOAT_EQ(p.GetFloat("S", "Real", 3.0f), 0.0f);
}

TEST(Profile, FirstOfDuplicateKeysCountsForReadingAndWriting) {
  TProfile p = Parsed("[S]\nKey=1\nkey=2\n[Other]\n[s]\nKey=3\nLate=4\n");
  EXPECT_EQ(p.GetInt("S", "Key", 0), 1);
  // A key only in the second copy of a section is still found.
  EXPECT_EQ(p.GetInt("S", "Late", 0), 4);
  ASSERT_TRUE(p.WriteInt("S", "KEY", 9));
  EXPECT_EQ(p.Text(), "[S]\nKey=9\nkey=2\n[Other]\n[s]\nKey=3\nLate=4\n");
}

TEST(Profile, CommentsAndLinesOutsideSectionsAreNotKeys) {
  const TProfile p = Parsed("Stray=1\n[S]\n;Key=2\n# Key=3\nno equals sign\n=5\nKey=6\n");
  EXPECT_FALSE(p.HasKey("", "Stray"));
  EXPECT_EQ(p.GetInt("S", "Key", 0), 6);
  EXPECT_FALSE(p.HasKey("S", ";Key"));
}

// ---- writing ------------------------------------------------------------------------

TEST(Profile, WritingAKeyChangesOnlyItsValue) {
  const std::string original =
      "; settings written by hand\n"
      "[Settings]\n"
      "  fftSIZE = 1024   \n"
      "Unknown=keep me\n"
      "\n"
      "; trailing comment\n"
      "[Scaling]\n"
      "AmpScaleType=1\n";
  TProfile p = Parsed(original);
  ASSERT_TRUE(p.WriteInt("SETTINGS", "FFTsize", 8192));
  // The key keeps its spelling in the file; everything else stays byte for byte.
  EXPECT_EQ(p.Text(),
            "; settings written by hand\n"
            "[Settings]\n"
            "fftSIZE=8192\n"
            "Unknown=keep me\n"
            "\n"
            "; trailing comment\n"
            "[Scaling]\n"
            "AmpScaleType=1\n");
}

TEST(Profile, NewKeysGoToTheEndOfTheirSectionAndNewSectionsToTheEnd) {
  TProfile p = Parsed("[A]\nOne=1\n; note\n\n\n[B]\nTwo=2");
  ASSERT_TRUE(p.WriteString("a", "Three", "3"));
  ASSERT_TRUE(p.WriteFloat("C", "Four", 4.5f));
  ASSERT_TRUE(p.WriteString("C", "Five", "five"));
  EXPECT_EQ(p.Text(),
            "[A]\nOne=1\n; note\nThree=3\n\n\n[B]\nTwo=2\n\n[C]\nFour=4.500000\nFive=five\n");
  EXPECT_EQ(p.GetInt("A", "Three", 0), 3);
  EXPECT_EQ(p.GetString("C", "Five", ""), "five");
  // The index of keys written before the insertion point stays right.
  ASSERT_TRUE(p.WriteInt("A", "One", 11));
  EXPECT_EQ(p.GetInt("A", "One", 0), 11);
  EXPECT_EQ(p.GetInt("A", "Three", 0), 3);
}

TEST(Profile, AnEmptyProfileIsWrittenWithoutLeadingBlankLine) {
  TProfile p;
  ASSERT_TRUE(p.WriteInt("Mode", "OpMode", 2));
  EXPECT_EQ(p.Text(), "[Mode]\nOpMode=2\n");
}

TEST(Profile, ValuesCannotInjectLinesAndBadNamesAreRefused) {
  TProfile p;
  ASSERT_TRUE(p.WriteString("Logging", "LogFileName", "a\n[Paths]\nWav=/etc\r\0x"s));
  EXPECT_FALSE(p.HasSection("Paths"));
  EXPECT_EQ(p.GetString("Logging", "LogFileName", ""), "a [Paths] Wav=/etc  x");
  EXPECT_FALSE(p.WriteString("", "Key", "v"));
  EXPECT_FALSE(p.WriteString("S]", "Key", "v"));
  EXPECT_FALSE(p.WriteString("S", "a=b", "v"));
  EXPECT_FALSE(p.WriteString("S", " Key", "v"));
  EXPECT_FALSE(p.WriteString("S", ";Key", "v"));
  EXPECT_FALSE(p.WriteString("S\nT", "Key", "v"));
  EXPECT_FALSE(p.HasSection("S"));
}

// ---- numbers ------------------------------------------------------------------------

TEST(ProfileNumbers, IntegersReadLikeTheCConversionAndSaturate) {
  EXPECT_EQ(ParseProfileInt("  42abc"), 42);
  EXPECT_EQ(ParseProfileInt("-7"), -7);
  EXPECT_EQ(ParseProfileInt("+5"), 5);
  EXPECT_EQ(ParseProfileInt("1.9"), 1);
  EXPECT_EQ(ParseProfileInt("0x1A"), 0);
  EXPECT_EQ(ParseProfileInt("abc"), 0);
  EXPECT_EQ(ParseProfileInt(""), 0);
  EXPECT_EQ(ParseProfileInt("-"), 0);
  EXPECT_EQ(ParseProfileInt("2147483647"), 2147483647);
  EXPECT_EQ(ParseProfileInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseProfileInt("99999999999999999999999"), INT32_MAX);
  EXPECT_EQ(ParseProfileInt("-99999999999999999999999"), INT32_MIN);
  EXPECT_EQ(FormatProfileInt(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(FormatProfileInt(2000000000), "2000000000");
}

TEST(ProfileNumbers, RealsAcceptDecimalTextOnly) {
  EXPECT_FLOAT_EQ(ParseProfileFloat("1.5"), 1.5f);
  EXPECT_FLOAT_EQ(ParseProfileFloat("  -2.25e2xyz"), -225.0f);
  EXPECT_FLOAT_EQ(ParseProfileFloat("+.5"), 0.5f);
  EXPECT_FLOAT_EQ(ParseProfileFloat("5."), 5.0f);
  EXPECT_FLOAT_EQ(ParseProfileFloat("1e"), 1.0f);
  EXPECT_FLOAT_EQ(ParseProfileFloat("1,5"), 1.0f);  // a comma ends the number
  EXPECT_FLOAT_EQ(ParseProfileFloat("3.4e38"), 3.4e38f);
  // Not numbers in our files, or not representable: 0.
  for (const char* text : {"nan", "NAN", "inf", "-Infinity", "1e39", "-1e300", "1e999", "1e-50",
                           "0x10", ".", "-", "e5", ""}) {
    EXPECT_EQ(ParseProfileFloat(text), 0.0f) << text;
  }
  // A million digits are still read (and the value is out of range).
  EXPECT_EQ(ParseProfileFloat(std::string(1000000, '9')), 0.0f);
  EXPECT_FLOAT_EQ(ParseProfileFloat("0." + std::string(1000000, '0') + "1"), 0.0f);
}

TEST(ProfileNumbers, RealsAreWrittenAsPrintfWritesThemInTheCLocale) {
  // The C library's own "%f" (in the C locale) is the reference.
  std::mt19937 random(12345);
  std::uniform_real_distribution<float> mantissa(-10.0f, 10.0f);
  std::uniform_int_distribution<int> exponent(-8, 12);
  std::vector<float> values = {0.0f,  -0.0f,       0.1f,        0.5f,    1.0f / 3.0f, 1e-7f,
                               5e-7f, 123456.789f, 16777217.0f, FLT_MAX, -FLT_MAX,    FLT_MIN};
  for (int i = 0; i < 2000; ++i)
    values.push_back(mantissa(random) * std::pow(10.0f, exponent(random)));
  for (float v : values) {
    char expected[400];
    std::snprintf(expected, sizeof expected, "%f", v);
    EXPECT_EQ(FormatProfileFloat(v), expected) << v;
  }
  char expected[64];
  std::snprintf(expected, sizeof expected, "%3.1f|%3.1f|%3.1f", 2.5, 0.04, 1234.56);
  EXPECT_EQ(
      FormatFixed(2.5, 3, 1) + "|" + FormatFixed(0.04, 3, 1) + "|" + FormatFixed(1234.56, 3, 1),
      expected);
}

TEST(ProfileNumbers, WrittenRealsReadBackToTheSameFloat) {
  for (float v : {0.5f, 1.25f, -999.0f, 22000.0f, 10.024f, 1130.0f, 0.1f, 94.0f}) {
    EXPECT_EQ(ParseProfileFloat(FormatProfileFloat(v)), v);
  }
}

// The decimal mark of our files is '.' whatever the C locale says.
TEST(ProfileNumbers, ACommaLocaleChangesNothing) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  const char* chosen = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8", "de_DE"}) {
    if (std::setlocale(LC_ALL, name)) {
      chosen = name;
      break;
    }
  }
  ASSERT_NE(chosen, nullptr) << "no comma-decimal locale; run scripts/install-deps.sh";
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 0.5);
  const bool comma = std::string(probe) == "0,5";
  if (comma) {
    EXPECT_EQ(FormatProfileFloat(0.5f), "0.500000");
    EXPECT_EQ(FormatFixed(2.5, 3, 1), "2.5");
    EXPECT_FLOAT_EQ(ParseProfileFloat("1234.25"), 1234.25f);
    TProfile p;
    ASSERT_TRUE(p.WriteFloat("Calibration", "RefLevel", 94.125f));
    EXPECT_EQ(p.Text(), "[Calibration]\nRefLevel=94.125000\n");
    EXPECT_FLOAT_EQ(Parsed(p.Text()).GetFloat("Calibration", "RefLevel", 0), 94.125f);
  }
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_TRUE(comma) << chosen << " does not use a decimal comma";
}

// ---- robust reading ---------------------------------------------------------------------

TEST(ProfileReading, ByteOrderMarkAndLineEndsAreKeptOnWriting) {
  TProfile p = Parsed("\xEF\xBB\xBF[S]\r\nA=1\r\nB=2\r\n");
  EXPECT_EQ(p.GetInt("S", "A", 0), 1);
  EXPECT_EQ(p.GetInt("S", "B", 0), 2);
  ASSERT_TRUE(p.WriteInt("S", "C", 3));
  EXPECT_EQ(p.Text(), "\xEF\xBB\xBF[S]\r\nA=1\r\nB=2\r\nC=3\r\n");

  const TProfile oldMac = Parsed("[S]\rA=1\rB=2");
  EXPECT_EQ(oldMac.GetInt("S", "B", 0), 2);
  EXPECT_EQ(oldMac.Text(), "[S]\rA=1\rB=2\r");
}

TEST(ProfileReading, ALineMeansNothingAfterItsFirstNul) {
  TProfile p = Parsed("[S]\nA=12\0 34\nB\0=5\n[T\0]x\nC=6\n"s);
  EXPECT_EQ(p.GetString("S", "A", ""), "12");
  EXPECT_FALSE(p.HasKey("S", "B"));
  EXPECT_EQ(p.GetInt("T", "C", 0), 6);
}

TEST(ProfileReading, AOneMegabyteLineIsReadWhole) {
  const std::string value(1 << 20, 'x');
  const TProfile p = Parsed("[S]\nLong=" + value + "\nAfter=1\n");
  EXPECT_EQ(p.GetString("S", "Long", ""), value);
  EXPECT_EQ(p.GetInt("S", "After", 0), 1);
}

TEST(ProfileReading, TooManyLinesAreRefused) {
  TProfile p;
  EXPECT_FALSE(p.Parse(std::string(kMaxProfileLines + 1, '\n')));
  EXPECT_EQ(p.Text(), "");
  EXPECT_TRUE(p.Parse(std::string(kMaxProfileLines - 1, '\n') + "[S]"));
}

// ---- files --------------------------------------------------------------------------

TEST(ProfileFiles, AMissingFileIsEmptyAndNotReported) {
  TRecordingSink sink;
  TScopedMessageSink scope(&sink);
  TempFolder folder;
  TProfile p;
  EXPECT_EQ(p.Load(folder.File("none.ini")), ProfileLoad::kMissing);
  EXPECT_EQ(p.Load(folder.File("no/such/folder.ini")), ProfileLoad::kMissing);
  EXPECT_TRUE(sink.Entries().empty());
}

TEST(ProfileFiles, UnreadableAndOversizedFilesAreRefusedWithAMessage) {
  TRecordingSink sink;
  TScopedMessageSink scope(&sink);
  TempFolder folder;
  TProfile p;
  EXPECT_EQ(p.Load(folder.Path()), ProfileLoad::kRefused);
  ASSERT_EQ(sink.Entries().size(), 1u);
  EXPECT_NE(sink.Entries()[0].text.find(folder.Path()), std::string::npos);
  EXPECT_EQ(sink.Entries()[0].caption, kProgramTitle);

  // A sparse file just over the limit: refused without reading it.
  const std::string big = folder.File("big.ini");
  WriteAll(big, "[S]\nA=1\n");
  ASSERT_EQ(::truncate(big.c_str(), static_cast<off_t>(kMaxProfileBytes) + 1), 0);
  sink.Clear();
  EXPECT_EQ(p.Load(big), ProfileLoad::kRefused);
  EXPECT_TRUE(sink.Contains(Format(kProfileTooLarge, big.c_str(), 16)));
  EXPECT_FALSE(p.HasKey("S", "A"));
  sink.Clear();
  EXPECT_EQ(p.Load(big, /*reportProblems=*/false), ProfileLoad::kRefused);
  EXPECT_TRUE(sink.Entries().empty());
}

TEST(ProfileFiles, SaveAndLoadGiveTheSameFileAndKeepPermissions) {
  TempFolder folder;
  const std::string path = folder.File("tessiva.ini");
  WriteAll(path, "; mine\n[Settings]\nFFTsize=1024\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  TProfile p;
  ASSERT_EQ(p.Load(path), ProfileLoad::kLoaded);
  p.WriteInt("Settings", "FFTsize", 2048);
  p.WriteString("Paths", "Wav", "/home/me/wave");
  ASSERT_TRUE(p.Save(path));
  EXPECT_EQ(ReadAll(path), "; mine\n[Settings]\nFFTsize=2048\n\n[Paths]\nWav=/home/me/wave\n");
  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  // Nothing but the target is left in the folder.
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"tessiva.ini"});
}

TEST(ProfileFiles, SavingThroughASymbolicLinkReplacesItsTarget) {
  TempFolder folder;
  const std::string target = folder.File("real.cfg");
  const std::string link = folder.File("link.cfg");
  WriteAll(target, "[Mode]\nOpMode=1\n");
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  TProfile p;
  ASSERT_EQ(p.Load(link), ProfileLoad::kLoaded);
  p.WriteInt("Mode", "OpMode", 3);
  ASSERT_TRUE(p.Save(link));
  struct stat info;
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(ReadAll(target), "[Mode]\nOpMode=3\n");
}

TEST(ProfileFiles, AFailedWriteLeavesTheOldFile) {
  TRecordingSink sink;
  TScopedMessageSink scope(&sink);
  TempFolder folder;
  const std::string path = folder.File("settings.ini");
  const std::string old = "[Settings]\nFFTsize=1024\n";
  WriteAll(path, old);
  TProfile p = Parsed(old);
  p.WriteString("Big", "Value", std::string(100000, 'v'));

  // A file size limit makes the write itself fail half-way (this works for root too).
  struct sigaction ignore = {}, previous = {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
  rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved_ok = p.Save(path);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
  ::sigaction(SIGXFSZ, &previous, nullptr);

  EXPECT_FALSE(saved_ok);
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"settings.ini"});
  ASSERT_EQ(sink.Entries().size(), 1u);
  EXPECT_NE(sink.Entries()[0].text.find("Unable to save the file " + path), std::string::npos);
}

TEST(ProfileFiles, AnUnwritableFolderLeavesTheOldFile) {
  TempFolder folder;
  const std::string path = folder.File("settings.ini");
  WriteAll(path, "[A]\nB=1\n");
  ASSERT_EQ(::chmod(folder.Path().c_str(), 0555), 0);
  // Folder permissions do not bind root, so the save runs in a child that has become an
  // ordinary user; it answers through its exit status.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(10);
    TRecordingSink sink;
    TScopedMessageSink scope(&sink);
    TProfile p = Parsed("[A]\nB=2\n");
    if (p.Save(path)) ::_exit(11);
    ::_exit(sink.Entries().size() == 1 ? 0 : 12);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ::chmod(folder.Path().c_str(), 0700);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0)
      << "10: could not drop root, 11: saved anyway, 12: not told once";
  EXPECT_EQ(ReadAll(path), "[A]\nB=1\n");
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"settings.ini"});
}

}  // namespace
}  // namespace orvanix
