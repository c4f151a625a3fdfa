#include "views/DataValuesWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "views/OrvanePlot.h"
#include "views/TextFormat.h"
#include "views/ViewTexts.h"

namespace orvanix {

using views::CFormat;

namespace {

// The export header ";Freq(Hz)\t<label>: Left\r\n" as column titles.
QStringList ColumnTitles(const std::string& header) {
  QString text = QString::fromStdString(header).trimmed();
  if (text.startsWith(';')) text.remove(0, 1);
  return text.split('\t');
}

QTableWidgetItem* NumberItem(const std::string& text) {
  auto* item = new QTableWidgetItem(QString::fromStdString(text));
  item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  return item;
}

}  // namespace

TDataValuesWindow::TDataValuesWindow(TOrvanePlot* plot) : QWidget(plot, Qt::Window), plot_(plot) {
  setWindowTitle(QString::fromUtf8(viewtext::kDataValuesTitle));
  table_ = new QTableWidget(this);
  table_->verticalHeader()->setVisible(false);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  range_ = new QLabel(this);
  refresh_ = new QPushButton(QString::fromUtf8(viewtext::kDataValuesRefresh), this);
  copy_ = new QPushButton(QString::fromUtf8(viewtext::kDataValuesCopy), this);
  auto* close = new QPushButton(QString::fromUtf8(viewtext::kDataValuesClose), this);
  connect(refresh_, &QPushButton::clicked, this, &TDataValuesWindow::Refresh);
  connect(copy_, &QPushButton::clicked, plot_, &TOrvanePlot::CopyAsText);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(range_, 1);
  buttons->addWidget(refresh_);
  buttons->addWidget(copy_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_, 1);
  layout->addLayout(buttons);
  resize(460, 520);
}

void TDataValuesWindow::Refresh() {
  const TOrvanePlot::TDataValues values = plot_->DataValues();
  const QStringList titles = ColumnTitles(values.header);
  table_->clearContents();
  table_->setColumnCount(values.columns);
  table_->setHorizontalHeaderLabels(titles.mid(0, values.columns));
  table_->setRowCount(int(values.rows.size()));
  for (size_t r = 0; r < values.rows.size(); ++r) {
    const auto& row = values.rows[r];
    table_->setItem(int(r), 0, NumberItem(CFormat(viewtext::kDataValuesFrequency, row[0])));
    for (int c = 1; c < values.columns; ++c) {
      table_->setItem(int(r), c, NumberItem(CFormat(viewtext::kDataValuesValue, row[c])));
    }
  }
  range_->setText(
      QString::fromStdString(CFormat(viewtext::kDataValuesRange, plot_->StartHz(), plot_->StopHz(),
                                     static_cast<unsigned long>(values.rows.size()))));
}

}  // namespace orvanix
