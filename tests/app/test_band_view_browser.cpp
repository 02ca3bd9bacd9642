// The band view in Debian's Chromium, headless, against the real program on the test desktop
// and the JACK dummy server: what the band sees on a phone and a tablet while the operator
// presses SPACE, and what the operator's PIN may and may not do.
#include "DesktopProgram.h"
#include "HeadlessBrowser.h"
#include "ToneSong.h"
#include "support/JackRecorder.h"

#include "platform/TextFile.h"
#include "settings/Preferences.h"

#include <QDateTime>
#include <QJsonArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace vl;
using namespace vl::test::desktop;
namespace fs = std::filesystem;

namespace {

int freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// A request as a browser would never send it, straight onto the socket.
QByteArray rawRequest(int port, const QByteArray& target) {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port));
    if (!socket.waitForConnected(5000)) return {};
    socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray answer;
    while (socket.waitForReadyRead(3000)) answer += socket.readAll();
    return answer + socket.readAll();
}

// The level of the last half second the program played into JACK.
double recentLevel(const test::JackRecorder& r) {
    const std::size_t n = r.recorded(), window = 22050;
    if (n < window) return 0;
    double sum = 0;
    for (int c = 0; c < 2; ++c)
        for (std::size_t i = n - window; i < n; ++i) sum += double(r.channel(c)[i]) * r.channel(c)[i];
    return std::sqrt(sum / (2.0 * window));
}

const QString kRowTitles = "return [...document.querySelectorAll('#setlist .title')].map(e => e.textContent).join('|')";
const QString kShots = QStringLiteral(VL_BIN_DIR "/band-view-");

struct BandViewBrowser : ::testing::Test {
    void SetUp() override {
        if (display().isEmpty() || !fs::exists(kProgram.toStdString()))
            GTEST_SKIP() << "needs the program and the desktop that scripts/test.sh starts";
        if (!test::jackAvailableOrFail()) GTEST_SKIP() << "no JACK server";
        ASSERT_TRUE(prepareHome(home));
        const QString prefsFile = QString::fromStdString((home / "prefs").string());
        Preferences prefs;
        parsePreferences(readTextLines(prefsFile).value_or(QStringList()), prefs);
        prefs.audioDriverName = "JACK";
        ASSERT_TRUE(writePreferencesFile(prefsFile, prefs, true));
        const fs::path songs = home / "YourSongs";
        test::writeToneSong(songs, "Tagged", 9);
        test::writeToneSong(songs, "Second", 5);
        test::writeToneSong(songs, "Third", 6);
        test::writeFile(songs / "Tagged" / "Tagged.rtf",
                        "{\\rtf1\\ansi{\\colortbl ;\\red255\\green255\\blue0;\\red0\\green255\\blue255;}"
                        "\\pard\\qc\\cf1\\fs56 Count in\\par [0:02]\\cf2\\b Verse two\\b0\\par [0:04] Chorus\\par}");
        test::writeFile(songs / "Setlist.txt", "Tagged\r\nSecond\r\nThird\r\n");
        port = freePort();
        url = QStringLiteral("http://127.0.0.1:%1/").arg(port);
        program = std::make_unique<Program>(home, QStringList{"--web-port", QString::number(port), "--web-pin", "4711"});
        mainWindow = program->waitForWindow("Vellamorinth");
        ASSERT_FALSE(mainWindow.isEmpty());
    }

    void pressInProgram(const char* key) {
        x11("xdotool", {"windowactivate", "--sync", mainWindow});
        x11("xdotool", {"key", "--window", mainWindow, key});
    }

    bool openPage(test::HeadlessBrowser& browser, int width, int height) {
        return browser.open(url, width, height) &&
               browser.waitFor("return document.querySelectorAll('#setlist li').length === 3", 20000);
    }

    test::TempFolder home;
    int port = 0;
    QString url;
    std::unique_ptr<Program> program;
    QString mainWindow;
};

} // namespace

