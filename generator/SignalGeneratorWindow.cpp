#include "generator/SignalGeneratorWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <filesystem>

#include "acquisition/SoundPort.h"
#include "app/core/Commands.h"
#include "app/gui/GuiRegistry.h"
#include "app/gui/ViewWindows.h"
#include "engine/Messages.h"
#include "files/Configuration.h"
#include "generator/GeneratorModule.h"
#include "generator/GeneratorTexts.h"
#include "generator/OutputLevelDialog.h"
#include "generator/SignalGenerator.h"
#include "generator/SignalTypes.h"
#include "ui/FileDialogs.h"

namespace orvanix {

namespace {

using namespace gentext;

TFileChooser* g_chooser = nullptr;

TFileChooser& Chooser() {
  static TQtFileChooser qt;
  return g_chooser ? *g_chooser : qt;
}

// The right type list in mono holds only "N/A" and explains itself instead of opening.
class TChannelList : public QComboBox {
 public:
  void SetMonoOnly(bool mono) { mono_ = mono; }
  void showPopup() override {
    if (mono_) {
      Messages().Report(kMonoOnly, kProgramTitle, MessageIcon::Information);
      return;
    }
    QComboBox::showPopup();
  }

 private:
  bool mono_ = false;
};

TGeneratorModule* ModuleOf(TAnalyzerCore& core) {
  auto* module = core.FindModule<TGeneratorModule>(TGeneratorModule::kName);
  if (!module) {
    core.AddModule(std::make_unique<TGeneratorModule>(core));
    module = core.FindModule<TGeneratorModule>(TGeneratorModule::kName);
  }
  return module;
}

void Restart(TAnalyzerCore& core, bool wasRunning, RunState state) {
  if (!wasRunning) return;
  if (state == kStatePlaying) {
    core.Play();
  } else {
    core.Start();
  }
}

}  // namespace

void SetGeneratorFileChooser(TFileChooser* chooser) {
  g_chooser = chooser;
}

TSignalGeneratorWindow::TSignalGeneratorWindow(TAnalyzerCore& core, QWidget* parent)
    : QWidget(parent), core_(core), module_(ModuleOf(core)) {
  setObjectName("SignalGeneratorClass");
  run_ = new QPushButton(Qs(kRun));
  run_->setObjectName("Run");  // 210
  stop_ = new QPushButton(Qs(kStop));
  stop_->setObjectName("Stop");  // 211
  level_ = new QPushButton(Qs(kLevel));
  level_->setObjectName("Level");  // 213
  leftType_ = new QComboBox;
  leftType_->setObjectName("LeftType");  // 205
  rightType_ = new TChannelList;
  rightType_->setObjectName("RightType");  // 206
  leftDetails_ = new QPushButton(Qs(kDetails));
  leftDetails_->setObjectName("LeftDetails");  // 207
  rightDetails_ = new QPushButton(Qs(kDetails));
  rightDetails_->setObjectName("RightDetails");  // 208
  volume_ = new QScrollBar(Qt::Vertical);
  volume_->setObjectName("Volume");  // 511
  volume_->setRange(0, 99);
  auto* left = new QLabel(Qs(kLeftLabel));
  auto* right = new QLabel(Qs(kRightLabel));

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 6, 6, 6);
  grid->setHorizontalSpacing(4);
  grid->addWidget(run_, 0, 0, 1, 2);
  grid->addWidget(stop_, 0, 0, 1, 2);
  grid->addWidget(level_, 0, 2);
  grid->addWidget(left, 1, 0);
  grid->addWidget(leftType_, 1, 1);
  grid->addWidget(leftDetails_, 1, 2);
  grid->addWidget(right, 2, 0);
  grid->addWidget(rightType_, 2, 1);
  grid->addWidget(rightDetails_, 2, 2);
  grid->addWidget(volume_, 0, 3, 3, 1);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  fullOnly_ = {run_,  level_,     left,          leftType_, leftDetails_,
               right, rightType_, rightDetails_, volume_};

  connect(run_, &QPushButton::clicked, this, [this] {
    if (TSignalGenerator* g = Generator()) g->Start();
  });
  connect(stop_, &QPushButton::clicked, this, [this] {
    if (TSignalGenerator* g = Generator()) g->Stop();
  });
  connect(level_, &QPushButton::clicked, this, [this] { ShowLevel(); });
  connect(leftType_, &QComboBox::activated, this, [this](int index) { ChooseType(0, index); });
  connect(rightType_, &QComboBox::activated, this, [this](int index) {
    if (stereoShown_) ChooseType(1, index);
  });
  connect(leftDetails_, &QPushButton::clicked, this, [this] { ShowDetails(0); });
  connect(rightDetails_, &QPushButton::clicked, this, [this] { ShowDetails(1); });
  // The bar shows 99 - volume: at the top is loudest.
  connect(volume_, &QScrollBar::valueChanged, this, [this](int position) {
    if (TSignalGenerator* g = Generator()) g->SetVolume(99 - position);
  });

