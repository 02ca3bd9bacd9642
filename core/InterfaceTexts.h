#pragma once
// Every interface text that differs between English and German, filled once at start-up
// in the chosen language and read by the windows and messages when they are shown.

#include <QString>

#include <array>
#include <cstddef>
#include <string>

namespace vl {

// One constant per entry, in table order. Equal English texts are still distinct entries
// because their German values may differ.
enum class TextId : int {
    // Main window
    MainQuitTooltip,
    MainSettingsTooltip,
    MainSwitchModeTooltip,
    MainSetLoadTooltip,
    MainSetEditTooltip,
    MainSetCreateTooltip,
    MainUpTooltip,
    MainDownTooltip,
    MainPlayTooltip,
    MainSongEditTooltip,
    MainShowLyricTooltip,
    MainEditLyricTooltip,
    MainJumpToNextCheck,
    MainJumpToNextTooltip,
    MainAutoPlayTooltip,
    MainPositionSliderTooltip,
    MainHelpTooltip,

    // Settings window
    SettingsAudioDriverFrame,
    SettingsAudioDriverListTooltip,
    SettingsMidiInListTooltip,
    SettingsMidiOutListTooltip,
    SettingsOutputLabel,
    SettingsInputLabel,
    SettingsMidiDriverFrame,
    SettingsActivateButton,
    SettingsActivateAudioTooltip,
    SettingsEditBufferTooltip,
    SettingsActivateMidiTooltip,
    SettingsClearButton,
    SettingsEditButton,
    SettingsValueSensitiveCheck,
    SettingsClearControlTooltip,
    SettingsControlValueTooltip,
    SettingsMuteChannelsFrame,
    SettingsGlobalMuteTooltipPrefix,
    SettingsSetlistTextSizeLabel,
    SettingsAutoLyricCheck,
    SettingsAutoLyricTooltip,
    SettingsWaitingForMidiLabel,
    SettingsScreenSizeTooltip,
    SettingsScreenSizeLabel,
    SettingsDoubleClickOpens,
    SettingsSkinTooltip,
    SettingsNoMidiFileOutCheck,
    SettingsMidiMasterVolumeCheck,
    SettingsNoMidiFileOutTooltip,
    SettingsProgramChangeSelectCheck,
    SettingsProgramChangeSelectTooltip,
    SettingsProgramChangePlayCheck,
    SettingsProgramChangePlayTooltip,
    SettingsLyricSecondWindowCheck,
    SettingsCancelButton,

    // Lyric editor (the OK caption serves the set editor too)
    LyricEditorZoomTooltip,
    LyricEditorLeftButton,
    LyricEditorColorButton,
    LyricEditorColorTooltip,
    LyricEditorBoldButton,
    LyricEditorBoldTooltip,
    LyricEditorNormalButton,
    LyricEditorNormalTooltip,
    EditorOkButton,
    LyricEditorExitTooltip,
    LyricEditorFontTooltip,
    LyricEditorLeftTooltip,
    LyricEditorMiddleButton,
    LyricEditorMiddleTooltip,
    LyricEditorRightButton,
    LyricEditorRightTooltip,
    LyricEditorTimeTooltip,
    LyricEditorFontSizeTooltip,
    LyricEditorFontSizeLabel,
    LyricEditorPlayTooltip,
    LyricEditorPositionTooltip,
    LyricEditorImportButton,
    LyricEditorImportTooltip,
    LyricEditorMidiLyricTooltip,

    // Channel effects window
    EffectsEqualizerTooltip,
    EffectsCompressorTooltip,
    EffectsReverbTooltip,
    EffectsDelayTooltip,
    EffectsSaveCloseTooltip,

    // Lyric view
    LyricViewLeaveTooltip,

