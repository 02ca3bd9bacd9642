#pragma once
// A QR code of a short text (the band view's address), drawn black on white with its quiet
// zone, as large as the widget allows in whole pixels per module so a phone camera reads it.

#include <QWidget>

#include <vector>

namespace vl {

class QrCodeWidget : public QWidget {
    Q_OBJECT
public:
    explicit QrCodeWidget(QWidget* parent = nullptr);
    // An empty text, or one the code cannot hold, shows nothing.
    void setText(const QString& text);
    const QString& text() const { return text_; }
    int modules() const { return width_; } // per side, without the quiet zone

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    int width_ = 0;
    std::vector<bool> dark_;
};

} // namespace vl