  module_->OpenForWindow(this);
  module_->SetChangeHandler([this] { Refresh(); });
  if (TSignalGenerator* g = Generator()) {
    g->SetBusyHandler([](bool busy) {
      if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
      } else {
        QApplication::restoreOverrideCursor();
      }
    });
  }
  FillLists();
  Refresh();
}

TSignalGeneratorWindow::~TSignalGeneratorWindow() {
  Release();
}

void TSignalGeneratorWindow::Release() {
  // A successor may hold the generator already (see TGeneratorModule::OpenForWindow).
  if (!module_->OwnedBy(this)) return;
  if (TSignalGenerator* g = Generator()) g->SetBusyHandler({});
  module_->SetChangeHandler({});
  module_->CloseForWindow(this);
}

TSignalGenerator* TSignalGeneratorWindow::Generator() const {
  return module_->OwnedBy(this) ? module_->Generator() : nullptr;
}

void TSignalGeneratorWindow::FillLists() {
  const bool stereo = core_.Settings().processing.format.channels == 2;
  stereoShown_ = stereo;
  const QSignalBlocker blockLeft(leftType_);
  const QSignalBlocker blockRight(rightType_);
  leftType_->clear();
  rightType_->clear();
  for (const char* name : kTypeNames) leftType_->addItem(Qs(name));
  if (stereo) {
    for (const char* name : kTypeNames) rightType_->addItem(Qs(name));
  } else {
    rightType_->addItem(Qs(kNotApplicable));
  }
  static_cast<TChannelList*>(rightType_)->SetMonoOnly(!stereo);
}

void TSignalGeneratorWindow::Refresh() {
  const TGeneratorSettings& s = module_->Settings();
  if ((core_.Settings().processing.format.channels == 2) != stereoShown_) FillLists();
  {
    const QSignalBlocker blockLeft(leftType_);
    const QSignalBlocker blockRight(rightType_);
    leftType_->setCurrentIndex(IsValidSignalType(s.left.type) ? s.left.type : 0);
    if (stereoShown_)
      rightType_->setCurrentIndex(IsValidSignalType(s.right.type) ? s.right.type : 0);
  }
  leftDetails_->setEnabled(HasDetails(s.left.type));
  rightDetails_->setEnabled(stereoShown_ && HasDetails(s.right.type));
  const TSignalGenerator* g = Generator();
  {
    const QSignalBlocker block(volume_);
    volume_->setValue(99 - (g ? g->Volume() : 99));
  }
  SetCompact(g && g->Playing());
}

void TSignalGeneratorWindow::SetCompact(bool compact) {
  compact_ = compact;
  for (QWidget* w : fullOnly_) w->setVisible(!compact);
  run_->setVisible(!compact && !(Generator() && Generator()->Playing()));
  stop_->setVisible(compact);
  // The playing state shows as the Stop button alone, with an empty caption.
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    sub->setWindowTitle(compact ? QString() : Qs(kWindowTitle));
    // A small window that floats over the views (the design's popup): a view activated
    // meanwhile must not bury its Stop button.
    sub->raise();
  }
  FitFrame();
}

void TSignalGeneratorWindow::FitFrame() {
  auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
  if (!sub || sub->isMaximized() || sub->isMinimized()) return;
  adjustSize();
  sub->adjustSize();
}

void TSignalGeneratorWindow::Apply(const std::function<bool(TGeneratorSettings&)>& edit) {
  TSignalGenerator* g = Generator();
  if (!g) return;
  const bool wasPlaying = g->Playing();
  g->Stop();
  TGeneratorSettings settings = g->Settings();
  if (edit(settings)) g->SetSettings(settings);
  if (wasPlaying) g->Start();
  Refresh();
}

