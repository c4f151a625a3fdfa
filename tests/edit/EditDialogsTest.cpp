// The edit module's dialogs: their checks in order, what they enable, the values they keep;
// the modal progress dialog's pacing and its cancel question; the commands run from the
// frame's menu through the registered dialogs.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>
#include <cstdlib>
#include <vector>

#include "EditTestHelpers.h"
#include "app/edit/gui/DecimateDialog.h"
#include "app/edit/gui/EditGui.h"
#include "app/edit/gui/ExportDialog.h"
#include "app/edit/gui/FilterDialog.h"
#include "app/edit/gui/GainDialog.h"
#include "app/edit/gui/ImportDialog.h"
#include "app/edit/gui/ProcessingStatusDialog.h"
#include "app/gui/GuiRegistry.h"
#include "files/DigitalFilter.h"
#include "files/EditTexts.h"
#include "files/TransferTexts.h"
#include "ui/FileDialogs.h"

namespace orvanix {
namespace {

class EditDialogsTest : public test::EditFixture {};

TEST_F(EditDialogsTest, ImportDialogChecksRateAndHeaderAndDisablesWhatWftDecides) {
  TImportDialog dialog(nullptr, TImportOptions{});
  const auto& f = dialog.Widgets();
  EXPECT_EQ(f.rate->text(), "11025");
  EXPECT_TRUE(f.rescale->isChecked());
  EXPECT_EQ(f.headerUnit->text().toStdString(), kHeaderLinesText);
  f.rate->setText("0");
  dialog.OnOk();
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text, kRateMustBePositive);
  f.rate->setText("48000");
  f.header->setChecked(true);
  f.headerSize->setText("-1");
  dialog.OnOk();
  EXPECT_EQ(sink_.Entries().back().text, kHeaderNotNegative);
  // A negative size with no header selected is not checked.
  f.noHeader->setChecked(true);
  f.stereo->setChecked(true);
  f.precision[2]->setChecked(true);
  f.type->setCurrentIndex(kBinary32);
  EXPECT_EQ(f.headerUnit->text().toStdString(), kHeaderBytesText);
  f.define->setChecked(true);
  f.units->setCurrentIndex(2);
  emit f.units->activated(2);
  EXPECT_EQ(f.labelLog->text(), "SPL (dB ref 20uPA)");
  dialog.OnOk();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const TImportOptions& o = dialog.Result();
  EXPECT_EQ(o.sourceType, kBinary32);
  EXPECT_EQ(o.sampleRateHz, 48000u);
  EXPECT_EQ(o.channels, 2u);
  EXPECT_EQ(o.bytesPerSample, 3u);
  EXPECT_FALSE(o.headerPresent);
  EXPECT_EQ(o.scaling, kScaleDefine);
  EXPECT_EQ(o.units, kUnitPascalsAir);
  // WFT: the file's header decides.
  f.type->setCurrentIndex(kWft);
  EXPECT_FALSE(f.stereo->isEnabled());
  EXPECT_FALSE(f.precision[0]->isEnabled());
  EXPECT_FALSE(f.header->isEnabled());
  EXPECT_FALSE(f.define->isEnabled());
  EXPECT_FALSE(f.units->isEnabled());
}

TEST_F(EditDialogsTest, ExportGainDecimateAndFilterDialogsCheckTheirRanges) {
  TExportDialog exportDialog(nullptr, TExportOptions{}, true);
  const auto& e = exportDialog.Widgets();
  e.ratio->SetText("51");
  exportDialog.OnOk();
  EXPECT_EQ(sink_.Entries().back().text, "Decimation Ratio must be between 1 and 50");
  e.ratio->SetText("3");
  e.left->setChecked(false);
  e.right->setChecked(false);
  exportDialog.OnOk();
  EXPECT_EQ(sink_.Entries().back().text, kExportNoChannel);
  e.format->setCurrentRow(kWft);
  EXPECT_FALSE(e.left->isEnabled());
  EXPECT_FALSE(e.ratio->isEnabled());
  exportDialog.OnOk();
  EXPECT_EQ(exportDialog.result(), QDialog::Accepted);
  EXPECT_EQ(exportDialog.Result().format, kWft);

  TGainDialog gain(nullptr, -3, 1.5, false);
  EXPECT_EQ(gain.LeftEdit()->text(), "-3.0");
  EXPECT_FALSE(gain.RightEdit()->isEnabled());
  gain.LeftEdit()->setText("-61");
  gain.OnOk();
  EXPECT_EQ(sink_.Entries().back().text, "Gain must be between -60 and 10 dB");
  gain.LeftEdit()->setText("10");
  gain.OnOk();
  EXPECT_EQ(gain.result(), QDialog::Accepted);
  EXPECT_EQ(gain.LeftDb(), 10);

  // Decimate: the new rate follows the typed ratio; an invalid one shows ratio 1.
  TDecimateDialog decimate(nullptr, 44100, 2, true);
  const auto& d = decimate.Widgets();
  EXPECT_EQ(d.newRate->text(), "22050");
  d.ratio->SetText("3");
  EXPECT_EQ(d.newRate->text(), "14700");
  d.ratio->SetText("x");
  EXPECT_EQ(d.newRate->text(), "44100");
  decimate.OnOk();
  EXPECT_EQ(sink_.Entries().back().text, "Decimation Ratio must be between 1 and 50");
  d.ratio->SetText("50");
  d.lowPass->setChecked(false);
  decimate.OnOk();
  EXPECT_EQ(decimate.Ratio(), 50u);
  EXPECT_FALSE(decimate.LowPass());
}

TEST_F(EditDialogsTest, FilterDialogShowsEachTypesFrequenciesAndChecksThemInOrder) {
  TFilterSettings settings;
  settings.type = kBandPass;
  settings.bpCenterHz = 3000;
  settings.bpWidthHz = 500;
  settings.lpCutoffHz = 1200;
  settings.numTaps = 39;
  TFilterDialog dialog(nullptr, settings, 4000, false);
  const auto& f = dialog.Widgets();
  EXPECT_EQ(f.start->text().toStdString(), kStartText);
  EXPECT_EQ(f.centre->Text(), "3000");
  EXPECT_FALSE(f.cutoff->isEnabled());
  EXPECT_TRUE(f.rolloff[0]->isChecked());
  EXPECT_FALSE(f.right->isEnabled());  // mono
  // Switching type shows that type's values and keeps what was typed for the other.
  f.centre->SetText("3100");
  f.type[kLowPass]->setChecked(true);
  EXPECT_EQ(f.cutoff->Text(), "1200");
  EXPECT_FALSE(f.centre->isEnabled());
  f.cutoff->SetText("5000");
  dialog.OnOk();
  EXPECT_EQ(sink_.Entries().back().text, "Cutoff Frequency must be between 0 and 4000 Hz");
  f.type[kBandPass]->setChecked(true);
  EXPECT_EQ(f.centre->Text(), "3100");
  f.width->SetText("4001");
  dialog.OnOk();
  EXPECT_EQ(sink_.Entries().back().text, "Width Frequency must be between 0 and 4000 Hz");
  f.width->SetText("800");
  f.rolloff[2]->setChecked(true);
  dialog.OnOk();
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Result().type, kBandPass);
  EXPECT_EQ(dialog.Result().bpCenterHz, 3100);
  EXPECT_EQ(dialog.Result().bpWidthHz, 800);
  EXPECT_EQ(dialog.Result().lpCutoffHz, 5000);
  EXPECT_EQ(dialog.Result().numTaps, 199);
  // Defaults: the section's.
  dialog.OnDefaults();
  EXPECT_TRUE(f.type[kLowPass]->isChecked());
  EXPECT_EQ(f.cutoff->Text(), "2000");
  EXPECT_TRUE(f.rolloff[1]->isChecked());
}

