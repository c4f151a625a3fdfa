// Audio files our wave reader does not take, opened through libsndfile.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "app/core/CoreTexts.h"
#include "app/edit/EditModule.h"
#include "engine/Messages.h"
#include "files/Configuration.h"
#include "files/ForeignAudio.h"
#include "files/Importer.h"
#include "files/TransferTexts.h"
#include "files/WaveFileIo.h"

namespace orvanix {

namespace {

bool IsRiffWave(const std::string& path) {
  const int fd = OpenRegularFile(path, O_RDONLY);
  if (fd < 0) return false;
  char head[12] = {};
  const bool read = ::pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head);
  ::close(fd);
  return read && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0;
}

// A RIFF WAVE file that our reader refused as damaged keeps that refusal: libsndfile would
// read what it can of it. Only the formats our reader does not handle go on to libsndfile.
bool DamagedWave(const std::string& path, const std::string& refusal) {
  if (!IsRiffWave(path)) return false;
  for (const char* unsupported : {"channels; only mono and stereo", "-byte samples; only 8, 16",
                                  "is not integer PCM", "invalid block align"}) {
    if (refusal.find(unsupported) != std::string::npos) return false;
  }
  return true;
}

}  // namespace

std::optional<bool> TEditModule::OpenForeignFile(const std::string& path,
                                                 const std::string& refusal) {
  // The reader's silent refusals (an empty data chunk) and damaged WAV files stay its own.
  if (refusal.empty() || DamagedWave(path, refusal)) return std::nullopt;
  TForeignInfo info;
  std::string message;
  if (!ProbeForeignFile(path, info, message)) {
    // Neither reader takes it: a WAV file's own refusal says more than libsndfile's, and
    // libsndfile's more about anything else (a damaged .ogg is not "not a RIFF WAVE file").
    ReportError(IsRiffWave(path) ? refusal : message);
    return false;
  }
  return OpenForeign(path);
}

bool TEditModule::OpenForeign(const std::string& path) {
  Core().Stop();
  // The file is read before the current document is closed: a file that cannot be read, or a
  // cancelled map, leaves the user's document as it was.
  TForeignInfo info;
  std::string message;
  if (!ProbeForeignFile(path, info, message)) {
    ReportError(message);
    return false;
  }
  TChannelMap map = DefaultChannelMap(info);
  if (NeedsChannelMap(info) && !Dialogs().ChooseChannelMap(path, info, map)) return false;
  TForeignImporter job(path, map, NewDocumentTarget());
  Core().ShowTransientTitle(kTitleOpeningWave);
  const bool read = Runner().Run(job, kCancelImportQuestion) && !job.Failed();
  Core().ShowTransientTitle({});
  auto document = job.TakeDocument();
  if (!read || !document) return false;
  if (Core().Document() && !Core().CloseDocument()) return false;
  return Core().AdoptDocument(std::move(document));
}

}  // namespace orvanix