    // Program editor: entries ending in 1 serve track row 1, those ending in 2 rows 2-8;
    // the three MIDI channel entries serve program-change entries 1-3
    ProgramEditorMuteTooltip1,
    ProgramEditorPanTooltip1,
    ProgramEditorVolumeTooltip1,
    ProgramEditorEffectTooltip1,
    ProgramEditorImportTooltip,
    ProgramEditorMuteTooltip2,
    ProgramEditorSubgroupTooltip,
    ProgramEditorPanTooltip2,
    ProgramEditorVolumeTooltip2,
    ProgramEditorEffectTooltip2,
    ProgramEditorMidiChannelTooltip1,
    ProgramEditorMidiChannelTooltip2,
    ProgramEditorMidiChannelTooltip3,
    ProgramEditorProgramChangeTooltip,
    ProgramEditorLoadMixerTooltip,
    ProgramEditorSaveMixerTooltip,
    ProgramEditorSaveExitTooltip,
    ProgramEditorMasterVolumeTooltip,
    ProgramEditorReverbVolumeTooltip,
    ProgramEditorReverbTimeTooltip,
    ProgramEditorDelayFeedbackTooltip,
    ProgramEditorDelayVolumeTooltip,
    ProgramEditorDelayTimeTooltip,

    // Set editor
    SetEditorCopyAllButton,
    SetEditorCopyAllTooltip,
    SetEditorAddTextButton,
    SetEditorAddTextTooltip,
    SetEditorRemoveAllButton,
    SetEditorRemoveAllTooltip,
    SetEditorUndoButton,
    SetEditorUndoTooltip,
    SetEditorRedoButton,
    SetEditorRedoTooltip,
    SetEditorDeleteSongButton,
    SetEditorDeleteSongTooltip,
    SetEditorSongFoldersOnlyCheck,
    SetEditorSongFoldersOnlyTooltip,
    SetEditorSaveCloseTooltip,
    SetEditorMoveUpButton,
    SetEditorMoveUpTooltip,
    SetEditorMoveDownButton,
    SetEditorMoveDownTooltip,
    SetEditorSaveAsButton,
    SetEditorAddLettersCheck,
    SetEditorAddLettersTooltip,

    // Message boxes, file pickers and drawn texts
    MessageFirstStartTitle,
    MessageDriverSelectBody,
    MessageCrashTitle,
    MessageCrashBody,
    MessageSelectDriverTitle,
    MessageStopAudioFirst,
    MessageDeleteSongTitle,
    MessageDeleteSongQuestion,
    AudioImportPickerTitle,
    MessageSkinNote,
    ConfirmTitle,
    MessageMidiLyricQuestion,
    LyricImportPickerTitle,
    MessageSaveLyric,
    MessagePlayNoDriverTitle,
    MessagePlayNoDriverBody,
    SetlistSavePickerTitle,
    MessageOverwriteSetlist,
    MessageCreateTitle,
    MessageCreateQuestionPrefix,
    MessageTemplateErrorTitle,
    MessageLyricTemplateMissing,
    MessageProgramTemplateMissing,
    DarkModeKeyHint,
    MessageSaveChanges,

