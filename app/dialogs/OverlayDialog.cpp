#include "app/dialogs/OverlayDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <vector>

#include "app/dialogs/DialogChecks.h"
#include "app/dialogs/DialogTexts.h"
#include "views/OverlayData.h"
#include "views/ViewTexts.h"

namespace orvanix {

std::string OverlayFilePath(const std::string& folder, int pane, int slot) {
  const char* name = pane == 0 ? viewtext::kOverlayFileLeft : viewtext::kOverlayFileRight;
  return folder + "/" + Format(name, slot);
}

TOverlayDialog::TOverlayDialog(QWidget* parent, const TSpectrumPlotOptions& current,
                               const std::string& overlayFolder)
    : TDialogBase(parent, dlgtext::kOverlayTitle, true), result_(current) {
  using namespace dlgtext;
  auto* panes = new QHBoxLayout;
  for (int pane = 0; pane < 2; ++pane) {
    auto* group = new QGroupBox(Qs(pane == 0 ? kOverlayPaneFirst : kOverlayPaneSecond));
    auto* grid = new QGridLayout(group);
    for (int slot = 0; slot < kOverlaySlots; ++slot) {
      std::vector<CurvePoint> points;
      std::string legend;
      const TOverlayData::ReadResult read =
          TOverlayData::Read(OverlayFilePath(overlayFolder, pane, slot + 1), points, legend);
      hasFile_[pane][slot] = read == TOverlayData::ReadResult::Ok;
      // Mnemonics 1-4 for the first pane only; the second pane's boxes are reached by Tab.
      const std::string text = Format(kOverlaySlot, slot + 1);
      auto* box = new QCheckBox(pane == 0 ? Qs(text) : Qs(text).remove('&'));
      auto* label = new QLabel(hasFile_[pane][slot] ? Qs(legend) : Qs(kOverlayNoFile));
      label->setMinimumWidth(160);
      f_.show[pane][slot] = box;
      f_.legend[pane][slot] = label;
      grid->addWidget(box, slot, 0);
      grid->addWidget(label, slot, 1);
    }
    panes->addWidget(group);
  }

  auto* colors = new QGroupBox(Qs(kOverlayColors));
  auto* colorRow = new QHBoxLayout(colors);
  for (int slot = 0; slot < kOverlaySlots; ++slot) {
    f_.color[slot] = new TColorButton(Qs(Format(kOverlayColor, slot + 1)), 0);
    f_.color[slot]->setAutoDefault(false);
    colorRow->addWidget(f_.color[slot]);
  }

  f_.legendSize = new QLineEdit;
  f_.legendSize->setMaximumWidth(60);
  auto* sizeForm = new QFormLayout;
  sizeForm->addRow(Qs(kLegendSize), f_.legendSize);

  auto* body = new QVBoxLayout;
  body->addLayout(panes);
  body->addWidget(colors);
  body->addLayout(sizeForm);
  SetBody(body);
  Show(current);
}

void TOverlayDialog::Show(const TSpectrumPlotOptions& s) {
  for (int pane = 0; pane < 2; ++pane) {
    for (int slot = 0; slot < kOverlaySlots; ++slot) {
      const bool on = s.show[pane][slot] != 0;
      f_.show[pane][slot]->setChecked(on);
      f_.show[pane][slot]->setEnabled(hasFile_[pane][slot] || on);
    }
  }
  for (int slot = 0; slot < kOverlaySlots; ++slot)
    f_.color[slot]->SetColorRef(s.overlayColor[slot]);
  f_.legendSize->setText(QString::number(s.overlayLegendSize));
}

bool TOverlayDialog::Validate() {
  const std::string sizeText = Ss(f_.legendSize->text());
  const std::string message = CheckLegendSize(sizeText);
  if (!message.empty()) {
    Refuse(message, MessageIcon::Information, f_.legendSize);
    return false;
  }
  long long size = 0;
  ParseInteger(sizeText, size);
  TSpectrumPlotOptions s = result_;
  for (int pane = 0; pane < 2; ++pane) {
    for (int slot = 0; slot < kOverlaySlots; ++slot) {
      s.show[pane][slot] = f_.show[pane][slot]->isChecked() ? 1 : 0;
    }
  }
  for (int slot = 0; slot < kOverlaySlots; ++slot)
    s.overlayColor[slot] = f_.color[slot]->ColorRef();
  s.overlayLegendSize = static_cast<int32_t>(size);
  result_ = s;
  return true;
}

void TOverlayDialog::LoadDefaults() {
  const TSpectrumPlotOptions defaults;
  TSpectrumPlotOptions shown = result_;
  shown.show = defaults.show;
  shown.overlayColor = defaults.overlayColor;
  shown.overlayLegendSize = defaults.overlayLegendSize;
  Show(shown);
}

}  // namespace orvanix
