#include "app/dialogs/AnnotationsDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/dialogs/DialogChecks.h"
#include "app/dialogs/DialogTexts.h"

namespace orvanix {

TAnnotationsDialog::TAnnotationsDialog(QWidget* parent, const TPrintOptions& current)
    : TDialogBase(parent, dlgtext::kAnnotationsTitle, true), result_(current) {
  using namespace dlgtext;
  f_.annotation1 = new QLineEdit;
  f_.annotation2 = new QLineEdit;
  for (QLineEdit* line : {f_.annotation1, f_.annotation2}) {
    line->setMaxLength(kAnnotationChars);
    line->setMinimumWidth(380);
  }
  auto* lines = new QFormLayout;
  lines->addRow(Qs(kAnnotationLine1), f_.annotation1);
  lines->addRow(Qs(kAnnotationLine2), f_.annotation2);
  auto* linesGroup = new QGroupBox(Qs(kAnnotationsGroup));
  linesGroup->setLayout(lines);

  auto* margins = new QGridLayout;
  for (size_t i = 0; i < f_.margins.size(); ++i) {
    f_.margins[i] = new QLineEdit;
    f_.margins[i]->setMaximumWidth(80);
    auto* label = new QLabel(Qs(kMarginNames[i]));
    label->setBuddy(f_.margins[i]);
    margins->addWidget(label, int(i / 2), int(i % 2) * 2);
    margins->addWidget(f_.margins[i], int(i / 2), int(i % 2) * 2 + 1);
  }
  auto* marginsGroup = new QGroupBox(Qs(kMarginsGroup));
  marginsGroup->setLayout(margins);

  f_.commentBlock = new QCheckBox(Qs(kCommentBlock));
  f_.comments = new QPlainTextEdit;
  f_.comments->setLineWrapMode(QPlainTextEdit::NoWrap);
  f_.comments->setTabChangesFocus(true);
  f_.comments->setFixedHeight(f_.comments->fontMetrics().lineSpacing() * 7);
  connect(f_.commentBlock, &QCheckBox::toggled, f_.comments, &QWidget::setEnabled);
  auto* comments = new QVBoxLayout;
  comments->addWidget(f_.commentBlock);
  comments->addWidget(f_.comments);
  auto* commentsGroup = new QGroupBox(Qs(kCommentsGroup));
  commentsGroup->setLayout(comments);

  auto* body = new QVBoxLayout;
  body->addWidget(linesGroup);
  body->addWidget(marginsGroup);
  body->addWidget(commentsGroup);
  SetBody(body);
  Show(current);
}

void TAnnotationsDialog::Show(const TPrintOptions& options) {
  f_.annotation1->setText(Qs(options.annotation1));
  f_.annotation2->setText(Qs(options.annotation2));
  const float margins[4] = {options.marginLeft, options.marginRight, options.marginTop,
                            options.marginBottom};
  for (size_t i = 0; i < f_.margins.size(); ++i) f_.margins[i]->setText(FloatText(margins[i]));
  f_.commentBlock->setChecked(options.enableCommentBlock != 0);
  f_.comments->setEnabled(options.enableCommentBlock != 0);
  // The comments up to the last one that is set, blank ones between them kept.
  size_t last = 0;
  for (size_t i = 0; i < options.comments.size(); ++i) {
    if (!options.comments[i].empty()) last = i + 1;
  }
  QStringList text;
  for (size_t i = 0; i < last; ++i) text << Qs(options.comments[i]);
  f_.comments->setPlainText(text.join('\n'));
}

bool TAnnotationsDialog::Validate() {
  float margins[4];
  for (size_t i = 0; i < f_.margins.size(); ++i) {
    const double inches = FieldNumber(Ss(f_.margins[i]->text()));
    if (!(inches >= 0.0 && inches <= kMaxMarginInches)) {
      Refuse(dlgtext::kMarginMessage, MessageIcon::Error, f_.margins[i]);
      return false;
    }
    margins[i] = static_cast<float>(inches);
  }
  QStringList lines = f_.comments->toPlainText().split('\n');
  while (!lines.isEmpty() && lines.back().trimmed().isEmpty()) lines.removeLast();
  if (lines.size() > static_cast<qsizetype>(kPrintCommentCount)) {
    Refuse(Format(dlgtext::kCommentLinesMessage, static_cast<int>(kPrintCommentCount)),
           MessageIcon::Error, f_.comments);
    return false;
  }
  for (const QString& line : lines) {
    if (Ss(line).size() > static_cast<size_t>(kCommentChars)) {
      Refuse(Format(dlgtext::kCommentLengthMessage, kCommentChars), MessageIcon::Error,
             f_.comments);
      return false;
    }
  }
  TPrintOptions options = result_;
  options.annotation1 = Ss(f_.annotation1->text());
  options.annotation2 = Ss(f_.annotation2->text());
  options.marginLeft = margins[0];
  options.marginRight = margins[1];
  options.marginTop = margins[2];
  options.marginBottom = margins[3];
  options.enableCommentBlock = f_.commentBlock->isChecked() ? 1 : 0;
  for (size_t i = 0; i < options.comments.size(); ++i) {
    options.comments[i] = i < static_cast<size_t>(lines.size()) ? Ss(lines[int(i)]) : std::string();
  }
  result_ = options;
  return true;
}

void TAnnotationsDialog::LoadDefaults() {
  Show(TPrintOptions{});
}

}  // namespace orvanix
