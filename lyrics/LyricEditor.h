#pragma once
// The lyric editor window: the song's lyric in a rich-text editor on black, with import,
// "midi lyric", colour, bold / normal, font family, alignment and size controls, the zoom
// setting, and the song's time, play button and position slider. Every formatting action
// is announced, so that leaving asks to save even when the text itself is unchanged.

#include <QColor>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QTextCharFormat;
class QTextEdit;

namespace vl {

class Dialogs;
class Fonts;
class InterfaceTexts;

class LyricEditor : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 792;
    static constexpr int kHeight = 570;

    LyricEditor(const InterfaceTexts& texts, const Fonts& fonts, Dialogs& dialogs);

    QTextEdit& editor() const { return *editor_; }
    QString text() const; // the editor's plain text
    QColor lastTextColour() const { return lastTextColour_; }

    // Formatting actions on the editor's selection.
    void chooseColour();
    void setBold();
    void setNormal();
    void setFamily(const QString& family);
    void setAlignment(Qt::Alignment alignment);
    void setFontSize(int points);

    // The text area fitted below the controls: 0, 70 with the window's width and height - 70.
    void fitTextArea();

    // Transport shown in the editor.
    void showTime(const QString& text);
    void showPlaying(bool playing); // "PAUSE" while playing, "PLAY" after a stop
    void showPosition(int perMille);

    struct Controls {
        QPushButton* importButton = nullptr;
        QPushButton* midiLyricButton = nullptr;
        QPushButton* colourButton = nullptr;
        QCheckBox* zoomBox = nullptr;
        QPushButton* boldButton = nullptr;
        QPushButton* normalButton = nullptr;
        QComboBox* fontList = nullptr;
        QPushButton* leftButton = nullptr;
        QPushButton* middleButton = nullptr;
        QPushButton* rightButton = nullptr;
        QLabel* fontSizeLabel = nullptr;
        QSlider* fontSizeSlider = nullptr;
        QLabel* timeLabel = nullptr;
        QPushButton* playButton = nullptr;
        QSlider* positionSlider = nullptr;
        QPushButton* okButton = nullptr;
    };
    const Controls& controls() const { return controls_; }

signals:
    void formatted(); // any formatting action: the lyric counts as edited
    void importRequested();
    void midiLyricRequested();
    void leaveRequested(); // OK
    void playRequested();
    void positionMoved(int perMille);
    void zoomToggled(bool on);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPushButton* button(const QString& caption, const QString& tooltip, const QRect& place);
    void mergeFormat(const QTextCharFormat& format);

    Dialogs& dialogs_;
    QTextEdit* editor_ = nullptr;
    Controls controls_;
    QColor lastTextColour_ = Qt::black;
};

} // namespace vl
