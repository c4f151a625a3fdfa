#include "app/edit/gui/QtWaveClipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

namespace orvanix {

void TQtWaveClipboard::SetWave(const uint8_t* bytes, size_t size) {
  QClipboard* clipboard = QApplication::clipboard();
  if (!clipboard) return;
  const QByteArray data(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
  auto* mime = new QMimeData;
  mime->setData(QString::fromUtf8(kWaveMimeType), data);
  mime->setData(QString::fromUtf8(kWaveMimeTypeX), data);
  clipboard->setMimeData(mime);
}

bool TQtWaveClipboard::HasWave() const {
  const QClipboard* clipboard = QApplication::clipboard();
  const QMimeData* mime = clipboard ? clipboard->mimeData() : nullptr;
  return mime && (mime->hasFormat(QString::fromUtf8(kWaveMimeType)) ||
                  mime->hasFormat(QString::fromUtf8(kWaveMimeTypeX)));
}

std::vector<uint8_t> TQtWaveClipboard::Wave() const {
  const QClipboard* clipboard = QApplication::clipboard();
  const QMimeData* mime = clipboard ? clipboard->mimeData() : nullptr;
  if (!mime) return {};
  QByteArray data = mime->data(QString::fromUtf8(kWaveMimeType));
  if (data.isEmpty()) data = mime->data(QString::fromUtf8(kWaveMimeTypeX));
  return std::vector<uint8_t>(data.begin(), data.end());
}

}  // namespace orvanix
