#include "DialogHelpers.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QTimer>
#include <filesystem>
#include <memory>

namespace orvanix::test {

namespace {

// The application must exist before any widget is made; a global test environment creates
// it once for the whole program, on the offscreen platform.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "dialogs_test";
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
  }

 private:
  QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

QDialog* VisibleDialog() {
  if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) return modal;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(widget);
    if (dialog && dialog->isVisible()) return dialog;
  }
  return nullptr;
}

void Poll(const std::shared_ptr<std::function<void(QDialog*)>>& drive, int triesLeft) {
  QTimer::singleShot(10, [drive, triesLeft] {
    if (QDialog* dialog = VisibleDialog()) {
      (*drive)(dialog);
      // A driver that left the dialog open (a refused OK) must not hang the test.
      if (dialog->isVisible()) {
        ADD_FAILURE() << "the driver left the dialog open";
        dialog->reject();
      }
      return;
    }
    if (triesLeft > 0) {
      Poll(drive, triesLeft - 1);
    } else {
      ADD_FAILURE() << "no dialog appeared";
    }
  });
}

}  // namespace

TScratchFolder::TScratchFolder() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "orvanix-dialogs-XXXXXX").string();
  if (::mkdtemp(pattern.data())) path_ = pattern;
}

TScratchFolder::~TScratchFolder() {
  std::error_code error;
  if (!path_.empty()) std::filesystem::remove_all(path_, error);
}

TRecordingSink::Entry TRecordedMessages::Only() const {
  EXPECT_EQ(sink_.Entries().size(), 1u);
  if (sink_.Entries().empty()) return {};
  return sink_.Entries().front();
}

void WhenDialogShows(std::function<void(QDialog*)> drive) {
  Poll(std::make_shared<std::function<void(QDialog*)>>(std::move(drive)), 300);
}

}  // namespace orvanix::test
