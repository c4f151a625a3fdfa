#include "automation/MacroWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>

#include "app/gui/MainWin.h"
#include "automation/MacroModule.h"
#include "automation/MacroOptionsDialog.h"
#include "automation/MacroTexts.h"
#include "engine/Messages.h"
#include "files/Configuration.h"
#include "ui/FileDialogs.h"
#include "ui/Launcher.h"

namespace orvanix {

namespace {

TFileChooser* gChooser = nullptr;

QString Qs(const char* text) {
  return QString::fromUtf8(text);
}

// The last part of the output file the panel shows: enough for the lines a macro writes
// between two looks, never the whole of an overnight log.
constexpr qint64 kOutputTailBytes = 64 * 1024;
constexpr int kOutputRefreshMsec = 500;

}  // namespace

void TMacroWindow::UseChooser(TFileChooser* chooser) {
  gChooser = chooser;
}

TMacroWindow::TMacroWindow(TAnalyzerCore& core, TMacroModule& module, QWidget* parent)
    : QWidget(parent), core_(core), module_(module) {
  setObjectName("MacroProcessorClass");
  setMinimumSize(240, 200);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* menu = new QMenuBar(this);
  QMenu* file = menu->addMenu(tr("&File"));
  file->addAction(tr("&New..."), this, [this] { New(); });
  file->addAction(tr("&Open..."), this, [this] { Open(); });
  // Close and Exit close the window (its MDI child), asking first.
  file->addAction(tr("&Close"), this, [this] {
    if (QWidget* child = parentWidget()) child->close();
  });
  file->addAction(tr("&Save..."), this, [this] { Save(); });
  file->addAction(tr("Save &As..."), this, [this] { SaveAs(); });
  file->addSeparator();
  file->addAction(tr("E&xit"), this, [this] {
    if (QWidget* child = parentWidget()) child->close();
  });
  QMenu* options = menu->addMenu(tr("&Options"));
  options->addAction(tr("Options..."), this, [this] { Options(); });
  QMenu* help = menu->addMenu(tr("&Help"));
  help->addAction(tr("Macro Command Syntax..."), this, [this] {
    if (auto* frame = qobject_cast<TMainWin*>(window())) {
      frame->ShowHelp(QStringLiteral("docs/automation.md"));
    }
  });
  layout->setMenuBar(menu);

  // The buttons along the top, 3 pixels down, between two lines across the window.
  auto* bar = new QFrame(this);
  bar->setFrameShape(QFrame::StyledPanel);
  bar->setFixedHeight(26);
  run_ = new QPushButton(Qs(kMacroRun), bar);
  run_->setObjectName("Run");
  run_->setGeometry(2, 3, 60, 20);
  stop_ = new QPushButton(Qs(kMacroStop), bar);
  stop_->setObjectName("Stop");
  stop_->setGeometry(66, 3, 60, 20);
  view_ = new QPushButton(Qs(kMacroViewOutput), bar);
  view_->setObjectName("ViewOutput");
  view_->setGeometry(130, 3, 120, 20);
  connect(run_, &QPushButton::clicked, this, [this] { Run(); });
  connect(stop_, &QPushButton::clicked, this, [this] { Stop(); });
  connect(view_, &QPushButton::clicked, this, [this] { ViewOutput(); });
  layout->addWidget(bar);

  auto* split = new QSplitter(Qt::Vertical, this);
  editor_ = new QPlainTextEdit(split);
  editor_->setObjectName("Editor");
  editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* outputBox = new QWidget(split);
  auto* outputLayout = new QVBoxLayout(outputBox);
  outputLayout->setContentsMargins(2, 2, 2, 2);
  outputLayout->setSpacing(1);
  outputTitle_ = new QLabel(outputBox);
  output_ = new QPlainTextEdit(outputBox);
  output_->setObjectName("Output");
  output_->setReadOnly(true);
  output_->setLineWrapMode(QPlainTextEdit::NoWrap);
  outputLayout->addWidget(outputTitle_);
  outputLayout->addWidget(output_);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 1);
  layout->addWidget(split, 1);
  connect(editor_, &QPlainTextEdit::textChanged, this, [this] { UpdateState(); });