    // Lyric import picker: shown text, a bar, then the patterns
    LyricImportFilePattern,
    Count
};
static_assert(static_cast<int>(TextId::Count) == 153);

// The program's own texts beyond the numbered ones, in the same two languages.
enum class StatusText {
    DeviceLost,
    DeviceUnavailable,
    ProgramUnreadable, // "%1": the song
    ImportCopyFailed,  // "%1": the file that could not be made
    MixerSaveFailed,   // "%1": the mixer file
    LyricNotSaved,
    OutputMetersTooltip,
    // Why a song did not start, or plays without a part ("%1": the song or the file)
    SongOutsideSongsFolder,
    SongFolderMissing,
    SongProgramMissing,
    SoundFontUnreadable,
    MidiFileUnreadable,
    ProgramNotSaved,  // "%1": the program file
    SetlistNotSaved,  // "%1": the setlist file
    HelpGuideMissing, // "%1": where the guide was looked for
    DriverMissingTitle,
    DriverMissing,     // "%1": the sound card as stored
    HotkeyPlaceholder, // in a hotkey field without a key
    // The command line's show check and rehearsal render
    CheckRowPrefix,           // "%1": the row, "%2": the song
    CheckSetlistUnreadable,   // "%1": the setlist file
    CheckSongFolderMissing,   // "%1": the folder
    CheckProgramUnreadable,   // "%1": the program file
    CheckTrackUnreadable,     // "%1": the track, "%2": the file, "%3": why
    CheckMidiUnreadable,      // likewise
    CheckVideoUnreadable,     // likewise
    CheckSoundFontUnreadable, // "%1": the font, "%2": why
    CheckLyricUnreadable,     // "%1": the lyric file
    CheckInfoMissing,
    CheckInfoLength,          // "%1": the info file's length, "%2": the tracks'
    CheckSummaryGood,         // "%1": songs, "%2": files
    CheckSummaryProblems,     // "%1": problems, "%2": songs, "%3": files
    CommandEngineLacks,       // "%1": the engine module, "%2": the function
    RenderCannotWrite,        // "%1": the file, "%2": why
    RenderNothingPlays,       // "%1": the song
    RenderWritten,            // "%1": the file, "%2": the length, "%3": the outputs
    ProgramFolderMissing,     // "%1": the folder
    TrackUnreadable,          // "%1": the track, "%2": the file, "%3": why
    // The show's network: OSC remote control and the backup machine
    OscGroupTitle,
    OscEnabledCheck,
    OscEnabledTooltip,
    OscAllowedLabel,
    OscAllowedTooltip,
    OscFeedbackLabel,
    OscFeedbackTooltip,
    ShowLinkRoleLabel,
    ShowLinkRoleAlone,
    ShowLinkRoleMain,
    ShowLinkRoleFollower,
    ShowLinkFollowersTooltip,
    OscPortUnavailable,       // "%1": the port
    MainLost,
    FollowedSongsMissing,     // "%1": the songs
    ShowNetworkButton,
    // The band view: the page's texts, then the program's
    WebBand,
    WebLyric,
    WebOperator,
    WebOffline,
    WebPin,
    WebEnter,
    WebPrevious,
    WebPlay,
    WebStop,
    WebNext,
    WebShowLyric,
    WebHideLyric,
    WebLogout,
    WebPinWrong,
    WebPinLocked,    // "%1": seconds
    WebSessionOver,
    WebBusy,
    WebSetTime,      // "%1": the set's length, "%2": what is left of it
    WebAddress,      // "%1": the address to open
    WebCannotStart,  // "%1": why
    WebSettingsFrame,
    WebSettingsOn,
    WebSettingsPort,
    WebSettingsPin,
    WebSettingsTooltip,
    // The pause between songs beside "jump To Next" and "autom. play"
    SegueSuffix,
    SegueTooltip,
    // Timecode: the settings window's group and the program editor's start field
    TimecodeFrame,
    TimecodeRateLabel,
    TimecodeDropFrame,
    TimecodeMtcCheck,
    TimecodeMidiClockCheck,
    TimecodeLtcLabel,
    TimecodeLtcOff,
    TimecodeLtcLevelLabel,
    TimecodeLtcPairNote,      // "%1": the LTC output, "%2": its pair, "%3": the pair's other output
    TimecodeNoLtcNote,
    TimecodeStartLabel,
    TimecodeStartTooltip,
    TimecodeStartInvalid,
    TimecodeButton,
    CheckTimecodeUnreadable,  // "%1": the song's timecode file
    Count
};

class InterfaceTexts {
public:
    const QString& operator[](StatusText id) const { return status_[static_cast<std::size_t>(id)]; }
    const QString& operator[](TextId id) const { return texts_[static_cast<std::size_t>(id)]; }
    const QString& get(TextId id) const { return (*this)[id]; }

    // "english" or "deutsch", exact and case-sensitive; any other word leaves every entry
    // empty, so the program still runs, just without texts.
    void fill(const std::string& language);

    // Source values, for tests and tools.
    static const char* english(TextId id);
    static const char* german(TextId id);

private:
    std::array<QString, static_cast<std::size_t>(TextId::Count)> texts_;
    std::array<QString, static_cast<std::size_t>(StatusText::Count)> status_;
};

// The start-up step: fills texts in the chosen language.
void fillInterfaceTexts(InterfaceTexts& texts, const std::string& language);

} // namespace vl
