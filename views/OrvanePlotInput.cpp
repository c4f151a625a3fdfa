// Mouse, keyboard and context menus of the spectrum view: the measurement cursor (click to
// place, drag to move; a click also tells the owner its frequency), zoom (drag across the
// plot to select a range, double-click or the context menu to zoom out) and the commands of
// the two context menus.
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>

#include "views/DataValuesWindow.h"
#include "views/OrvanePlot.h"
#include "views/TextFormat.h"
#include "views/ViewTexts.h"

namespace orvanix {

namespace {
// A press this close (logical pixels) to the cursor line grabs the cursor; a drag longer
// than kDragThreshold selects a range instead of placing the cursor.
constexpr int kGrabDistance = 5;
constexpr int kDragThreshold = 4;
}  // namespace

void TOrvanePlot::MoveCursorTo(const QPoint& point) {
  const PaneGeometry g = Geometry(rect(), cursorPane_);
  const double x = std::clamp(double(point.x()), double(g.rect.left()), double(g.rect.right()));
  const double y = std::clamp(double(point.y()), double(g.rect.top()), double(g.rect.bottom()));
  SetMeasurementCursor(g.freq.Frequency(x), g.amp.Value(y));
}

void TOrvanePlot::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    TPlotBase::mousePressEvent(event);
    return;
  }
  const QPoint p = event->position().toPoint();
  const int pane = PaneAt(p);
  if (pane < 0) return;
  pressed_ = true;
  pressPoint_ = p;
  selectionX_ = p.x();
  if (cursorActive_) {
    const PaneGeometry g = Geometry(rect(), pane);
    if (std::abs(g.freq.X(CursorHz()) - p.x()) <= kGrabDistance) {
      draggingCursor_ = true;
      cursorPane_ = pane;
      SetCursorKind(CursorKind::Blank);
      MoveCursorTo(p);
    }
  }
}

void TOrvanePlot::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (draggingCursor_) {
    MoveCursorTo(p);
    return;
  }
  if (pressed_) {
    if (selecting_ || std::abs(p.x() - pressPoint_.x()) > kDragThreshold) {
      selecting_ = true;
      selectionX_ = p.x();
      SetCursorKind(CursorKind::Selection);
      update();
    }
    return;
  }
  SetCursorKind(PaneAt(p) >= 0 ? CursorKind::Plot : CursorKind::Arrow);
}

void TOrvanePlot::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    TPlotBase::mouseReleaseEvent(event);
    return;
  }
  const QPoint p = event->position().toPoint();
  bool clicked = false;
  if (draggingCursor_) {
    draggingCursor_ = false;
    // A press on the cursor line that did not move is a click at that place.
    clicked = std::abs(p.x() - pressPoint_.x()) <= kDragThreshold;
  } else if (selecting_) {
    selecting_ = false;
    const PaneGeometry g = Geometry(rect(), 0);
    const double x0 = std::clamp(double(std::min(pressPoint_.x(), p.x())), double(g.rect.left()),
                                 double(g.rect.right()));
    const double x1 = std::clamp(double(std::max(pressPoint_.x(), p.x())), double(g.rect.left()),
                                 double(g.rect.right()));
    if (x1 - x0 >= kDragThreshold) ZoomTo(g.freq.Frequency(x0), g.freq.Frequency(x1));
    update();
  } else if (pressed_) {
    const int pane = PaneAt(p);
    if (pane >= 0) {
      cursorPane_ = pane;
      MoveCursorTo(p);
      clicked = true;
    }
  }
  pressed_ = false;
  SetCursorKind(PaneAt(p) >= 0 ? CursorKind::Plot : CursorKind::Arrow);
  // Last: the owner may open or raise other windows in answer.
  if (clicked && cursorActive_) emit ClickedAtFrequency(CursorHz());
}

void TOrvanePlot::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && zoomed_) {
    ZoomOut();
    return;
  }
  TPlotBase::mouseDoubleClickEvent(event);
}

void TOrvanePlot::contextMenuEvent(QContextMenuEvent* event) {
  if (cursorActive_) {
    const int pane = PaneAt(event->pos());
    if (pane >= 0) {
      const PaneGeometry g = Geometry(rect(), pane);
      if (std::abs(g.freq.X(CursorHz()) - event->pos().x()) <= kGrabDistance + 1) {
        ShowCursorMenu(event->globalPos());
        return;
      }
    }
  }
  ShowContextMenu(event->globalPos(), std::max(0, PaneAt(event->pos())));
}

void TOrvanePlot::ShowContextMenu(const QPoint& globalPos, int pane) {
  ContextMenu(pane)->exec(globalPos);
}

