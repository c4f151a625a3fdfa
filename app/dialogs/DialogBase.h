// What every settings dialog shares: the OK / Cancel / "&Defaults" buttons, reporting a
// failed check, and a few small field widgets (a number edit with its scroll bar, a colour
// button).
//
// OK runs the dialog's checks in their order; the first failure is shown through
// Messages() (caption: the program title) and the dialog stays open with the offending
// field focused. Tests fill the fields and call OnOk() / OnDefaults() directly.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Messages.h"

class QDialogButtonBox;
class QLayout;
class QLineEdit;
class QScrollBar;

namespace orvanix {

inline QString Qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string Ss(const QString& text) {
  return text.toStdString();
}
// The shortest text that reads back as the same float ("0.1" for 0.1f), '.' as the
// decimal mark.
QString FloatText(float value);

class TDialogBase : public QDialog {
 public:
  // `title` is the window caption; `withDefaults` adds the "&Defaults" button.
  TDialogBase(QWidget* parent, const char* title, bool withDefaults);

  // The OK button: accepted when Validate() passes, else the dialog stays open.
  void OnOk();
  // The "&Defaults" button.
  void OnDefaults() { LoadDefaults(); }

 protected:
  // Reads and checks every field in the dialog's order and keeps the values; reports the
  // first failure (Refuse) and returns false.
  virtual bool Validate() = 0;
  virtual void LoadDefaults() {}

  // Puts the dialog's fields above the buttons.
  void SetBody(QLayout* body);
  // Shows `message` with the program title and puts the focus on `field` (may be null).
  void Refuse(const std::string& message, MessageIcon icon, QWidget* field);

 private:
  QDialogButtonBox* buttons_ = nullptr;
};

// A number edit with a scroll bar beside it, as the classic dialogs had for decimation and
// overlap: the bar moves the number within its range; any text may be typed (OK checks it).
class TNumberScrollEdit : public QWidget {
 public:
  TNumberScrollEdit(int minimum, int maximum, QWidget* parent = nullptr);
  QLineEdit* Edit() const { return edit_; }
  QScrollBar* Bar() const { return bar_; }
  QString Text() const;
  void SetText(const QString& text);

 private:
  QLineEdit* edit_;
  QScrollBar* bar_;
};

// A button showing a colour swatch; clicking opens the colour dialog. Colours are
// 0x00BBGGRR values.
class TColorButton : public QPushButton {
 public:
  TColorButton(const QString& text, uint32_t colorRef, QWidget* parent = nullptr);
  uint32_t ColorRef() const { return colorRef_; }
  void SetColorRef(uint32_t colorRef);

 private:
  void Choose();
  uint32_t colorRef_;
};

}  // namespace orvanix
