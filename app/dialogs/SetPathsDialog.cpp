#include "app/dialogs/SetPathsDialog.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "app/dialogs/DialogTexts.h"
#include "engine/ProcessingSettings.h"
#include "files/Configuration.h"

namespace orvanix {

TSetPathsDialog::TSetPathsDialog(QWidget* parent, const TPaths& current)
    : TDialogBase(parent, kSetPathsTitle, true), result_(current) {
  auto* grid = new QGridLayout;
  for (size_t i = 0; i < kFolderCount; ++i) {
    const int row = static_cast<int>(i);
    auto* edit = new QLineEdit;
    edit->setMaxLength(static_cast<int>(kPathLength - 1));
    edit->setMinimumWidth(360);
    auto* label = new QLabel(Qs(kPathLabels[i]));
    label->setBuddy(edit);
    auto* browse = new QToolButton;
    browse->setText(QStringLiteral("..."));
    browse->setToolTip(Qs(dlgtext::kChooseFolder));
    connect(browse, &QToolButton::clicked, this, [this, i] { ChooseFolder(i); });
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(browse, row, 2);
    edits_[i] = edit;
  }
  SetBody(grid);
  Show(current);
}

void TSetPathsDialog::Show(const TPaths& paths) {
  for (size_t i = 0; i < kFolderCount; ++i) edits_[i]->setText(Qs(paths.folders[i]));
}

void TSetPathsDialog::ChooseFolder(size_t index) {
  const QString folder =
      QFileDialog::getExistingDirectory(this, Qs(dlgtext::kChooseFolder), edits_[index]->text());
  if (!folder.isEmpty()) edits_[index]->setText(folder);
}

bool TSetPathsDialog::Validate() {
  for (size_t i = 0; i < kFolderCount; ++i) result_.folders[i] = Ss(edits_[i]->text());
  return true;
}

void TSetPathsDialog::LoadDefaults() {
  Show(DefaultPaths());
}

}  // namespace orvanix
