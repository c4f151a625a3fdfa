// Malformed import files (tests/data/import-malformed, listed in its expected.txt) are refused
// with one clear message, or read, where the list says so; nothing crashes or hangs.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "TransferHelpers.h"
#include "files/Importer.h"
#include "files/TransferTexts.h"

namespace orvanix {
namespace {

struct CorpusCase {
  std::string name;
  int32_t format = 0;
  uint32_t channels = 1;
  int64_t header = 0;
  std::string outcome;
};

std::vector<CorpusCase> Corpus() {
  std::vector<CorpusCase> cases;
  std::ifstream list(std::string(ORVANIX_TEST_DATA_DIR) + "/import-malformed/expected.txt");
  for (std::string line; std::getline(list, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    CorpusCase c;
    std::string field;
    std::getline(in, c.name, '|');
    std::getline(in, field, '|');
    c.format = std::stoi(field);
    std::getline(in, field, '|');
    c.channels = static_cast<uint32_t>(std::stoi(field));
    std::getline(in, field, '|');
    c.header = std::stoll(field);
    std::getline(in, c.outcome);
    cases.push_back(c);
  }
  return cases;
}

// Imports with the file's settings; "ok N" with the frame count, or the error messages.
std::string Outcome(const std::string& path, int32_t format, uint32_t channels, int64_t header,
                    const std::string& tempDir, StorageMode mode) {
  TRecordingSink sink;
  TScopedMessageSink scope(&sink);
  TImportOptions options;
  options.sourceType = format;
  options.channels = channels;
  options.headerPresent = header > 0;
  options.headerSize = header;
  TImporter job(path, options, TWaveTarget{mode, false, tempDir});
  const bool ok = RunToEnd(job);
  auto doc = job.TakeDocument();
  std::string errors;
  for (const auto& entry : sink.Entries()) {
    if (entry.icon == MessageIcon::Information) continue;
    std::string text = entry.text;  // the WFT texts end in a newline of their own
    while (!text.empty() && text.back() == '\n') text.pop_back();
    errors += text + "\n";
  }
  if (ok && doc && errors.empty()) return "ok " + std::to_string(doc->Length());
  return errors.empty() ? "failed without a message" : errors;
}

TEST(ImportMalformedTest, EveryCorpusFileGetsItsOutcome) {
  const std::vector<CorpusCase> cases = Corpus();
  ASSERT_GE(cases.size(), 30u);
  test::TScratch scratch;
  for (const CorpusCase& c : cases) {
    for (StorageMode mode : {StorageMode::Ram, StorageMode::Disk}) {
      SCOPED_TRACE(c.name);
      const std::string path = std::string(ORVANIX_TEST_DATA_DIR) + "/import-malformed/" + c.name;
      const std::string outcome =
          Outcome(path, c.format, c.channels, c.header, scratch.Path(), mode);
      if (c.outcome.rfind("ok ", 0) == 0) {
        EXPECT_EQ(outcome, c.outcome);
      } else {
        EXPECT_NE(outcome.find(c.outcome), std::string::npos) << outcome;
        // One message, not a cascade.
        EXPECT_EQ(std::count(outcome.begin(), outcome.end(), '\n'), 1) << outcome;
      }
    }
  }
}

TEST(ImportMalformedTest, HugeLinesFifosAndFoldersAreRefusedAtOnce) {
  test::TScratch scratch;
  // A 1 MB line.
  const std::string line = scratch.File("line.txt");
  test::WriteText(line, "1\n" + std::string(1 << 20, '5') + "\n2\n");
  EXPECT_NE(Outcome(line, kAsciiInteger, 1, 0, scratch.Path(), StorageMode::Ram)
                .find("Line 2 of " + line + " is longer than 255"),
            std::string::npos);
  // A header of a million lines where there are three.
  EXPECT_NE(Outcome(line, kAsciiInteger, 1, 1000000, scratch.Path(), StorageMode::Ram)
                .find("holds no data"),
            std::string::npos);
  // Not a regular file: no hang on a FIFO, a clear refusal for a folder.
  const std::string fifo = scratch.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, scratch.Path(), scratch.File("missing.txt")}) {
    EXPECT_EQ(Outcome(path, kAsciiReal, 1, 0, scratch.Path(), StorageMode::Ram),
              Format(kFailureOpeningSource, path.c_str()) + "\n");
  }
}

TEST(ImportMalformedTest, PartialFramesAreToldAndTheWholeFramesKept) {
  test::TScratch scratch;
  const std::string path = std::string(ORVANIX_TEST_DATA_DIR) + "/import-malformed/odd-bytes.16";
  TRecordingSink sink;
  TScopedMessageSink scope(&sink);
  TImportOptions options;
  options.sourceType = kBinary16;
  options.scaling = kScaleTruncate;
  TImporter job(path, options, TWaveTarget{StorageMode::Ram, false, scratch.Path()});
  ASSERT_TRUE(RunToEnd(job));
  EXPECT_EQ(test::AllFrames(*job.TakeDocument()), (test::Bytes{1, 0, 2, 0}));
  ASSERT_EQ(sink.Entries().size(), 1u);
  EXPECT_EQ(sink.Entries()[0].icon, MessageIcon::Information);
  EXPECT_EQ(sink.Entries()[0].text, Format(kImportPartialFrame, 1ull, path.c_str()));
}

}  // namespace
}  // namespace orvanix
