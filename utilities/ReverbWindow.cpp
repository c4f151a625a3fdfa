#include "utilities/ReverbWindow.h"

#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "app/core/Commands.h"
#include "app/gui/GuiRegistry.h"
#include "app/gui/MainWin.h"
#include "files/Configuration.h"
#include "ui/FileDialogs.h"
#include "utilities/ReverbOptsDialog.h"
#include "utilities/ReverbPlotWindow.h"
#include "utilities/UtilitiesModule.h"

namespace orvanix {

namespace {

constexpr const char* kReverbFilter = "Reverb Files (*.rvb)|*.rvb|";
constexpr int kMargin = 110;  // the left margin holding the buttons
constexpr int kTop = 54;      // message, gauge and lists above the plot

}  // namespace

TReverbWindow::TReverbWindow(TAnalyzerCore& core, QWidget* parent) : QWidget(parent), core_(core) {
  setObjectName("ReverbClass");
  setFocusPolicy(Qt::StrongFocus);
  module_ = core.FindModule<TUtilitiesModule>(TUtilitiesModule::kName);
  const struct {
    Control id;
    const char* text;
  } buttons[] = {{kStart, "Start"},         {kTimes, "Reverb Times"}, {kDecay, "Decay Plot"},
                 {kSurface, "3-D Surface"}, {kLoad, "Load..."},       {kSave, "Save..."},
                 {kPrint, "Print..."},      {kOptions, "Options..."}};
  for (const auto& b : buttons) {
    auto* button = new QPushButton(b.text, this);
    button->setObjectName(QString::number(b.id));
    buttons_[b.id - kStart] = button;
  }
  connect(Button(kStart), &QPushButton::clicked, this, [this] { StartMeasurement(); });
  connect(Button(kTimes), &QPushButton::clicked, this, [this] { ShowView(kReverbViewTimes); });
  connect(Button(kDecay), &QPushButton::clicked, this, [this] { ShowView(kReverbViewDecay); });
  connect(Button(kSurface), &QPushButton::clicked, this, [this] { ShowView(kReverbViewSurface); });
  connect(Button(kLoad), &QPushButton::clicked, this, [this] { Load(); });
  connect(Button(kSave), &QPushButton::clicked, this, [this] { Save(); });
  connect(Button(kOptions), &QPushButton::clicked, this, [this] { ShowOptions(); });
  connect(Button(kPrint), &QPushButton::clicked, this, [this] {
    // The frame's printing path: annotations, the print dialog, the page.
    if (auto* frame = dynamic_cast<TMainWin*>(window())) frame->RunCommand(kCmdPrint);
  });
  message_ = new QLabel(this);
  gauge_ = new QProgressBar(this);
  gauge_->setRange(0, 100);
  gauge_->setValue(0);
  entries_ = new QComboBox(this);
  spans_ = new QComboBox(this);
  connect(entries_, &QComboBox::activated, this, [this](int index) {
    if (filling_ || !module_) return;
    TReverbOptions o = core_.Settings().reverb;
    if (plot_->View() == kReverbViewTimes) o.displayedRtTime = index;
    if (plot_->View() == kReverbViewDecay) o.displayedDecayBand = index;
    module_->SetReverbOptions(o);
  });
  connect(spans_, &QComboBox::activated, this, [this](int index) {
    if (filling_ || !module_) return;
    TReverbOptions o = core_.Settings().reverb;
    o.displayedDecayTime = index + 1;
    module_->SetReverbOptions(o);
  });
  if (module_) {
    plot_ = new TReverbPlotWindow(core_, *module_, this);
    plot_->bandClicked = [this](int band) {
      TReverbOptions o = core_.Settings().reverb;
      o.displayedDecayBand = band;
      module_->SetReverbOptions(o);
      ShowView(kReverbViewDecay);
    };
    plot_->optionsRequested = [this] { ShowOptions(); };
    plot_->helpRequested = [this] {
      if (auto* frame = dynamic_cast<TMainWin*>(window())) frame->ShowHelp("docs/guide/reverb.md");
    };
    if (module_->Reverb().HasData()) plot_->SetView(kReverbViewTimes);
    module_->SetReverbProgressHandler(
        [this](int percent, const std::string& stage, double) { Progress(percent, stage); });
    module_->SetReverbFinishedHandler([this](ReverbOutcome) { Finished(); });
  }
  setMinimumSize(420, 300);
  Refresh();
}

TReverbWindow::~TReverbWindow() {
  if (module_) {
    module_->CancelReverb();
    module_->SetReverbProgressHandler({});
    module_->SetReverbFinishedHandler({});
  }
}

QPushButton* TReverbWindow::Button(Control id) const {
  const int index = id - kStart;
  return index >= 0 && index < 11 ? buttons_[index] : nullptr;
}

bool TReverbWindow::MaySetDataAside() {
  if (!module_ || !module_->ReverbChanged()) return true;
  const MessageAnswer answer =
      Messages().Ask(kReverbChanged, kProgramTitle, MessageButtons::YesNoCancel, MessageAnswer::Yes,
                     MessageIcon::Question);
  if (answer == MessageAnswer::Cancel) return false;
  if (answer == MessageAnswer::Yes) return Save();
  return true;
}

bool TReverbWindow::StartMeasurement() {
  if (!module_ || module_->ReverbMeasuring() || !MaySetDataAside()) return false;
  plot_->SetView(kReverbViewNone);
  plot_->SetMeasuring(true);
  message_->setText(kReverbInProgress);
  gauge_->setValue(0);
  setFocus();  // Esc reaches the window
  const bool started = module_->StartReverb();
  Refresh();
  return started;
}

void TReverbWindow::Progress(int percent, const std::string& stage) {
  gauge_->setValue(percent);
  message_->setText(Qs(stage));
}

void TReverbWindow::Finished() {
  plot_->SetMeasuring(false);
  const bool measured = module_ && module_->Reverb().HasData();
  plot_->SetView(measured ? std::max(plot_->View(), int(kReverbViewTimes)) : kReverbViewNone);
  message_->setText({});
  gauge_->setValue(measured ? 100 : 0);
  Refresh();
}

bool TReverbWindow::Load(const std::string& given) {
  if (!module_ || module_->ReverbMeasuring() || !MaySetDataAside()) return false;
  std::string path = given;
  if (path.empty()) {
    TQtFileChooser chooser;
    path = chooser.Choose({TFileRequest::Kind::Open, "Load Reverb File", kReverbFilter,
                           core_.LastFolder(kFolderReverb)},
                          this);
    if (path.empty()) return false;
  }
  core_.SetLastFolder(kFolderReverb, Ss(QFileInfo(Qs(path)).absolutePath()));
  const bool loaded = module_->LoadReverb(path);
  if (loaded && plot_->View() == kReverbViewNone) plot_->SetView(kReverbViewTimes);
  if (!loaded) plot_->SetView(kReverbViewNone);
  Refresh();
  return loaded;
}

bool TReverbWindow::Save(const std::string& given) {
  if (!module_ || !module_->Reverb().HasData()) return false;
  std::string path = given;
  if (path.empty()) {
    TQtFileChooser chooser;
    path = chooser.Choose({TFileRequest::Kind::Save, "Save Reverb File", kReverbFilter,
                           core_.LastFolder(kFolderReverb)},
                          this);
    if (path.empty()) return false;
  }
  core_.SetLastFolder(kFolderReverb, Ss(QFileInfo(Qs(path)).absolutePath()));
  const bool saved = module_->SaveReverb(path);
  UpdateTitle();
  return saved;
}

void TReverbWindow::ShowOptions() {
  if (!module_ || module_->ReverbMeasuring()) return;
  if (core_.IsRunning()) core_.Stop();
  TReverbOptsDialog dialog(this, core_.Settings().reverb, module_->ReverbExcitations());
  if (dialog.exec() != QDialog::Accepted) return;
  module_->SetReverbExcitations(dialog.Excitations());
  module_->SetReverbOptions(dialog.Options());
  Refresh();
}

void TReverbWindow::ShowView(int view) {
  if (!module_ || !module_->Reverb().HasData()) return;
  plot_->SetView(view);
  Refresh();
}

void TReverbWindow::SettingsChanged() {
  Refresh();
}

void TReverbWindow::FillLists() {
  filling_ = true;
  const TReverbOptions& o = core_.Settings().reverb;
  const int view = plot_ ? plot_->View() : 0;
  entries_->clear();
  if (view == kReverbViewTimes) {
    for (int i = 1; i <= 6; ++i) entries_->addItem(QString("RT-%1").arg(10 * i));
    entries_->setCurrentIndex(std::clamp(o.displayedRtTime, 0, 5));
  } else if (view == kReverbViewDecay) {
    const TReverbData& d = module_->Reverb();
    for (uint32_t b = 0; b < d.BandCount(); ++b) entries_->addItem(Qs(plot_->BandEntry(b)));
    entries_->setCurrentIndex(std::clamp<int>(o.displayedDecayBand, 0, int(d.BandCount()) - 1));
  }
  entries_->setVisible(view == kReverbViewTimes || view == kReverbViewDecay);
  spans_->clear();
  const int most =
      module_ && module_->Reverb().HasData() ? module_->Reverb().MaxDecay() : o.maxDecayTime;
  spans_->addItem("1 second");
  for (int s = 2; s <= std::max(1, most); ++s) spans_->addItem(QString("%1 seconds").arg(s));
  spans_->setCurrentIndex(std::clamp(o.displayedDecayTime, 1, std::max(1, most)) - 1);
  spans_->setVisible(view != kReverbViewNone);
  filling_ = false;
}

void TReverbWindow::UpdateTitle() {
  const std::string file = module_ ? module_->ReverbFile() : std::string();
  setWindowTitle(file.empty() ? QString("Reverberation Time")
                              : QString("Reverberation Time - %1").arg(Qs(file)));
  if (auto* child = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    child->setWindowTitle(windowTitle());
  }
}

void TReverbWindow::Refresh() {
  const bool measuring = module_ && module_->ReverbMeasuring();
  const bool data = module_ && module_->Reverb().HasData() && !measuring;
  for (Control id : {kTimes, kDecay, kSurface, kSave, kPrint}) Button(id)->setEnabled(data);
  Button(kStart)->setEnabled(module_ && !measuring);
  Button(kLoad)->setEnabled(module_ && !measuring);
  Button(kOptions)->setEnabled(module_ && !measuring);
  if (plot_) FillLists();
  UpdateTitle();
  if (plot_) plot_->update();
}

void TReverbWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && module_ && module_->ReverbMeasuring()) {
    module_->CancelReverb();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TReverbWindow::resizeEvent(QResizeEvent*) {
  int y = 4;
  for (Control id : {kStart, kTimes, kDecay, kSurface, kLoad, kSave, kPrint, kOptions}) {
    Button(id)->setGeometry(4, y, kMargin - 10, 24);
    y += 28;
  }
  const int right = width() - 4;
  message_->setGeometry(kMargin, 2, right - kMargin, 20);
  gauge_->setGeometry(kMargin, 24, std::max(40, (right - kMargin) / 2 - 4), 24);
  const int listX = kMargin + (right - kMargin) / 2;
  entries_->setGeometry(listX, 24, std::max(40, (right - listX) / 2 - 4), 24);
  spans_->setGeometry(listX + (right - listX) / 2, 24, std::max(40, (right - listX) / 2), 24);
  if (plot_) plot_->setGeometry(kMargin, kTop, std::max(1, right - kMargin), height() - kTop - 4);
}

bool TReverbWindow::ConfirmClose() {
  if (module_ && module_->ReverbMeasuring()) module_->CancelReverb();
  return MaySetDataAside();
}

void RegisterReverbWindow() {
  RegisterWindow(kWindowReverb, [](TAnalyzerCore& core, TAnalyzerObserver*& observer) {
    auto* window = new TReverbWindow(core);
    observer = window;
    return static_cast<QWidget*>(window);
  });
  RegisterDialog(kCmdReverbOptions, [](QWidget* parent, TAnalyzerCore& core) {
    auto* module = core.FindModule<TUtilitiesModule>(TUtilitiesModule::kName);
    if (!module) return false;
    if (core.IsRunning()) core.Stop();
    TReverbOptsDialog dialog(parent, core.Settings().reverb, module->ReverbExcitations());
    if (dialog.exec() != QDialog::Accepted) return false;
    module->SetReverbExcitations(dialog.Excitations());
    module->SetReverbOptions(dialog.Options());
    return true;
  });
}

}  // namespace orvanix
