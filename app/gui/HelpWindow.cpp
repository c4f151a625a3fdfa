#include "app/gui/HelpWindow.h"

#include "app/core/DataFiles.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/gui/GuiTexts.h"

namespace orvanix {

namespace {

constexpr const char* kGuideFolder = "docs/guide";
constexpr const char* kReadme = "README.md";
// The guide's reading order; pages not named here follow alphabetically.
constexpr const char* kPageOrder[] = {
    "contents.md",    "getting-started.md", "main-window.md",      "spectrum-view.md",
    "time-series.md", "spectrogram.md",     "surface.md",          "phase.md",
    "settings.md",    "calibration.md",     "application-notes.md"};

int OrderOf(const QString& fileName) {
  for (int i = 0; i < int(std::size(kPageOrder)); ++i) {
    if (fileName == QLatin1String(kPageOrder[i])) return i;
  }
  return int(std::size(kPageOrder));
}

QString ReadText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

QString FirstHeading(const QString& markdown, const QString& fallback) {
  const QRegularExpression heading(QStringLiteral("^#\\s+(.+)$"),
                                   QRegularExpression::MultilineOption);
  const QRegularExpressionMatch match = heading.match(markdown);
  return match.hasMatch() ? match.captured(1).trimmed() : fallback;
}

QStringList Words(const QString& query) {
  return query.toLower().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

}  // namespace

THelpWindow::THelpWindow(const QString& root, QWidget* parent)
    : QWidget(parent, Qt::Window), root_(root) {
  setWindowTitle(QString::fromUtf8(guitext::kHelpTitle));
  pages_ = new QListWidget;
  search_ = new QLineEdit;
  search_->setPlaceholderText(QString::fromUtf8(guitext::kHelpSearchHint));
  search_->setClearButtonEnabled(true);
  results_ = new QListWidget;
  found_ = new QLabel;
  browser_ = new QTextBrowser;
  browser_->setOpenLinks(false);

  auto* side = new QWidget;
  auto* sideLayout = new QVBoxLayout(side);
  sideLayout->setContentsMargins(0, 0, 0, 0);
  sideLayout->addWidget(new QLabel(QString::fromUtf8(guitext::kHelpPages)));
  sideLayout->addWidget(pages_, 2);
  sideLayout->addWidget(new QLabel(QString::fromUtf8(guitext::kHelpSearch)));
  sideLayout->addWidget(search_);
  sideLayout->addWidget(found_);
  sideLayout->addWidget(results_, 3);
  auto* splitter = new QSplitter;
  splitter->addWidget(side);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({220, 680});
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(splitter);
  resize(960, 680);

  LoadPages();
  for (const TPage& page : pageTexts_) {
    auto* item = new QListWidgetItem(page.title, pages_);
    item->setData(Qt::UserRole, page.page);
  }
  connect(pages_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); });
  connect(pages_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); });
  connect(search_, &QLineEdit::textChanged, this, [this] { RunSearch(); });
  connect(results_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { OpenResult(results_->row(item)); });
  connect(results_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { OpenResult(results_->row(item)); });
  connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
    if (!link.isRelative() && link.scheme() != QLatin1String("file")) {
      QDesktopServices::openUrl(link);  // a web address: the desktop's browser
      return;
    }
    if (link.path().isEmpty()) {  // "#section" within the page
      browser_->scrollToAnchor(link.fragment());
      return;
    }
    // Relative to the page shown.
    const QString base = QFileInfo(QDir(root_).filePath(current_)).absolutePath();
    const QString target =
        link.isRelative() ? QDir(base).filePath(link.path()) : link.toLocalFile();
    ShowPage(QDir(root_).relativeFilePath(QDir::cleanPath(target)));
    if (link.hasFragment()) browser_->scrollToAnchor(link.fragment());
  });
}

QString THelpWindow::DocumentationRoot() {
  // The program's data folders (app/core/DataFiles.h): an installed share/orvanix under
  // any prefix first, then the source tree of a build.
  for (const std::string& root : DataRoots(QCoreApplication::applicationDirPath().toStdString())) {
    const QDir dir(QString::fromStdString(root));
    if (QFileInfo(dir.filePath(QString::fromUtf8(kGuideFolder))).isDir()) return dir.absolutePath();
  }
  return {};
}

