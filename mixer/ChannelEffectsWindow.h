#pragma once
// The channel effects window, the program editor's companion for one strip at a time:
// three-band equaliser, compressor, and the strip's sends to the two effect buses.

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSlider;

namespace vl {

class Fonts;
class InterfaceTexts;

class ChannelEffectsWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 481;
    static constexpr int kHeight = 290;

    ChannelEffectsWindow(const InterfaceTexts& texts, const Fonts& fonts, QWidget* parent = nullptr);

    // A slider with the field beside it that shows its value as the musician reads it.
    struct ValueRow {
        QSlider* slider = nullptr;
        QLineEdit* field = nullptr;
    };
    QCheckBox* eqActive = nullptr;
    ValueRow bass, mid, treble;
    QCheckBox* compressorActive = nullptr;
    ValueRow ratio, threshold, release;
    QSlider* reverbSend = nullptr;
    QSlider* delaySend = nullptr;
    QPushButton* ok = nullptr;

  signals:
    void okClicked();
    // A click, double click or focus on any control, or an edit the user made.
    void touched();

  protected:
    // The window manager's close box does what OK does.
    void closeEvent(QCloseEvent* event) override;
};

} // namespace vl
