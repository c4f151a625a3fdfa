// TAboutBox: the about box of Help > About, and the start-up banner: the same box shown
// without blocking, closing itself after a moment or at a click.
#pragma once

#include <QDialog>

namespace orvanix {

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr, bool banner = false);
  // Shows the banner over `parent` and deletes it when it closes.
  static TAboutBox* ShowBanner(QWidget* parent);
  bool IsBanner() const { return banner_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  bool banner_;
};

}  // namespace orvanix