TDataValuesWindow* TOrvanePlot::ShowDataValues() {
  if (!dataValues_) dataValues_ = new TDataValuesWindow(this);
  dataValues_->Refresh();
  dataValues_->show();
  dataValues_->raise();
  dataValues_->activateWindow();
  return dataValues_;
}

std::unique_ptr<QMenu> TOrvanePlot::ContextMenu(int pane) {
  auto owned = std::make_unique<QMenu>(this);
  QMenu& menu = *owned;
  menu.addAction(QString::fromUtf8(viewtext::kMenuCopyAsText), this, &TOrvanePlot::CopyAsText);
  menu.addAction(QString::fromUtf8(viewtext::kMenuWriteTextFile), this,
                 &TOrvanePlot::WriteTextFileWithDialog);
  menu.addAction(QString::fromUtf8(viewtext::kMenuCopyAsBitmap), this, &TPlotBase::CopyAsBitmap);
  menu.addSeparator();
  // The inverse transform and the Q factor act on the spectra the view shows.
  const bool shown = source_ && source_->Primary() != nullptr;
  menu.addAction(QString::fromUtf8(viewtext::kMenuInverseFft), this,
                 &TOrvanePlot::InverseFftRequested)
      ->setEnabled(shown);
  menu.addAction(QString::fromUtf8(viewtext::kMenuClearSpectrum), this,
                 &TOrvanePlot::ClearSpectrumRequested);
  menu.addAction(QString::fromUtf8(viewtext::kMenuAutoscale), this, &TOrvanePlot::Autoscale);
  menu.addAction(QString::fromUtf8(viewtext::kMenuBandwidthQ), this,
                 &TOrvanePlot::BandwidthQRequested)
      ->setEnabled(shown);
  menu.addAction(QString::fromUtf8(viewtext::kMenuViewDataValues), this,
                 &TOrvanePlot::ShowDataValues);
  QAction* zoomOut =
      menu.addAction(QString::fromUtf8(viewtext::kMenuZoomOut), this, &TOrvanePlot::ZoomOut);
  zoomOut->setEnabled(zoomed_);
  menu.addSeparator();
  // Overlays of the pane that was clicked: snapshot the trace into a slot, or manage them.
  QMenu* capture = menu.addMenu(QString::fromUtf8(viewtext::kMenuCaptureOverlay));
  for (int slot = 1; slot <= kOverlaySlots; ++slot) {
    capture->addAction(
        QString::fromStdString(views::CFormat(viewtext::kOverlayCaptureLegend, slot)), this,
        [this, pane, slot] { CaptureOverlay(pane, slot); });
  }
  menu.addAction(QString::fromUtf8(viewtext::kMenuOverlays), this, &TOrvanePlot::OverlaysRequested);
  menu.addAction(QString::fromUtf8(viewtext::kMenuProperties), this,
                 &TOrvanePlot::PropertiesRequested);
  menu.addAction(QString::fromUtf8(viewtext::kMenuHelp), this, &TOrvanePlot::HelpRequested);
  emit ContextMenuAboutToShow(&menu);
  return owned;
}

void TOrvanePlot::ShowCursorMenu(const QPoint& globalPos) {
  QMenu menu(this);
  menu.addAction(QString::fromUtf8(viewtext::kMenuCopyCursorValues), this,
                 &TOrvanePlot::CopyCursorValues);
  menu.addAction(QString::fromUtf8(viewtext::kMenuCopyBitmapClipboard), this,
                 &TPlotBase::CopyAsBitmap);
  menu.exec(globalPos);
}

void TOrvanePlot::CopyCursorValues() {
  const std::string text = CursorClipboardText();
  if (!text.empty()) QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void TOrvanePlot::WriteTextFileWithDialog() {
  const QString path = QFileDialog::getSaveFileName(
      this, QString::fromUtf8(viewtext::kTextFileDialogTitle),
      QString::fromStdString(textDirectory_), QString::fromUtf8(viewtext::kTextFileFilter));
  if (path.isEmpty()) return;
  textDirectory_ = QFileInfo(path).absolutePath().toStdString();  // the next one starts here
  WriteTextFile(path.toStdString());
}

void TOrvanePlot::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    if (selecting_) {
      selecting_ = false;
      pressed_ = false;
      update();
    } else {
      ClearMeasurementCursor();
    }
    return;
  }
  TPlotBase::keyPressEvent(event);
}

void TOrvanePlot::leaveEvent(QEvent* event) {
  TPlotBase::leaveEvent(event);
}

}  // namespace orvanix
