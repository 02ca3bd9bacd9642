#include "settings/SettingsWindow.h"

#include "settings/BandViewDialog.h"

#include "midi/HotkeyValue.h"
#include "settings/MidiControlCaption.h"
#include "settings/ShowNetworkGroup.h"
#include "settings/TimecodeGroup.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTranslator>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>

namespace vl {

namespace {

const char* const kRowCaptions[4] = {"play / stop", "prg up", "prg down", "show lyric"};
const char* const kOutputPairs[4] = {"1/2", "3/4", "5/6", "7/8"};
const char* const kScreenSizes[7] = {"800x480",  "800x600",   "1024x768", "1280x768",
                                     "1280x800", "1280x1024", "max"};
const char* const kDoubleClickActions[4] = {"program editor", "lyric editor", "lyric", "play / stop"};

QStringList listOf(const char* const* items, int count) {
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QString::fromLatin1(items[i]);
    return list;
}

// Narrow buttons keep the button font where the caption fits and a smaller size of it
// where it would be cut ("Lösche", "BUFFER").
void fitCaption(QPushButton* button, const QFont& font) {
    QFont fitted = font;
    const int room = button->width() - 6;
    while (fitted.pointSize() > 6 && QFontMetrics(fitted).horizontalAdvance(button->text()) > room)
        fitted.setPointSize(fitted.pointSize() - 1);
    button->setFont(fitted);
}

// Selects `index`, or nothing when the list has no such entry.
void selectIndex(QComboBox* list, int index) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

} // namespace

// Qt words an empty hotkey field itself, each time it resets the field, and its words do not
// fit 100 pixels in every language.
class HotkeyFieldTexts : public QTranslator {
  public:
    explicit HotkeyFieldTexts(QString placeholder) : placeholder_(std::move(placeholder)) {}
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (qstrcmp(context, "QKeySequenceEdit") == 0 && qstrcmp(source, "Press shortcut") == 0) return placeholder_;
        return {};
    }

  private:
    QString placeholder_;
};

SettingsWindow::~SettingsWindow() { QCoreApplication::removeTranslator(hotkeyTexts_.get()); }

SettingsWindow::SettingsWindow(Preferences& prefs, const InterfaceTexts& texts, const QFont& buttonFont)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), prefs_(prefs),
      texts_(texts), buttonFont_(buttonFont) {
    setObjectName(QStringLiteral("settingsWindow"));
    setWindowTitle(QStringLiteral("settings ..."));
    setFixedSize(kCreatedSize);
    buildDriverGroups();
    buildMidiControls();
    buildHotkeys();
    buildRouting();
    buildLowerControls();
    buildRightColumn();
    showNetwork_ = new ShowNetworkGroup(prefs_, texts_, this);
    connect(showNetwork_, &ShowNetworkGroup::edited, this, &SettingsWindow::edited);
    connect(button(texts_[StatusText::ShowNetworkButton], {345, 327, 130, 24}), &QPushButton::clicked, showNetwork_,
            &ShowNetworkGroup::show);
    ok_ = button(QStringLiteral("OK"), {635, 405, 130, 40});
    buildBandViewButton();
    connect(ok_, &QPushButton::clicked, this, &SettingsWindow::okClicked);
    // The window is full at the main window's size: the timecode has a window of its own.
    timecode_ = new TimecodeGroup(*button(texts_[StatusText::TimecodeButton], {635, 362, 130, 34}), prefs_.timecode, texts_);
    connect(timecode_, &TimecodeGroup::edited, this, &SettingsWindow::edited);
    showPreferences();
}

void SettingsWindow::buildBandViewButton() {
    bandView_ = new BandViewDialog(prefs_, texts_, this);
    connect(bandView_, &BandViewDialog::changed, this, &SettingsWindow::bandViewChanged);
    bandViewButton_ = button(texts_[StatusText::WebSettingsFrame] + QStringLiteral(" ..."), {345, 299, 130, 24},
                             texts_[StatusText::WebSettingsTooltip]);
    connect(bandViewButton_, &QPushButton::clicked, this, [this] {
        bandView_->showPreferences();
        bandView_->open();
    });
}

