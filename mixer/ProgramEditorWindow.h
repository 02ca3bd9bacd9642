#pragma once
// The program editor's window, the song's mixing desk: eight channel strips (track file,
// mute, sub-group output, pan, volume, effects), the master level, the reverb and delay
// buses, three MIDI program changes, and the mixer file buttons. It only shows controls;
// the editor copies them to and from the song program.

#include <QPushButton>
#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace vl {

class Fonts;
class InterfaceTexts;
class OutputMeters;

// A strip's file button: shows the track's file name as it is (an "&" is no shortcut
// mark) and as much of it as fits, and keeps the whole name.
class TrackButton : public QPushButton {
  public:
    explicit TrackButton(QWidget* parent) : QPushButton(parent) {}
    const QString& fileName() const { return fileName_; }
    void setFileName(const QString& name);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void showName();
    QString fileName_;
};

class ProgramEditorWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 794;
    static constexpr int kHeight = 464;
    static constexpr int kStrips = 8;

    ProgramEditorWindow(const InterfaceTexts& texts, const Fonts& fonts, QWidget* parent = nullptr);

    struct Strip {
        TrackButton* track = nullptr;
        QCheckBox* mute = nullptr;
        QComboBox* subOut = nullptr;
        QSlider* pan = nullptr;
        QSlider* volume = nullptr;
        QPushButton* effectEdit = nullptr;
    };
    std::array<Strip, kStrips> strips;
    std::array<QLineEdit*, 3> midiChannels{};
    std::array<QLineEdit*, 3> midiPrograms{};
    QLineEdit* timecodeStart = nullptr; // the song's timecode start, hh:mm:ss:ff
    QSlider* reverbTime = nullptr;
    QSlider* reverbVolume = nullptr;
    QSlider* delayTime = nullptr;
    QSlider* delayFeedback = nullptr;
    QSlider* delayVolume = nullptr;
    QSlider* mainVolume = nullptr;
    OutputMeters* meters = nullptr; // beside the master level
    QPushButton* loadMixer = nullptr;
    QPushButton* saveMixer = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* play = nullptr;
    QLabel* notice = nullptr; // said across the top when the song's program could not be read

    // Empty hides the notice.
    void showNotice(const QString& text);

  signals:
    void trackClicked(int row); // 0-7
    void effectEditClicked(int row);
    void subOutUsed();
    void okClicked();
    void playClicked();
    void loadMixerClicked();
    void saveMixerClicked();
    // A click, double click or focus on any control but OK, or an edit the user made.
    void touched();

  protected:
    // The window manager's close box does what OK does.
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildStrips(const InterfaceTexts& texts, const Fonts& fonts);
    void buildBottom(const InterfaceTexts& texts, const Fonts& fonts);
    void watchControls();
};

} // namespace vl