// A job that counts its ticks.
class TCountingJob : public TStepJob {
 public:
  explicit TCountingJob(int ticks) : ticks_(ticks) {}
  bool Step() override { return ++done_ < ticks_ && !cancelled_; }
  int Percent() const override { return done_ * 100 / ticks_; }
  std::string StatusText() const override { return "Counting..."; }
  bool Failed() const override { return cancelled_; }
  void Cancel() override { cancelled_ = true; }
  int done_ = 0;
  int ticks_;
  bool cancelled_ = false;
};

// Answers questions after letting events run for a while, as an open message box would.
class TPumpingSink : public TRecordingSink {
 public:
  explicit TPumpingSink(TCountingJob& job) : job_(job) {}
  MessageAnswer Ask(std::string_view text, std::string_view caption, MessageButtons buttons,
                    MessageAnswer answer, MessageIcon icon) override {
    const int before = job_.done_;
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    ticksWhileOpen += job_.done_ - before;
    TRecordingSink::Ask(text, caption, buttons, answer, icon);
    return next;
  }
  TCountingJob& job_;
  int ticksWhileOpen = 0;
  MessageAnswer next = MessageAnswer::No;
};

TEST_F(EditDialogsTest, ProgressDialogTicksEvery50MillisecondsAndAsksBeforeCancelling) {
  TCountingJob job(1000);
  TPumpingSink sink(job);
  TScopedMessageSink scope(&sink);
  TProcessingStatusDialog dialog(nullptr, job, kCancelImportQuestion);
  QElapsedTimer clock;
  clock.start();
  // Esc after half a second: "No" resumes, the second time "Yes" cancels.
  QTimer::singleShot(500, &dialog, [&] {
    EXPECT_EQ(dialog.Status()->text(), "Counting...");
    const int ticks = job.done_;
    EXPECT_LE(ticks, 11);  // 50 ms apart: no faster
    dialog.reject();
    EXPECT_FALSE(job.cancelled_);
    sink.next = MessageAnswer::Yes;
    QTimer::singleShot(200, &dialog, [&] { dialog.reject(); });
  });
  EXPECT_FALSE(dialog.RunJob());
  EXPECT_TRUE(job.cancelled_);
  EXPECT_EQ(sink.ticksWhileOpen, 0);  // no tick ran under an open question
  ASSERT_EQ(sink.Entries().size(), 2u);
  EXPECT_EQ(sink.Entries()[0].text, kCancelImportQuestion);
  EXPECT_GE(clock.elapsed(), 1000);

  // A job that ends by itself closes the dialog as done.
  TCountingJob quick(3);
  TProcessingStatusDialog done(nullptr, quick, nullptr);
  EXPECT_TRUE(done.RunJob());
  EXPECT_EQ(done.Progress()->value(), 100);
}