void SettingsWindow::frame(const QString& title, const QRect& place) {
    auto* box = new QGroupBox(title, this);
    box->setGeometry(place);
    box->lower(); // the controls are siblings drawn over it, placed in window coordinates
}

QLabel* SettingsWindow::caption(const QString& text, const QRect& place) {
    auto* label = new QLabel(text, this);
    label->setGeometry(place);
    return label;
}

QPushButton* SettingsWindow::button(const QString& text, const QRect& place, const QString& tip) {
    auto* b = new QPushButton(text, this);
    b->setGeometry(place);
    fitCaption(b, buttonFont_);
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

QCheckBox* SettingsWindow::checkBox(const QString& text, const QRect& place, bool* field,
                                    const QString& tip) {
    auto* box = new QCheckBox(text, this);
    box->setGeometry(place);
    box->setToolTip(tip);
    connect(box, &QCheckBox::toggled, this, [this, field](bool on) {
        if (showing_) return;
        *field = on;
        emit edited();
    });
    return box;
}

QComboBox* SettingsWindow::dropDown(const QRect& place, const QString& tip) {
    auto* list = new QComboBox(this);
    list->setGeometry(place);
    list->setToolTip(tip);
    return list;
}

void SettingsWindow::buildDriverGroups() {
    const InterfaceTexts& t = texts_;
    frame(t[TextId::SettingsAudioDriverFrame], {15, 17, 390, 70});
    audioList_ = dropDown({25, 37, 270, 24}, t[TextId::SettingsAudioDriverListTooltip]);
    audioActivate_ =
        button(t[TextId::SettingsActivateButton], {305, 37, 90, 20}, t[TextId::SettingsActivateAudioTooltip]);
    editBuffer_ =
        button(t[TextId::SettingsEditButton], {335, 57, 60, 20}, t[TextId::SettingsEditBufferTooltip]);
    connect(audioActivate_, &QPushButton::clicked, this, &SettingsWindow::audioActivateClicked);
    connect(editBuffer_, &QPushButton::clicked, this, &SettingsWindow::editBufferClicked);

    frame(t[TextId::SettingsMidiDriverFrame], {15, 97, 390, 120});
    caption(t[TextId::SettingsInputLabel], {25, 112, 100, 13});
    midiInList_ = dropDown({25, 127, 270, 24}, t[TextId::SettingsMidiInListTooltip]);
    midiInActivate_ =
        button(t[TextId::SettingsActivateButton], {305, 127, 90, 20}, t[TextId::SettingsActivateMidiTooltip]);
    caption(t[TextId::SettingsOutputLabel], {25, 152, 100, 13});
    midiOutList_ = dropDown({25, 167, 270, 24}, t[TextId::SettingsMidiOutListTooltip]);
    midiOutActivate_ =
        button(t[TextId::SettingsActivateButton], {305, 167, 90, 20}, t[TextId::SettingsActivateMidiTooltip]);
    connect(midiInActivate_, &QPushButton::clicked, this, [this] { emit midiActivateClicked(1); });
    connect(midiOutActivate_, &QPushButton::clicked, this, [this] { emit midiActivateClicked(2); });

    // Any event of a device list enables its ACTIVATE button.
    const auto enableOnEvent = [this](QComboBox* list, QPushButton* activate) {
        const auto enable = [this, activate] {
            if (!showing_) activate->setEnabled(true);
        };
        connect(list, &QComboBox::activated, this, enable);
        connect(list, &QComboBox::currentIndexChanged, this, enable);
    };
    enableOnEvent(audioList_, audioActivate_);
    enableOnEvent(midiInList_, midiInActivate_);
    enableOnEvent(midiOutList_, midiOutActivate_);
}

void SettingsWindow::buildMidiControls() {
    const InterfaceTexts& t = texts_;
    frame(QStringLiteral("midi controls"), {495, 17, 150, 201});
    caption(QStringLiteral("ctrl nr."), {581, 37, 30, 12});
    for (int row = 0; row < 4; ++row) {
        const auto r = static_cast<std::size_t>(row);
        caption(QString::fromLatin1(kRowCaptions[row]), {424, 60 + 30 * row, 70, 20});
        clearButtons_[r] = button(t[TextId::SettingsClearButton], {505, 57 + 30 * row, 50, 20},
                                  t[TextId::SettingsClearControlTooltip]);
        learnButtons_[r] = button(QStringLiteral("---"), {565, 57 + 30 * row, 60, 20},
                                  t[TextId::SettingsControlValueTooltip]);
        connect(clearButtons_[r], &QPushButton::clicked, this, [this, row] { emit midiClearClicked(row); });
        connect(learnButtons_[r], &QPushButton::clicked, this, [this, row] { emit midiLearnClicked(row); });
    }
    valueSensitive_ =
        checkBox(t[TextId::SettingsValueSensitiveCheck], {500, 190, 140, 20}, &prefs_.valueSensitive);
    waiting_ = caption(t[TextId::SettingsWaitingForMidiLabel], {500, 174, 140, 38});
    waiting_->setAlignment(Qt::AlignCenter);
    waiting_->setAutoFillBackground(true);
    waiting_->hide();
}

void SettingsWindow::buildHotkeys() {
    // Asked before Qt's own texts, which come first once installed after them.
    hotkeyTexts_ = std::make_unique<HotkeyFieldTexts>(texts_[StatusText::HotkeyPlaceholder]);
    QCoreApplication::installTranslator(hotkeyTexts_.get());
    frame(QStringLiteral("hotkeys"), {655, 17, 120, 198});
    for (int row = 0; row < 4; ++row) {
        auto* edit = new QKeySequenceEdit(this);
        edit->setGeometry(664, 55 + 30 * row, 100, 24);
        hotkeys_[static_cast<std::size_t>(row)] = edit;
        // One key with its modifiers; what cannot be stored is shown as none.
        connect(edit, &QKeySequenceEdit::editingFinished, this, [this, edit, row] {
            if (showing_) return;
            const int value = hotkeyValueFromKeys(edit->keySequence());
            prefs_.hotkeys[static_cast<std::size_t>(row)] = value;
            emit edited();
            showing_ = true;
            edit->setKeySequence(keysFromHotkeyValue(value));
            showing_ = false;
        });
    }
}

void SettingsWindow::buildRouting() {
    frame(QStringLiteral("subgroup routing to soundcard"), {15, 225, 430, 71});
    const int captionX[4] = {35, 140, 235, 335};
    for (int n = 0; n < 4; ++n) {
        caption(QStringLiteral("SUB %1 to:").arg(QLatin1String(kOutputPairs[n])), {captionX[n], 245, 90, 15});
        QComboBox* list = dropDown({35 + 100 * n, 262, 90, 20});
        list->addItems(listOf(kOutputPairs, 4));
        subgroups_[static_cast<std::size_t>(n)] = list;
        connect(list, &QComboBox::currentIndexChanged, this, [this, n](int index) {
            if (showing_ || index < 0) return;
            prefs_.subgroupOutput[static_cast<std::size_t>(n)] = index;
            emit edited();
        });
    }

    frame(texts_[TextId::SettingsMuteChannelsFrame], {15, 305, 322, 50});
    for (int n = 0; n < 8; ++n) {
        const auto i = static_cast<std::size_t>(n);
        mutes_[i] =
            checkBox(QString::number(n + 1), {25 + 40 * n, 325, n == 7 ? 26 : 30, 20}, &prefs_.globalMute[i],
                     texts_[TextId::SettingsGlobalMuteTooltipPrefix] + QString::number(n + 1));
    }
}

void SettingsWindow::buildLowerControls() {
    const InterfaceTexts& t = texts_;
    const auto bindIndex = [this](QComboBox* list, int* field) {
        connect(list, &QComboBox::currentIndexChanged, this, [this, field](int index) {
            if (showing_ || index < 0) return;
            *field = index;
            emit edited();
        });
    };
    caption(t[TextId::SettingsScreenSizeLabel], {20, 360, 260, 14});
    screenSize_ = dropDown({20, 380, 270, 24}, t[TextId::SettingsScreenSizeTooltip]);
    screenSize_->addItems(listOf(kScreenSizes, 7));
    bindIndex(screenSize_, &prefs_.screenSizeIndex);

    caption(t[TextId::SettingsDoubleClickOpens], {325, 360, 260, 14});
    doubleClick_ = dropDown({325, 380, 270, 24}, t[TextId::SettingsDoubleClickOpens]);
    doubleClick_->addItems(listOf(kDoubleClickActions, 4));
    bindIndex(doubleClick_, &prefs_.doubleClickAction);

    caption(QStringLiteral("skin theme"), {325, 405, 260, 14});
    skins_ = dropDown({325, 425, 270, 24}, t[TextId::SettingsSkinTooltip]);
    skins_->setContextMenuPolicy(Qt::DefaultContextMenu);
    skins_->installEventFilter(this);
    bindIndex(skins_, &prefs_.skinIndex);

    caption(t[TextId::SettingsSetlistTextSizeLabel], {20, 405, 97, 13});
    textSize_ = new QLineEdit(this);
    textSize_->setGeometry(20, 425, 50, 20);
    textSize_->setToolTip(QStringLiteral("setlist text size in pixel"));
    textSize_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), textSize_));
    connect(textSize_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (showing_) return;
        prefs_.setlistTextSize = text;
        emit edited();
    });

    lyricSecondWindow_ =
        checkBox(t[TextId::SettingsLyricSecondWindowCheck], {120, 405, 200, 30}, &prefs_.lyricSecondWindow);
    playShowsLyric_ = checkBox(t[TextId::SettingsAutoLyricCheck], {120, 434, 200, 20}, &prefs_.playShowsLyric,
                               t[TextId::SettingsAutoLyricTooltip]);
}