void THelpWindow::LoadPages() {
  if (root_.isEmpty()) return;
  QDir guide(QDir(root_).filePath(QString::fromUtf8(kGuideFolder)));
  QStringList files = guide.entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name);
  std::stable_sort(files.begin(), files.end(),
                   [](const QString& a, const QString& b) { return OrderOf(a) < OrderOf(b); });
  QStringList pages;
  for (const QString& file : files) pages << QString::fromUtf8(kGuideFolder) + "/" + file;
  if (QFileInfo(QDir(root_).filePath(QString::fromUtf8(kReadme))).isFile()) {
    pages << QString::fromUtf8(kReadme);
  }
  for (const QString& page : pages) {
    const QString markdown = ReadText(QDir(root_).filePath(page));
    QTextDocument document;
    document.setMarkdown(markdown);
    const QString title = page == QLatin1String(kReadme)
                              ? QString::fromUtf8(guitext::kHelpReleaseNotes)
                              : FirstHeading(markdown, QFileInfo(page).baseName());
    pageTexts_.push_back({page, title, document.toPlainText()});
  }
}

bool THelpWindow::ShowPage(const QString& page) {
  const QString path = root_.isEmpty() ? QString() : QDir(root_).filePath(page);
  if (path.isEmpty() || !QFileInfo(path).isFile()) {
    ShowMissing(page);
    return false;
  }
  current_ = QDir::cleanPath(page);
  browser_->setSource(QUrl::fromLocalFile(path), QTextDocument::MarkdownResource);
  FitPictures();
  for (int i = 0; i < pages_->count(); ++i) {
    if (pages_->item(i)->data(Qt::UserRole).toString() == current_) pages_->setCurrentRow(i);
  }
  return true;
}

void THelpWindow::FitPictures() {
  // Pictures wider than the page are shown at the page's width (their proportions kept).
  const int room = std::max(200, browser_->viewport()->width() - 24);
  QTextDocument* document = browser_->document();
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.charFormat().isImageFormat()) continue;
      QTextImageFormat format = fragment.charFormat().toImageFormat();
      const QVariant data = document->resource(QTextDocument::ImageResource, QUrl(format.name()));
      QImage image = data.value<QImage>();
      if (image.isNull()) image = QImage::fromData(data.toByteArray());
      if (image.isNull() || image.width() <= room) continue;
      format.setWidth(room);
      format.setHeight(double(image.height()) * room / image.width());
      QTextCursor cursor(document);
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(format);
    }
  }
}

void THelpWindow::ShowMissing(const QString& page) {
  current_.clear();
  browser_->setSource(QUrl());
  browser_->setPlainText(QString::fromUtf8(guitext::kHelpPageMissing)
                             .arg(page, root_.isEmpty() ? QStringLiteral("-") : root_));
}

void THelpWindow::ShowSearch(const QString& text) {
  if (!text.isEmpty()) search_->setText(text);
  search_->setFocus();
  search_->selectAll();
}

std::vector<THelpWindow::TMatch> THelpWindow::Search(const QString& query) const {
  std::vector<TMatch> matches;
  const QStringList words = Words(query);
  if (words.isEmpty()) return matches;
  for (const TPage& page : pageTexts_) {
    const QString text = page.text.toLower();
    int places = 0;
    bool all = true;
    for (const QString& word : words) {
      const int count = int(text.count(word));
      all = all && count > 0;
      places += count;
    }
    if (all) matches.push_back({page.page, page.title, places});
  }
  std::stable_sort(matches.begin(), matches.end(),
                   [](const TMatch& a, const TMatch& b) { return a.places > b.places; });
  return matches;
}

void THelpWindow::RunSearch() {
  lastWords_ = Words(search_->text());
  lastResults_ = Search(search_->text());
  results_->clear();
  for (const TMatch& match : lastResults_) {
    results_->addItem(QString::fromUtf8(guitext::kHelpResult).arg(match.title).arg(match.places));
  }
  if (lastWords_.isEmpty()) {
    found_->clear();
  } else if (lastResults_.empty()) {
    found_->setText(QString::fromUtf8(guitext::kHelpNothingFound));
  } else {
    found_->setText(QString::fromUtf8(guitext::kHelpFound).arg(lastResults_.size()));
  }
}

bool THelpWindow::OpenResult(int index) {
  if (index < 0 || index >= int(lastResults_.size())) return false;
  if (!ShowPage(lastResults_[size_t(index)].page)) return false;
  // The first place of the first word, selected and scrolled into view.
  browser_->moveCursor(QTextCursor::Start);
  if (!lastWords_.isEmpty()) browser_->find(lastWords_.front());
  return true;
}

}  // namespace orvanix