class TScriptedChooser : public TFileChooser {
 public:
  std::string Choose(const TFileRequest& request, QWidget*) override {
    requests.push_back(request);
    if (answers.empty()) return {};
    std::string next = answers.front();
    answers.erase(answers.begin());
    return next;
  }
  std::vector<TFileRequest> requests;
  std::vector<std::string> answers;
};

TEST_F(EditDialogsTest, RegisteredDialogsRunImportAndMergeWithTheirFileDialogs) {
  RegisterEditGui();
  TScriptedChooser chooser;
  SetEditFileChooser(&chooser);
  ASSERT_TRUE(core_->SetMode(kModePostProcessing));
  // Import: the dialog, then "Select File to Import from" with the type's filter.
  const std::string text = scratch_.File("in.txt");
  {
    std::FILE* f = std::fopen(text.c_str(), "w");
    std::fputs("1\n-1\n0\n", f);
    std::fclose(f);
  }
  chooser.answers = {text};
  test::WhenDialogShows([](QDialog* dialog) { static_cast<TImportDialog*>(dialog)->OnOk(); });
  ASSERT_TRUE((*FindDialogRunner(kCmdImport))(nullptr, *core_));
  ASSERT_EQ(chooser.requests.size(), 1u);
  EXPECT_EQ(chooser.requests[0].title, kImportFileTitle);
  EXPECT_EQ(chooser.requests[0].filter, "File Import (*.txt)|*.txt|All Files (*.*)|*.*|");
  ASSERT_TRUE(core_->HasDocument());
  EXPECT_EQ(core_->Document()->Length(), 3u);
  core_->Document()->SetModified(false);
  ASSERT_TRUE(core_->CloseDocument());

  // Merge: the information box (Cancel ends it), then the two sources.
  sink_.QueueAnswer(MessageAnswer::Cancel);
  chooser.requests.clear();
  EXPECT_FALSE((*FindDialogRunner(kCmdMerge))(nullptr, *core_));
  EXPECT_EQ(sink_.Entries().back().text, kMergeInformation);
  EXPECT_TRUE(chooser.requests.empty());
  chooser.answers = {NoiseFile("l.wav", 8000, 1, 800), NoiseFile("r.wav", 8000, 1, 900)};
  ASSERT_TRUE((*FindDialogRunner(kCmdMerge))(nullptr, *core_));
  ASSERT_EQ(chooser.requests.size(), 2u);
  EXPECT_EQ(chooser.requests[0].title, kLeftSourceTitle);
  EXPECT_EQ(chooser.requests[1].title, kRightSourceTitle);
  EXPECT_EQ(core_->Document()->Length(), 800u);
  core_->Document()->SetModified(false);
  SetEditFileChooser(nullptr);
}

}  // namespace
}  // namespace orvanix

