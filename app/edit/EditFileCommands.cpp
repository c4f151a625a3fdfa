// File Import and Export, Decimate and Merge.
#include <ctime>

#include "app/edit/EditModule.h"
#include "engine/Calibration.h"
#include "engine/Messages.h"
#include "files/Configuration.h"
#include "files/EditTexts.h"
#include "files/Exporter.h"
#include "files/FileUtilities.h"
#include "files/Importer.h"
#include "files/TransferTexts.h"

namespace orvanix {

namespace {

// The examining part of an import, as a job of its own: it ends where the importer pauses
// for the rescale factor.
class TExamineJob : public TStepJob {
 public:
  explicit TExamineJob(TImporter& importer) : importer_(importer) {}
  bool Step() override {
    return importer_.Step() && importer_.CurrentPhase() == TImporter::Phase::Examining;
  }
  int Percent() const override { return importer_.Percent(); }
  std::string StatusText() const override { return importer_.StatusText(); }
  bool Failed() const override { return importer_.Failed(); }
  void Cancel() override { importer_.Cancel(); }

 private:
  TImporter& importer_;
};

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

}  // namespace

bool TEditModule::AdoptNew(std::unique_ptr<TWaveFile> wave, bool calibrationOff,
                           const TCalibration* calibration) {
  if (calibration) {
    Core().SetCalibration(*calibration);
  } else if (calibrationOff && Core().Calibration().enabled) {
    TCalibration off = Core().Calibration();
    off.enabled = 0;
    Core().SetCalibration(off);
  }
  return Core().AdoptDocument(std::move(wave));
}

bool TEditModule::Import(const std::string& path, const TImportOptions& options) {
  Core().Stop();
  if (Core().Document()) return false;  // not offered while a document is open
  importOptions_ = options;
  if (options.sourceType == kAudioFile) return OpenForeign(path);
  TImporter importer(path, options, NewDocumentTarget());
  TExamineJob examine(importer);
  Runner().Run(examine, kCancelImportQuestion);
  if (importer.CurrentPhase() != TImporter::Phase::Examined) return false;
  if (options.scaling == kScaleRescale && Core().Settings().fileIo.adjustImportRescaling) {
    double factor = importer.Conversion().factor;
    if (Dialogs().AdjustRescaleFactor(factor)) importer.SetRescaleFactor(factor);
  }
  const bool imported = Runner().Run(importer, kCancelImportQuestion) && !importer.Failed();
  // A stopped or failed import keeps what it converted, as an untitled document.
  auto document = importer.TakeDocument();
  if (!document) return false;
  const bool adopted = AdoptNew(std::move(document), !importer.HasCalibration(),
                                importer.HasCalibration() ? &importer.Calibration() : nullptr);
  return imported && adopted;
}

bool TEditModule::Export(const std::string& path, const TExportOptions& options) {
  Core().Stop();
  TWaveFile* doc = Core().Document();
  if (!doc) return false;
  exportOptions_ = options;
  const TCalibration& calibration = Core().Calibration();
  TExporter job(*doc, options, path, calibration.enabled ? &calibration : nullptr, LocalNow());
  return Runner().Run(job, kCancelExportQuestion) && job.Done();
}

bool TEditModule::Decimate(uint32_t ratio, bool lowPass, const std::string& destination) {
  Core().Stop();
  TWaveFile* doc = Core().Document();
  if (!doc) return false;
  if (ratio < 1 || ratio > kMaxDecimateRatio) {
    ReportError(Format(kDecimationRange, static_cast<int>(kMaxDecimateRatio)));
    return false;
  }
  if (!doc->Untitled() && doc->TargetPath() == destination) {
    ReportError(Format(kDestinationIsOpen, destination.c_str()));
    return false;
  }
  decimateRatio_ = ratio;
  decimateLowPass_ = lowPass;
  const TCalibration& calibration = Core().Calibration();
  const bool attach = calibration.enabled && Core().Settings().fileIo.includeCalibrationData;
  TDecimateJob job(*doc, ratio, lowPass, destination, attach ? &calibration : nullptr,
                   Core().LastFolder(kFolderTemp));
  Core().ShowTransientTitle(kSavingWave);
  const bool done = Runner().Run(job, nullptr) && job.Done();
  Core().ShowTransientTitle({});
  return done;
}

bool TEditModule::Merge(const std::string& leftPath, const std::string& rightPath) {
  Core().Stop();
  if (Core().Document()) return false;  // refused while a document is open
  TMergeJob job(leftPath, rightPath, NewDocumentTarget());
  Core().ShowTransientTitle(kMergingFiles);
  const bool done = Runner().Run(job, nullptr) && !job.Failed();
  Core().ShowTransientTitle({});
  auto document = job.TakeDocument();
  if (!document) return false;
  return AdoptNew(std::move(document), false, nullptr) && done;
}

}  // namespace orvanix