TEST_F(BandViewBrowser, PhoneAndTabletShowTheSetTheRowSpaceStartsTheRunningTimeAndTheTimedLyric) {
    test::HeadlessBrowser browser;
    ASSERT_TRUE(openPage(browser, 390, 844)) << browser.lastError().toStdString();
    EXPECT_EQ(browser.js(kRowTitles).toString(), "Tagged|Second|Third");
    // Big enough to read from two metres, and nothing wider than the phone.
    EXPECT_TRUE(browser.js("const r = document.querySelector('#setlist li:nth-child(3)').getBoundingClientRect();"
                           "return r.height >= 40 && r.bottom <= innerHeight && document.body.scrollWidth <= innerWidth")
                    .toBool());
    EXPECT_TRUE(browser.js("return document.querySelector('#setlist li.playing')").isNull()) << "nothing plays yet";

    browser.js("window.marked = 0; window.stretches = [];"
               "new MutationObserver(() => { if (!marked && document.querySelector('#setlist li.playing')) marked = Date.now(); })"
               "  .observe(document.getElementById('setlist'), {subtree: true, attributes: true});"
               "new MutationObserver(() => stretches.push([elapsedNow(), document.getElementById('lyricText').textContent]))"
               "  .observe(document.getElementById('lyricText'), {childList: true}); return true");
    x11("xdotool", {"windowactivate", "--sync", mainWindow});
    const qint64 pressed = QDateTime::currentMSecsSinceEpoch();
    x11("xdotool", {"key", "--window", mainWindow, "space"});
    ASSERT_TRUE(browser.waitFor("return marked > 0", 5000)) << "SPACE marks the playing row";
    const qint64 markedAfter = qint64(browser.js("return marked").toDouble()) - pressed;
    RecordProperty("row_marked_ms", int(markedAfter));
    EXPECT_LE(markedAfter, 200) << "the row is marked within 200 ms";
    EXPECT_EQ(browser.js("return document.querySelector('#setlist li.playing .title').textContent").toString(), "Tagged");
    EXPECT_EQ(browser.js("return document.querySelector('#setlist li.next .title').textContent").toString(), "Second");
    EXPECT_EQ(browser.js("return document.getElementById('songTitle').textContent").toString(), "Tagged");

    // The time runs, and the timed lyric moves on at its tag.
    ASSERT_TRUE(browser.waitFor("return document.getElementById('elapsed').textContent === '0:01'", 5000));
    ASSERT_TRUE(browser.waitFor("return document.getElementById('elapsed').textContent === '0:03'", 5000));
    EXPECT_EQ(browser.js("return document.getElementById('remaining').textContent").toString(), "-0:06");
    const QJsonArray stretches = browser.js("return stretches").toArray();
    double verseAt = -1;
    for (const QJsonValue& s : stretches)
        if (verseAt < 0 && s.toArray().at(1).toString().contains("Verse two")) verseAt = s.toArray().at(0).toDouble();
    RecordProperty("tagged_stretch_at_ms", int(verseAt * 1000));
    EXPECT_GE(verseAt, 2.0) << "the stretch of [0:02] is shown from 0:02 on";
    EXPECT_LE(verseAt, 2.3);
    EXPECT_FALSE(browser.js("return document.getElementById('lyricText').textContent").toString().contains("Count in"));
    EXPECT_TRUE(browser.screenshot(kShots + "390x844.png"));

    // A tablet in the lyric view, which the browser remembers.
    ASSERT_TRUE(openPage(browser, 1024, 768));
    EXPECT_EQ(browser.js("return document.querySelector('#setlist li.playing .title').textContent").toString(), "Tagged");
    EXPECT_TRUE(browser.screenshot(kShots + "1024x768.png"));
    browser.js("document.getElementById('viewLyric').click(); return true");
    ASSERT_TRUE(openPage(browser, 1024, 768));
    EXPECT_EQ(browser.js("return document.body.dataset.view").toString(), "lyric");
    EXPECT_TRUE(browser.js("const s = document.querySelector('#lyricText span');"
                           "return s.textContent.includes('Verse two') || s.textContent.includes('Chorus')")
                    .toBool());
    EXPECT_TRUE(browser.screenshot(kShots + "1024x768-lyric.png"));

    pressInProgram("space");
    EXPECT_TRUE(browser.waitFor("return document.querySelector('#setlist li.playing') === null", 5000));
}

