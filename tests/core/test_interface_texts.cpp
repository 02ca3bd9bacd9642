#include "core/InterfaceTexts.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vl {
namespace {

constexpr int kCount = static_cast<int>(TextId::Count);

TextId idAt(int i) { return static_cast<TextId>(i); }

InterfaceTexts filled(const std::string& language)
{
    InterfaceTexts texts;
    fillInterfaceTexts(texts, language);
    return texts;
}

TEST(InterfaceTexts, HoldsOneHundredFiftyThreeEntries)
{
    EXPECT_EQ(kCount, 153);
}

TEST(InterfaceTexts, EnglishEntriesReadExactly)
{
    const InterfaceTexts t = filled("english");
    EXPECT_EQ(t[TextId::MainJumpToNextCheck], QString(" jump To Next"));
    EXPECT_EQ(t[TextId::SettingsEditButton], QString("EDIT"));
    EXPECT_EQ(t.get(TextId::MainQuitTooltip), QString("exit Vellamorinth"));
    EXPECT_EQ(t[TextId::MainPlayTooltip], QString("play song"));
    EXPECT_EQ(t[TextId::LyricEditorPlayTooltip], QString("play song"));
    EXPECT_EQ(t[TextId::MessageSkinNote],
              QString("if you experience graphic problems than please don't use this skinning option!"));
    EXPECT_EQ(t[TextId::LyricEditorZoomTooltip],
              QString("Zoom the text to scale on bigger screens. This is a generell setting!"));
    EXPECT_EQ(t[TextId::DarkModeKeyHint],
              QString("SPACE = play song      UP / DOWN = move song      TAB = exit darkmode      ENTER = show lyric"));
}

TEST(InterfaceTexts, GermanEntriesReadExactly)
{
    const InterfaceTexts t = filled("deutsch");
    EXPECT_EQ(t[TextId::MainJumpToNextCheck], QString(" autom. weiter"));
    EXPECT_EQ(t[TextId::SettingsEditButton], QString("BUFFER"));
    EXPECT_EQ(t[TextId::MainPositionSliderTooltip], QString("Song Position ( spulen )"));
    EXPECT_EQ(t[TextId::LyricEditorPositionTooltip], QString("Wiedergabeposition"));
    // Same English text, different German values.
    EXPECT_EQ(t[TextId::MainPlayTooltip], QString("Wiedergabe"));
    EXPECT_EQ(t[TextId::LyricEditorPlayTooltip], QString("Song Wiedergabe"));
    EXPECT_EQ(t[TextId::ProgramEditorVolumeTooltip1], QString::fromUtf8("Lautstärke"));
    EXPECT_EQ(t[TextId::ProgramEditorVolumeTooltip2], QString::fromUtf8("Lautstärkeregler"));
    EXPECT_EQ(t[TextId::SetEditorDeleteSongTooltip], QString::fromUtf8("lösch Song von der Festplatte"));
    EXPECT_EQ(t[TextId::MessageProgramTemplateMissing],
              QString("Sorry, kann kein Programm erstellen, es fehlt 'emptySong.p' oder falscher Songname!"));
    EXPECT_EQ(t[TextId::DarkModeKeyHint],
              QString("LEERTASTE = Wiedergabe      PFEIL hoch/runter = navigieren      "
                      "TAB = Modus verlassen     EINGABE = zeige Lyric"));
}

// A misplaced row shifts every later entry; checking the ends of each window's group
// catches that.
TEST(InterfaceTexts, GroupBoundariesMatchTheirWindows)
{
    struct Expect {
        TextId id;
        const char* english;
        const char* german;
    };
    const Expect cases[] = {
        {TextId::MainQuitTooltip, "exit Vellamorinth", "verlasse Vellamorinth"},
        {TextId::MainHelpTooltip, "user guide", "Anleitung / momentan nur auf englisch verfügbar !"},
        {TextId::SettingsAudioDriverFrame, "AUDIODRIVER", "AUDIOTREIBER"},
        {TextId::SettingsCancelButton, "cancel", "abbrechen"},
        {TextId::LyricEditorZoomTooltip, "Zoom the text to scale on bigger screens. This is a generell setting!",
         "Zoomt den Text - für die Anpassung auf größeren Bildschirmen. Dies ist eine generelle Einstellung!"},
        {TextId::EditorOkButton, "OK", "OK"},
        {TextId::LyricEditorMidiLyricTooltip,
         "warning! this feature must delete the existing lyric for displaying midi lyric",
         "Warning! Diese Aktion löscht den aktuellen Text für die Miditext-Wiedergabe unwideruflich!"},
        {TextId::EffectsEqualizerTooltip, "activate equalizer", "aktiviere equalizer"},
        {TextId::EffectsSaveCloseTooltip, "save changes and close window",
         "speichere die Änderungen und schließe Fenster"},
        {TextId::LyricViewLeaveTooltip, "leave lyric view", "verlasse Lyric-Anzeige"},
        {TextId::ProgramEditorMuteTooltip1, "mute track", "stummschalten"},
        {TextId::ProgramEditorMidiChannelTooltip3, "midi channel", "midi Kanal"},
        {TextId::ProgramEditorDelayTimeTooltip, "delay time", "delay Länge"},
        {TextId::SetEditorCopyAllButton, "<< copy all", "<< kopiere Alles"},
        {TextId::SetEditorAddLettersTooltip, "split setlist in alphabetic groups",
         "erstelle alphabetisch getrennte Gruppen"},
        {TextId::MessageFirstStartTitle, "first time driver select...",
         "Vellamorinth läuft das erste Mal, bitte die Treiber einstellen..."},
        {TextId::MessageSaveChanges, "save changes ?", "Änderungen speichern ?"},
        {TextId::LyricImportFilePattern, "textfile *.txt / *.rtf|*.txt;*.rtf", "textfile *.txt / *.rtf|*.txt;*.rtf"},
    };
    const InterfaceTexts en = filled("english");
    const InterfaceTexts de = filled("deutsch");
    for (const Expect& c : cases) {
        SCOPED_TRACE(c.english);
        EXPECT_STREQ(InterfaceTexts::english(c.id), c.english);
        EXPECT_STREQ(InterfaceTexts::german(c.id), c.german);
        EXPECT_EQ(en[c.id], QString::fromUtf8(c.english));
        EXPECT_EQ(de[c.id], QString::fromUtf8(c.german));
    }
}

TEST(InterfaceTexts, OtherLanguageWordsLeaveEveryEntryEmpty)
{
    for (const char* word : {"English", "DEUTSCH", "francais", "", "english "}) {
        SCOPED_TRACE(word);
        const InterfaceTexts t = filled(word);
        for (int i = 0; i < kCount; ++i)
            EXPECT_TRUE(t[idAt(i)].isEmpty()) << i;
    }
}

TEST(InterfaceTexts, RefillReplacesEveryEntry)
{
    InterfaceTexts t;
    t.fill("english");
    t.fill("deutsch");
    EXPECT_EQ(t[TextId::SettingsActivateButton], QString("aktiviere"));
    t.fill("francais");
    for (int i = 0; i < kCount; ++i)
        EXPECT_TRUE(t[idAt(i)].isEmpty()) << i;
}

TEST(InterfaceTexts, EveryEntryIsNonEmptyInBothLanguages)
{
    const InterfaceTexts en = filled("english");
    const InterfaceTexts de = filled("deutsch");
    for (int i = 0; i < kCount; ++i) {
        ASSERT_NE(InterfaceTexts::english(idAt(i)), nullptr) << i;
        ASSERT_NE(InterfaceTexts::german(idAt(i)), nullptr) << i;
        EXPECT_FALSE(en[idAt(i)].isEmpty()) << i;
        EXPECT_FALSE(de[idAt(i)].isEmpty()) << i;
    }
}

TEST(InterfaceTexts, GermanUmlautsDecodeToSingleCharacters)
{
    const InterfaceTexts t = filled("deutsch");
    const QString edit = t[TextId::MainSetEditTooltip];
    EXPECT_EQ(edit, QString::fromUtf8("ändere die Setliste"));
    EXPECT_EQ(edit.size(), 19);
    EXPECT_EQ(edit.at(0), QChar(0x00E4));
    EXPECT_EQ(edit.toUtf8(), QByteArray("\xC3\xA4ndere die Setliste"));
    EXPECT_TRUE(t[TextId::EffectsSaveCloseTooltip].contains(QChar(0x00DF)));
}

TEST(InterfaceTexts, CrashBodyBreaksIntoParagraphs)
{
    for (const char* language : {"english", "deutsch"}) {
        SCOPED_TRACE(language);
        const QString body = filled(language)[TextId::MessageCrashBody];
        EXPECT_EQ(body.count(QChar('\n')), 2);
        EXPECT_TRUE(body.contains(QString(" !\n\n")));
    }
}

// These are completed by appending text, so their trailing spaces matter; no other entry
// may pick up stray whitespace at its ends.
TEST(InterfaceTexts, OnlyPrefixesAndCheckBoxCaptionsHaveOuterSpaces)
{
    const InterfaceTexts en = filled("english");
    EXPECT_EQ(en[TextId::SettingsGlobalMuteTooltipPrefix] + QString::number(3), QString("global mute channel 3"));
    EXPECT_EQ(en[TextId::MessageCreateQuestionPrefix] + "lyric", QString("do you want to create a lyric"));
    EXPECT_EQ(en[TextId::MessageDeleteSongQuestion] + "Song",
              QString("do you really want To delete this folder from harddrive: Song"));
    const InterfaceTexts de = filled("deutsch");
    EXPECT_EQ(de[TextId::SettingsGlobalMuteTooltipPrefix] + QString::number(8),
              QString("Stummschalten von globaler Audiospur 8"));

    for (int i = 0; i < kCount; ++i) {
        const TextId id = idAt(i);
        if (id == TextId::SettingsGlobalMuteTooltipPrefix || id == TextId::MessageCreateQuestionPrefix
            || id == TextId::MessageDeleteSongQuestion || id == TextId::MainJumpToNextCheck)
            continue;
        for (const char* value : {InterfaceTexts::english(id), InterfaceTexts::german(id)}) {
            const std::size_t n = std::strlen(value);
            EXPECT_NE(value[0], ' ') << i << ": '" << value << "'";
            EXPECT_NE(value[n - 1], ' ') << i << ": '" << value << "'";
        }
    }
}

} // namespace
} // namespace vl