void TSignalGeneratorWindow::ChooseType(int channel, int type) {
  TSignalGenerator* g = Generator();
  if (!g || !IsValidSignalType(type)) return;
  const long nyquist = g->Nyquist();
  Apply([&](TGeneratorSettings& s) {
    TSignalRecord record = channel ? s.right : s.left;
    record.type = type;
    // Cancel keeps the previous type (Refresh puts the list back).
    if (!RunDetailsDialog(this, type, record, nyquist,
                          [this](QWidget* parent, const std::string& now) {
                            return PickWaveFile(parent, core_, now);
                          })) {
      return false;
    }
    (channel ? s.right : s.left) = record;
    return true;
  });
}

void TSignalGeneratorWindow::ShowDetails(int channel) {
  TSignalGenerator* g = Generator();
  if (!g) return;
  const int type = channel ? g->Settings().right.type : g->Settings().left.type;
  if (!HasDetails(type)) return;
  ChooseType(channel, type);
}

void TSignalGeneratorWindow::ShowLevel() {
  Apply([this](TGeneratorSettings& s) { return RunOutputLevelDialog(this, s.level); });
}

void TSignalGeneratorWindow::ChooseOutputDevice(int deviceId) {
  // The generator follows the analyzer's output device and rebuilds for it.
  core_.ChangeSettings([deviceId](TAnalyzerSettings& s) { s.devices.outputDeviceId = deviceId; },
                       SettingsOrigin::Outside);
  core_.RecreatePorts();
}

void TSignalGeneratorWindow::SettingsChanged() {
  Refresh();
}

void TSignalGeneratorWindow::StateChanged() {
  Refresh();
}

bool TSignalGeneratorWindow::event(QEvent* event) {
  if (event->type() == QEvent::Show) {
    // The frame gives a new child a default size; this window has its own (the full or the
    // compact layout), wherever the frame put it.
    QTimer::singleShot(0, this, [this] { FitFrame(); });
  }
  if (event->type() == QEvent::ParentChange) {
    if (auto* child = qobject_cast<TChildWindow*>(parentWidget())) {
      connect(child, &TChildWindow::Closing, this, [this] { Release(); });
    }
  }
  return QWidget::event(event);
}

void TSignalGeneratorWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QMenu* devices = menu.addMenu(tr("Output &Device"));
  const int current = core_.Settings().devices.outputDeviceId;
  const int count = TSoundPort::DeviceCount(TSoundDirection::Output);
  for (int id = 0; id < count; ++id) {
    QAction* action = devices->addAction(Qs(TSoundPort::DeviceName(TSoundDirection::Output, id)),
                                         this, [this, id] { ChooseOutputDevice(id); });
    action->setCheckable(true);
    action->setChecked(id == TSoundPort::ClampDeviceId(TSoundDirection::Output, current));
  }
  menu.addAction(tr("Save Signal To &Wave File..."), this,
                 [this] { RunSaveSignalDialog(this, core_); });
  menu.exec(event->globalPos());
}

// ---- the file dialogs ----------------------------------------------------------------------

bool RunSaveSignalDialog(QWidget* parent, TAnalyzerCore& core) {
  auto* module = core.FindModule<TGeneratorModule>(TGeneratorModule::kName);
  if (!module || !module->IsOpen()) return false;
  const RunState state = core.State();
  const bool wasRunning = core.IsRunning();
  core.Stop();
  TFileRequest request;
  request.kind = TFileRequest::Kind::Save;
  request.title = kSaveTitle;
  request.filter = Format(kSaveFilter, kWaveFiles);
  request.folder = core.LastFolder(kFolderWave);
  const std::string path = Chooser().Choose(request, parent);
  const bool saved = !path.empty() && module->SaveSignalCommand(path);
  Restart(core, wasRunning, state);
  return saved;
}

std::string PickWaveFile(QWidget* parent, TAnalyzerCore& core, const std::string& current) {
  TFileRequest request;
  request.kind = TFileRequest::Kind::Open;
  request.title = kUserDefinedTitle;
  request.filter = Format(kSaveFilter, kWaveFiles);
  request.folder = current.empty() ? core.LastFolder(kFolderWave)
                                   : std::filesystem::path(current).parent_path().string();
  const std::string path = Chooser().Choose(request, parent);
  if (!path.empty()) {
    core.SetLastFolder(kFolderWave, std::filesystem::path(path).parent_path().string());
  }
  return path;
}

void RegisterGeneratorWindows() {
  RegisterWindow(kWindowSignalGenerator, [](TAnalyzerCore& core, TAnalyzerObserver*& observer) {
    auto* window = new TSignalGeneratorWindow(core);
    observer = window;
    return window;
  });
  RegisterDialog(kCmdSaveSignal, RunSaveSignalDialog);
}

}  // namespace orvanix
