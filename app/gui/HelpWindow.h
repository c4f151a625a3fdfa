// THelpWindow: the program's help, read inside the program. It renders the user guide's
// Markdown pages (docs/guide/*.md, the README as the release notes) with their pictures and
// links between pages, lists the pages, and searches all of them: every word of a query must
// occur in a page; the pages found are listed with the number of places, best first, and
// choosing one opens it at the first place found. A page that is not there says so in the
// window instead.
//
// Page names are paths relative to the documentation root, the folder holding README.md and
// docs/ ("docs/guide/calibration.md", "README.md").
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace orvanix {

class THelpWindow : public QWidget {
 public:
  // `root`: the documentation root; empty or missing, every page says it is missing.
  explicit THelpWindow(const QString& root, QWidget* parent = nullptr);

  // The documentation root of this program: an installed copy beside the program
  // (../share/doc/orvanix), else the source tree it was built from; empty when neither has
  // the user guide.
  static QString DocumentationRoot();

  // Opens a page; false (and the window says the page is missing) when it is not there.
  bool ShowPage(const QString& page);
  // The page shown, empty when none (or a missing one) is.
  const QString& CurrentPage() const { return current_; }
  // Puts the focus into the search field (and searches for `text` when given).
  void ShowSearch(const QString& text = {});

  // Pages holding every word of `query` (case ignored), the most places first.
  struct TMatch {
    QString page;
    QString title;
    int places = 0;
  };
  std::vector<TMatch> Search(const QString& query) const;
  // Opens result `index` of the last search at its first place.
  bool OpenResult(int index);

  QTextBrowser* Browser() const { return browser_; }
  QLineEdit* SearchField() const { return search_; }
  QListWidget* Results() const { return results_; }
  QListWidget* Pages() const { return pages_; }

 private:
  struct TPage {
    QString page;   // relative to the root
    QString title;  // the first heading
    QString text;   // as read, rendered to plain text
  };
  void LoadPages();
  void RunSearch();
  void ShowMissing(const QString& page);
  void FitPictures();

  QString root_;
  std::vector<TPage> pageTexts_;
  std::vector<TMatch> lastResults_;
  QStringList lastWords_;
  QString current_;
  QListWidget* pages_ = nullptr;
  QLineEdit* search_ = nullptr;
  QListWidget* results_ = nullptr;
  QLabel* found_ = nullptr;
  QTextBrowser* browser_ = nullptr;
};

}  // namespace orvanix
