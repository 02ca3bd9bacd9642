#include "remote/QrCodeWidget.h"

#include <QPainter>

#include <qrencode.h>

namespace vl {

namespace {
constexpr int kQuietModules = 4;
}

QrCodeWidget::QrCodeWidget(QWidget* parent) : QWidget(parent) {}

void QrCodeWidget::setText(const QString& text) {
    text_ = text;
    width_ = 0;
    dark_.clear();
    if (!text.isEmpty()) {
        const QByteArray utf8 = text.toUtf8();
        if (QRcode* code = QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1)) {
            width_ = code->width;
            dark_.resize(static_cast<std::size_t>(width_) * width_);
            for (std::size_t i = 0; i < dark_.size(); ++i) dark_[i] = code->data[i] & 1;
            QRcode_free(code);
        }
    }
    update();
}

void QrCodeWidget::paintEvent(QPaintEvent*) {
    if (width_ == 0) return;
    QPainter painter(this);
    const int side = std::min(width(), height());
    const int scale = side / (width_ + 2 * kQuietModules);
    if (scale < 1) return;
    const int drawn = scale * (width_ + 2 * kQuietModules);
    const QPoint origin((width() - drawn) / 2, (height() - drawn) / 2);
    painter.fillRect(QRect(origin, QSize(drawn, drawn)), Qt::white);
    for (int y = 0; y < width_; ++y)
        for (int x = 0; x < width_; ++x)
            if (dark_[static_cast<std::size_t>(y) * width_ + x])
                painter.fillRect(origin.x() + (x + kQuietModules) * scale, origin.y() + (y + kQuietModules) * scale, scale,
                                 scale, Qt::black);
}

} // namespace vl
