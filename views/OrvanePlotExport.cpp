// Text export, clipboard data and the print job of the spectrum view.
#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <cstdio>
#include <filesystem>

#include "engine/Messages.h"
#include "views/OrvanePlot.h"
#include "views/TextFormat.h"
#include "views/ViewTexts.h"

namespace orvanix {

using views::CFormat;

TOrvanePlot::TDataValues TOrvanePlot::DataValues() const {
  TDataValues values;
  const TSpectralData* primary = PaneSpectrum(0);
  if (!primary || !source_) return values;
  const uint16_t mode = source_->Processing().channelProcessing;
  const std::string label = AxisLabel(*primary, false);
  const char* l = label.c_str();
  bool twoColumns = false;
  switch (mode) {
    case kLeftOnly:
      values.header = CFormat(viewtext::kHeaderLeft, l);
      break;
    case kRightOnly:
      values.header = CFormat(viewtext::kHeaderRight, l);
      break;
    case kBothChannels:
      values.header = CFormat(viewtext::kHeaderBoth, l, l);
      twoColumns = true;
      break;
    case kTransferAndCoherenceLR:
    case kTransferAndCoherenceRL:
      values.header = CFormat(viewtext::kHeaderTransferCoherence, l, l);
      twoColumns = true;
      break;
    default:
      values.header = CFormat(viewtext::kHeaderLevel, l);
      break;
  }
  values.columns = twoColumns ? 3 : 2;
  const TSpectralData* secondary = twoColumns ? PaneSpectrum(1) : nullptr;
  const TIndexRange r = VisibleRange(*primary);
  if (!r.valid) return values;
  const bool octave = primary->FrequencyScale() == 2;
  values.rows.reserve(size_t(r.last - r.first + 1));
  for (uint32_t i = r.first; i <= r.last; ++i) {
    const double hz = octave ? primary->BandCentre(i) : primary->BinFrequency(i);
    const double second = secondary ? double(secondary->Value(i)) : 0.0;
    values.rows.push_back({hz, double(primary->Value(i)), second});
  }
  return values;
}

std::string TOrvanePlot::ExportText() const {
  const TDataValues values = DataValues();
  std::string text = values.header;
  text.reserve(text.size() + values.rows.size() * (values.columns == 3 ? 36 : 24));
  for (const auto& row : values.rows) {
    text += values.columns == 3 ? CFormat(viewtext::kLineTwo, row[0], row[1], row[2])
                                : CFormat(viewtext::kLineOne, row[0], row[1]);
  }
  return text;
}

QMimeData* TOrvanePlot::TextMimeData(const std::string& text) {
  auto* mime = new QMimeData;
  mime->setText(QString::fromStdString(text));
  // Other programs paste this as a live link to the automation item "Spectrum".
  mime->setData(QString::fromUtf8(viewtext::kLinkFormat),
                QByteArray(viewtext::kSpectrumLink, viewtext::kSpectrumLinkBytes));
  return mime;
}

void TOrvanePlot::CopyAsText() {
  const std::string text = ExportText();
  if (text.empty()) return;
  QGuiApplication::clipboard()->setMimeData(TextMimeData(text));
}

bool TOrvanePlot::WriteTextFile(const std::string& path) {
  const std::string text = ExportText();
  const std::string temporary = path + ".tmp";
  bool ok = false;
  if (std::FILE* file = std::fopen(temporary.c_str(), "wb")) {
    ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fflush(file) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
  }
  std::error_code error;
  if (ok) {
    std::filesystem::rename(temporary, path, error);
    ok = !error;
  }
  if (!ok) {
    std::filesystem::remove(temporary, error);
    ReportError(Format(viewtext::kTextWriteFailure, path.c_str()));
  }
  return ok;
}

TPrintJob TOrvanePlot::PrintJob() const {
  TPrintJob job;
  job.viewName = viewtext::kSpectrumViewName;
  if (!source_) return job;
  job.title = source_->PrimaryLabel();
  if (PaneSpectrum(1)) job.title += " / " + source_->SecondaryLabel();
  job.settingsLines = PrintSettingsLines(source_->Processing(), source_->PostProcessing());
  job.readouts = source_->PrintReadouts();
  return job;
}

}  // namespace orvanix