namespace orvanix {
namespace {

// The dialogs as the user guide shows them (written into $ORVANIX_SCREENSHOT_DIR when set, for
// docs/images): every field and button lies whole inside the picture and none covers another.
void PictureLaidOut(QDialog& dialog, const char* name) {
  dialog.adjustSize();
  const QImage image = dialog.grab().toImage();
  if (const char* folder = std::getenv("ORVANIX_SCREENSHOT_DIR"); folder && *folder) {
    image.save(QString::fromUtf8(folder) + "/" + QString::fromUtf8(name));
  }
  const QRect picture(QPoint(0, 0), image.size() / image.devicePixelRatio());
  std::vector<std::pair<QWidget*, QRect>> controls;
  for (QWidget* child : dialog.findChildren<QWidget*>()) {
    if (!child->isVisibleTo(&dialog)) continue;
    if (!qobject_cast<QLineEdit*>(child) && !qobject_cast<QAbstractButton*>(child) &&
        !qobject_cast<QComboBox*>(child) && !qobject_cast<QListWidget*>(child)) {
      continue;
    }
    if (qobject_cast<QComboBox*>(child->parentWidget())) continue;  // the list's own parts
    controls.emplace_back(child, QRect(child->mapTo(&dialog, QPoint(0, 0)), child->size()));
  }
  ASSERT_GE(controls.size(), 3u) << name;
  for (size_t i = 0; i < controls.size(); ++i) {
    const QWidget* w = controls[i].first;
    EXPECT_TRUE(picture.contains(controls[i].second))
        << name << ": " << w->objectName().toStdString();
    EXPECT_GE(controls[i].second.height(), w->minimumSizeHint().height()) << name;
    for (size_t j = i + 1; j < controls.size(); ++j) {
      EXPECT_FALSE(controls[i].second.intersects(controls[j].second))
          << name << ": " << w->metaObject()->className() << " and "
          << controls[j].first->metaObject()->className() << " overlap";
    }
  }
}

TEST_F(EditDialogsTest, DialogsLayOutTheirFieldsForTheUserGuide) {
  TGainDialog gain(nullptr, -3, 1.5, true);
  PictureLaidOut(gain, "dialog-gain.png");
  TFilterSettings settings;
  TFilterDialog filter(nullptr, settings, 22050, true);
  PictureLaidOut(filter, "dialog-filter.png");
  TImportDialog import(nullptr, TImportOptions{});
  PictureLaidOut(import, "dialog-import.png");
  TExportDialog exportDialog(nullptr, TExportOptions{}, true);
  PictureLaidOut(exportDialog, "dialog-export.png");
}

}  // namespace
}  // namespace orvanix