void SettingsWindow::buildRightColumn() {
    const InterfaceTexts& t = texts_;
    noMidiFileOut_ = checkBox(t[TextId::SettingsNoMidiFileOutCheck], {505, 230, 230, 20},
                              &prefs_.noMidiFileToMidiOut, t[TextId::SettingsNoMidiFileOutTooltip]);
    midiMasterVolume_ = checkBox(t[TextId::SettingsMidiMasterVolumeCheck], {505, 255, 225, 20},
                                 &prefs_.midiMasterVolumeEnabled);
    midiMasterChannel_ = new QSpinBox(this);
    midiMasterChannel_->setGeometry(730, 255, 40, 20);
    midiMasterChannel_->setRange(1, 16);
    connect(midiMasterChannel_, &QSpinBox::valueChanged, this, [this](int value) {
        if (showing_) return;
        prefs_.midiMasterVolumeChannel = value;
        emit edited();
    });

    frame(QStringLiteral("program change"), {485, 280, 220, 75});
    programChangeSelects_ =
        checkBox(t[TextId::SettingsProgramChangeSelectCheck], {505, 295, 190, 30},
                 &prefs_.programChangeSelectsSong, t[TextId::SettingsProgramChangeSelectTooltip]);
    programChangePlays_ = checkBox(t[TextId::SettingsProgramChangePlayCheck], {505, 320, 190, 30},
                                   &prefs_.programChangePlays, t[TextId::SettingsProgramChangePlayTooltip]);
}

