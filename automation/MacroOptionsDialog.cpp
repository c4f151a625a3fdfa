#include "automation/MacroOptionsDialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "automation/MacroTexts.h"
#include "engine/Messages.h"
#include "ui/FileDialogs.h"

namespace orvanix {

namespace {

// A line edit with its "Pick..." button.
QWidget* WithPick(QLineEdit* edit, QPushButton*& pick) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(edit, 1);
  pick = new QPushButton(QObject::tr("Pick..."), row);
  layout->addWidget(pick);
  return row;
}

}  // namespace

TMacroOptionsDialog::TMacroOptionsDialog(QWidget* parent, const TMacroOptions& options,
                                         const std::string& folder, TFileChooser* chooser)
    : TDialogBase(parent, kMacroOptionsTitle, true),
      result_(options),
      folder_(folder),
      chooser_(chooser) {
  setObjectName("DIALOG_MACRO_OPTS");
  auto* body = new QVBoxLayout;
  auto* form = new QFormLayout;
  output_ = new QLineEdit(Qs(options.outputFilename));
  viewer_ = new QLineEdit(Qs(options.outputViewerProgram));
  QPushButton* pickOutput = nullptr;
  QPushButton* pickViewer = nullptr;
  form->addRow(tr("Output Filename"), WithPick(output_, pickOutput));
  form->addRow(tr("Output File Viewer Program"), WithPick(viewer_, pickViewer));
  connect(pickOutput, &QPushButton::clicked, this, [this] { PickOutput(); });
  connect(pickViewer, &QPushButton::clicked, this, [this] { PickViewer(); });
  body->addLayout(form);
  auto* mode = new QGroupBox(tr("Output File Mode"));
  auto* modeLayout = new QHBoxLayout(mode);
  overwrite_ = new QRadioButton(tr("&Overwrite"));
  append_ = new QRadioButton(tr("&Append"));
  modeLayout->addWidget(overwrite_);
  modeLayout->addWidget(append_);
  (options.overwrite ? overwrite_ : append_)->setChecked(true);
  body->addWidget(mode);
  SetBody(body);
}

std::string TMacroOptionsDialog::Pick(const char* title, const char* filter) {
  TFileRequest request;
  request.kind = TFileRequest::Kind::Open;
  request.title = title;
  request.filter = filter;
  request.folder = folder_;
  TQtFileChooser qt;
  return (chooser_ ? *chooser_ : static_cast<TFileChooser&>(qt)).Choose(request, this);
}

void TMacroOptionsDialog::PickOutput() {
  const std::string path =
      Pick(kMacroPickOutputTitle, Format(kMacroPickFilter, kMacroOutputFileName).c_str());
  if (!path.empty()) output_->setText(Qs(path));
}

void TMacroOptionsDialog::PickViewer() {
  const std::string path = Pick(kMacroPickViewerTitle, kMacroViewerFilter);
  if (!path.empty()) viewer_->setText(Qs(path));
}

bool TMacroOptionsDialog::Validate() {
  result_.outputFilename = Ss(output_->text()).substr(0, 256);
  result_.outputViewerProgram = Ss(viewer_->text()).substr(0, 260);
  result_.overwrite = overwrite_->isChecked() ? 1 : 0;
  return true;
}

void TMacroOptionsDialog::LoadDefaults() {
  overwrite_->setChecked(true);
  output_->setText(Qs(folder_ + "/" + kMacroDefaultOutput));
  viewer_->setText(Qs(kMacroDefaultViewer));
}

}  // namespace orvanix
