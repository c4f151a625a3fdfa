#include "ui/FileDialogs.h"

#include <QFileDialog>
#include <QRegularExpression>
#include <QStringList>
#include <vector>

namespace orvanix {

namespace {

std::vector<std::string_view> SplitBars(std::string_view text) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start < text.size()) {
    const size_t bar = text.find('|', start);
    if (bar == std::string_view::npos) {
      parts.push_back(text.substr(start));
      break;
    }
    parts.push_back(text.substr(start, bar - start));
    start = bar + 1;
  }
  return parts;
}

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString QtFilter(std::string_view classicFilter) {
  if (classicFilter.find('|') == std::string_view::npos) return ToQString(classicFilter);
  const std::vector<std::string_view> parts = SplitBars(classicFilter);
  QStringList filters;
  for (size_t i = 0; i < parts.size(); i += 2) {
    const QString description = ToQString(parts[i]).trimmed();
    const QString patterns =
        i + 1 < parts.size() ? ToQString(parts[i + 1]).replace(';', ' ').trimmed() : QString();
    if (description.isEmpty() && patterns.isEmpty()) continue;
    if (patterns.isEmpty() || description.contains(patterns)) {
      filters << description;
    } else if (description.isEmpty()) {
      filters << patterns;
    } else {
      filters << description + " (" + patterns + ")";
    }
  }
  return filters.join(";;");
}

QString DefaultSuffix(std::string_view classicFilter) {
  const std::vector<std::string_view> parts = SplitBars(classicFilter);
  if (parts.size() < 2) return {};
  QString pattern = ToQString(parts[1]).trimmed();
  const qsizetype space = pattern.indexOf(QRegularExpression("[ ;]"));
  if (space >= 0) pattern.truncate(space);
  if (!pattern.startsWith("*.")) return {};
  const QString suffix = pattern.mid(2);
  return suffix.contains('*') || suffix.contains('?') ? QString() : suffix;
}

std::string TQtFileChooser::Choose(const TFileRequest& request, QWidget* parent) {
  QFileDialog dialog(parent, QString::fromStdString(request.title),
                     QString::fromStdString(request.folder), QtFilter(request.filter));
  if (request.kind == TFileRequest::Kind::Save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(DefaultSuffix(request.filter));
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? std::string() : files.front().toStdString();
}

}  // namespace orvanix