bool SettingsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == skins_ && event->type() == QEvent::ContextMenu) {
        emit skinNoteRequested();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsWindow::showPreferences() {
    showing_ = true;
    const Preferences& p = prefs_;
    if (showNetwork_) showNetwork_->showPreferences();
    selectIndex(midiInList_, p.midiInIndex);
    selectIndex(midiOutList_, p.midiOutIndex);
    for (std::size_t row = 0; row < 4; ++row) {
        setMidiControlButtonCaption(static_cast<int>(row), midiControlCaption(p.midiControls[row]));
        hotkeys_[row]->setKeySequence(keysFromHotkeyValue(p.hotkeys[row]));
    }
    valueSensitive_->setChecked(p.valueSensitive);
    for (std::size_t n = 0; n < 4; ++n)
        selectIndex(subgroups_[n], p.subgroupOutput[n]);
    for (std::size_t n = 0; n < 8; ++n)
        mutes_[n]->setChecked(p.globalMute[n]);
    selectIndex(screenSize_, p.screenSizeIndex);
    selectIndex(doubleClick_, p.doubleClickAction);
    selectIndex(skins_, p.skinIndex);
    textSize_->setText(p.setlistTextSize);
    lyricSecondWindow_->setChecked(p.lyricSecondWindow);
    playShowsLyric_->setChecked(p.playShowsLyric);
    noMidiFileOut_->setChecked(p.noMidiFileToMidiOut);
    midiMasterVolume_->setChecked(p.midiMasterVolumeEnabled);
    midiMasterChannel_->setValue(p.midiMasterVolumeChannel);
    programChangeSelects_->setChecked(p.programChangeSelectsSong);
    programChangePlays_->setChecked(p.programChangePlays);
    timecode_->showChoice();
    showing_ = false;
}

void SettingsWindow::setAudioDrivers(const QStringList& names) {
    showing_ = true;
    audioList_->clear();
    audioList_->addItems(names);
    showing_ = false;
}

void SettingsWindow::setMidiDevices(const QStringList& inputs, const QStringList& outputs) {
    showing_ = true;
    midiInList_->clear();
    midiInList_->addItems(inputs);
    midiOutList_->clear();
    midiOutList_->addItems(outputs);
    showing_ = false;
}

void SettingsWindow::setSkins(const QStringList& entries) {
    showing_ = true;
    skins_->clear();
    skins_->addItems(entries);
    selectIndex(skins_, 0);
    showing_ = false;
}

int SettingsWindow::audioListSelection() const {
    return audioList_->currentIndex();
}
int SettingsWindow::midiInListSelection() const {
    return midiInList_->currentIndex();
}
int SettingsWindow::midiOutListSelection() const {
    return midiOutList_->currentIndex();
}

void SettingsWindow::selectAudioDriver(int index) {
    showing_ = true;
    selectIndex(audioList_, index);
    showing_ = false;
}

void SettingsWindow::selectMidiDevice(int kind, int index) {
    showing_ = true;
    selectIndex(kind == 1 ? midiInList_ : midiOutList_, index);
    showing_ = false;
}

void SettingsWindow::setAudioActivateEnabled(bool enabled) {
    audioActivate_->setEnabled(enabled);
}

void SettingsWindow::setMidiActivateEnabled(int kind, bool enabled) {
    midiActivateButton(kind)->setEnabled(enabled);
}

void SettingsWindow::showMidiWaiting(bool waiting) {
    waiting_->setVisible(waiting);
    if (waiting) waiting_->raise();
}

void SettingsWindow::setMidiControlButtonCaption(int row, const QString& caption) {
    QPushButton* b = learnButtons_[static_cast<std::size_t>(row)];
    b->setText(caption);
    fitCaption(b, buttonFont_);
}

QString SettingsWindow::skinEntry(int index) const {
    return index >= 0 && index < skins_->count() ? skins_->itemText(index) : QString();
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit okClicked();
}

} // namespace vl