TEST_F(BandViewBrowser, OnlyTheOperatorPinPlaysWrongPinsAreShutOutAndNothingElseIsServed) {
    test::JackRecorder recorder(44100 * 120);
    ASSERT_TRUE(recorder.ok());
    ASSERT_TRUE(recorder.connectFrom("vellamorinth"));
    recorder.start();
    test::HeadlessBrowser browser;
    ASSERT_TRUE(openPage(browser, 390, 844)) << browser.lastError().toStdString();

    // Read-only without the PIN: no controls, and a command with a made-up session is refused.
    EXPECT_TRUE(browser.js("return document.getElementById('controls').hidden").toBool());
    browser.js("socket.send(JSON.stringify({type: 'command', token: '0123456789abcdef0123456789abcdef', command: 'play'}));"
               "return true");
    EXPECT_TRUE(browser.waitFor("return document.getElementById('pinAnswer').textContent !== ''", 5000));
    QThread::msleep(1500);
    EXPECT_LT(recentLevel(recorder), 1e-4) << "nothing plays without the PIN";

    // With the PIN, PLAY on the page plays the song into the JACK ports; STOP ends it.
    auto enterPin = [&](const char* pin) {
        browser.js(QStringLiteral("document.getElementById('pinAnswer').textContent = '';"
                                  "document.getElementById('operator').hidden = false;"
                                  "document.getElementById('pin').value = '%1';"
                                  "document.getElementById('pinEnter').click(); return true")
                       .arg(pin));
    };
    enterPin("4711");
    ASSERT_TRUE(browser.waitFor("return !document.getElementById('controls').hidden", 5000));
    // A tapped row, next and previous, and the lyric on stage, as the keys do them.
    const QString selected = "return document.querySelector('#setlist li.selected .title').textContent === '%1'";
    browser.js("document.querySelector('#setlist li:nth-child(3)').click(); return true");
    EXPECT_TRUE(browser.waitFor(selected.arg("Third"), 5000));
    browser.js("document.getElementById('previous').click(); return true");
    EXPECT_TRUE(browser.waitFor(selected.arg("Second"), 5000));
    browser.js("document.getElementById('previous').click(); return true");
    EXPECT_TRUE(browser.waitFor(selected.arg("Tagged"), 5000));
    browser.js("document.getElementById('lyricToggle').click(); return true");
    EXPECT_TRUE(browser.waitFor("return document.getElementById('lyricToggle').textContent === 'hide lyric'", 5000));
    EXPECT_FALSE(program->windows("lyric view").isEmpty()) << "the lyric view is up on stage";
    browser.js("document.getElementById('lyricToggle').click(); return true");
    EXPECT_TRUE(browser.waitFor("return document.getElementById('lyricToggle').textContent === 'show lyric'", 5000));
    browser.js("document.getElementById('play').click(); return true");
    EXPECT_TRUE(waitFor([&] { return recentLevel(recorder) > 0.02; }, 10000)) << "PLAY on the page plays";
    EXPECT_TRUE(browser.waitFor("return document.querySelector('#setlist li.playing') !== null", 5000));
    browser.js("document.getElementById('stop').click(); return true");
    EXPECT_TRUE(waitFor([&] { return recentLevel(recorder) < 1e-4; }, 10000)) << "STOP on the page stops";
    browser.js("document.getElementById('logout').click(); return true");

    // Nine wrong PINs are answered; the tenth, and then even the right one, are refused for a while.
    for (int attempt = 1; attempt <= 9; ++attempt) {
        enterPin("0000");
        ASSERT_TRUE(browser.waitFor("return document.getElementById('pinAnswer').textContent === 'wrong PIN'", 5000))
            << "attempt " << attempt;
    }
    enterPin("0000");
    EXPECT_TRUE(browser.waitFor("return /^too many wrong PINs: wait (59|60) s$/.test("
                                "document.getElementById('pinAnswer').textContent)", 5000));
    enterPin("4711");
    EXPECT_TRUE(browser.waitFor("return /^too many wrong PINs/.test(document.getElementById('pinAnswer').textContent)", 5000));
    EXPECT_TRUE(browser.js("return document.getElementById('controls').hidden").toBool());
    QThread::msleep(1000);
    EXPECT_LT(recentLevel(recorder), 1e-4);

    // Only the page's own files are served: no way out of its folder, no song.
    EXPECT_TRUE(rawRequest(port, "/").startsWith("HTTP/1.1 200"));
    for (const char* target : {"/../prefs", "/%2e%2e/prefs", "/%2e%2e/", "/..%2fprefs", "/prefs", "/etc/passwd",
                               "//etc/passwd", "http://127.0.0.1/etc/passwd", "/YourSongs/Tagged/tone.wav",
                               "/Tagged/tone.wav", "/tone.wav", "/Tagged.rtf", "/web/index.html"}) {
        const QByteArray answer = rawRequest(port, target);
        const QByteArray status = answer.left(answer.indexOf("\r\n"));
        // civetweb closes on a request for another host without an answer: refused too.
        EXPECT_TRUE(answer.isEmpty() || status.contains(" 400") || status.contains(" 404"))
            << target << ": " << status.toStdString();
        EXPECT_FALSE(answer.contains("RIFF") || answer.contains("rtf1") || answer.contains("root:"));
    }
}