  outputTimer_ = new QTimer(this);
  outputTimer_->setInterval(kOutputRefreshMsec);
  connect(outputTimer_, &QTimer::timeout, this, [this] {
    UpdateOutput();
    FollowLine();
  });

  module_.SetWindowOpen(true);
  module_.SetTextSource([this] { return editor_->toPlainText().toStdString(); });
  module_.SetChangeHandler([this] {
    if (module_.TextVersion() != shownVersion_) ShowModuleText();
    UpdateState();
    UpdateOutput();
  });
  // The file of `MacroFilename` when nothing was loaded yet.
  if (module_.TextVersion() == 0 && !module_.Path().empty() &&
      std::filesystem::exists(module_.Path())) {
    module_.Load(module_.Path());
  }
  ShowModuleText();
  UpdateState();
  UpdateOutput();
  // The MDI child that holds this window takes its title once it exists.
  QTimer::singleShot(0, this, [this] { UpdateState(); });
}

TMacroWindow::~TMacroWindow() {
  module_.SetChangeHandler({});
  module_.SetTextSource({});
  module_.SetWindowOpen(false);
}

void TMacroWindow::ShowModuleText() {
  shownVersion_ = module_.TextVersion();
  std::string text;
  for (const std::string& line : module_.Macro().Lines()) text += line + "\n";
  if (!text.empty()) text.pop_back();
  const QSignalBlocker block(editor_);
  editor_->setPlainText(QString::fromStdString(text));
  editor_->document()->setModified(false);
}

std::string TMacroWindow::DisplayName() const {
  return module_.Path().empty() ? kMacroUntitledName : module_.Path();
}

void TMacroWindow::UpdateState() {
  const bool running = module_.Macro().Running();
  const QString text = editor_->toPlainText();
  const bool empty = text.isEmpty() || text == "\n";
  run_->setEnabled(!running && !empty);
  stop_->setEnabled(running && !empty);
  view_->setEnabled(!running);
  editor_->setReadOnly(running);
  const QString title =
      module_.Path().empty()
          ? Qs(kMacroTitleUntitled)
          : QString::fromStdString(Format(kMacroTitleFile, module_.Path().c_str()));
  setWindowTitle(title);
  if (QWidget* child = parentWidget()) child->setWindowTitle(title);
  if (running) {
    outputTimer_->start();
  } else {
    outputTimer_->stop();
  }
  FollowLine();
}

void TMacroWindow::FollowLine() {
  if (!module_.Macro().Running()) return;
  QTextCursor cursor(editor_->document()->findBlockByNumber(module_.Macro().CurrentLine()));
  cursor.select(QTextCursor::LineUnderCursor);
  editor_->setTextCursor(cursor);
  editor_->ensureCursorVisible();
}

void TMacroWindow::UpdateOutput() {
  const std::string path = module_.Macro().OutputPath().empty()
                               ? module_.Macro().DefaultOutputPath()
                               : module_.Macro().OutputPath();
  outputTitle_->setText(QString::fromStdString(Format(kMacroOutputHeading, path.c_str())));
  QFile file(QString::fromStdString(path));
  QString text;
  if (file.open(QIODevice::ReadOnly)) {
    if (file.size() > kOutputTailBytes) file.seek(file.size() - kOutputTailBytes);
    text = QString::fromUtf8(file.readAll());
  }
  if (text.toStdString() == outputShown_) return;
  outputShown_ = text.toStdString();
  output_->setPlainText(text);
  output_->moveCursor(QTextCursor::End);
}

std::string TMacroWindow::Choose(bool save, const char* title, const char* filter) {
  TFileRequest request;
  request.kind = save ? TFileRequest::Kind::Save : TFileRequest::Kind::Open;
  request.title = title;
  request.filter = filter;
  request.folder = core_.LastFolder(kFolderMacro);
  TQtFileChooser qt;
  const std::string path =
      (gChooser ? *gChooser : static_cast<TFileChooser&>(qt)).Choose(request, this);
  if (!path.empty()) {
    core_.SetLastFolder(kFolderMacro,
                        QFileInfo(QString::fromStdString(path)).absolutePath().toStdString());
  }
  return path;
}

bool TMacroWindow::MayDiscard() {
  if (module_.Macro().Running()) {
    if (Messages().Ask(kMacroStillRunning, kProgramTitle, MessageButtons::YesNo, MessageAnswer::No,
                       MessageIcon::Question) != MessageAnswer::Yes) {
      return false;
    }
    module_.Stop();
  }
  if (!editor_->document()->isModified()) return true;
  switch (Messages().Ask(Format(kMacroChanged, DisplayName().c_str()), kProgramTitle,
                         MessageButtons::YesNoCancel, MessageAnswer::Yes, MessageIcon::Question)) {
    case MessageAnswer::Yes:
      return Save();
    case MessageAnswer::No:
      return true;
    default:
      return false;
  }
}

bool TMacroWindow::ConfirmClose() {
  return MayDiscard();
}

bool TMacroWindow::New() {
  if (!MayDiscard()) return false;
  module_.SetPath({});
  editor_->clear();
  editor_->document()->setModified(false);
  UpdateState();
  return true;
}

bool TMacroWindow::Open() {
  if (!MayDiscard()) return false;
  const std::string path = Choose(false, kMacroOpenTitle, kMacroFilter);
  if (path.empty()) return false;
  setWindowTitle(tr("Opening File..."));
  const bool loaded = module_.Load(path);
  if (loaded) core_.SetMacroFilename(path);
  ShowModuleText();
  UpdateState();
  return loaded;
}

bool TMacroWindow::SaveTo(const std::string& path) {
  // Written beside the file and renamed over it: a failed save leaves the old one whole.
  const std::string temporary = path + ".saving";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    std::string text = editor_->toPlainText().toStdString();
    if (!text.empty() && text.back() != '\n') text += '\n';
    out << text;
    out.flush();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      ReportError(Format(kMacroWriteFailed, path.c_str()));
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    ReportError(Format(kMacroWriteFailed, path.c_str()));
    return false;
  }
  module_.SetPath(path);
  editor_->document()->setModified(false);
  UpdateState();
  return true;
}

bool TMacroWindow::Save() {
  if (module_.Path().empty()) return SaveAs();
  return SaveTo(module_.Path());
}

bool TMacroWindow::SaveAs() {
  const std::string path = Choose(true, kMacroSaveTitle, kMacroFilter);
  if (path.empty()) return false;
  setWindowTitle(tr("Saving File..."));
  const bool saved = SaveTo(path);
  if (saved) core_.SetMacroFilename(path);
  UpdateState();
  return saved;
}

void TMacroWindow::Run() {
  if (!run_->isEnabled()) return;
  module_.Run();
  UpdateState();
}

void TMacroWindow::Stop() {
  module_.Stop();
  UpdateState();
}

bool TMacroWindow::Options() {
  TMacroOptionsDialog dialog(this, core_.Settings().macro, core_.LastFolder(kFolderMacro),
                             gChooser);
  if (dialog.exec() != QDialog::Accepted) return false;
  ApplyOptions(dialog.Result());
  return true;
}

void TMacroWindow::ApplyOptions(const TMacroOptions& options) {
  if (options == core_.Settings().macro) return;
  core_.ChangeSettings([&options](TAnalyzerSettings& s) { s.macro = options; },
                       SettingsOrigin::Dialog);
  UpdateOutput();
}

bool TMacroWindow::ViewOutput() {
  if (module_.Macro().Running()) return false;
  const std::string path = Choose(false, kMacroOutputTitle, kMacroOutputFilter);
  if (path.empty()) return false;
  return OpenTextViewer(core_.Settings().macro.outputViewerProgram, path);
}

}  // namespace orvanix
