#include "HeadlessBrowser.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

namespace vl::test {

HeadlessBrowser::HeadlessBrowser() {
    bridge_.setProcessChannelMode(QProcess::SeparateChannels);
    bridge_.setReadChannel(QProcess::StandardOutput);
    // Debian's own Python, which python3-selenium is installed for.
    bridge_.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(VL_SOURCE_DIR "/tests/support/browser_bridge.py")});
    bridge_.waitForStarted(10000);
}

HeadlessBrowser::~HeadlessBrowser() {
    bridge_.closeWriteChannel();
    if (!bridge_.waitForFinished(20000)) {
        bridge_.kill();
        bridge_.waitForFinished(5000);
    }
}

QJsonValue HeadlessBrowser::request(const QJsonObject& request, int ms) {
    bridge_.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    QElapsedTimer t;
    t.start();
    while (!bridge_.canReadLine() && t.elapsed() < ms && bridge_.state() == QProcess::Running)
        bridge_.waitForReadyRead(100);
    if (!bridge_.canReadLine()) {
        error_ = QStringLiteral("no answer from the browser: ") + QString::fromLocal8Bit(bridge_.readAllStandardError());
        return QJsonValue::Undefined;
    }
    const QJsonObject answer = QJsonDocument::fromJson(bridge_.readLine()).object();
    error_ = answer.value("error").toString();
    if (!answer.value("ok").toBool()) return QJsonValue::Undefined;
    return answer.contains("value") ? answer.value("value") : QJsonValue(true);
}

bool HeadlessBrowser::open(const QString& url, int width, int height) {
    return !request({{"op", "open"}, {"url", url}, {"width", width}, {"height", height}}).isUndefined();
}

QJsonValue HeadlessBrowser::js(const QString& script) { return request({{"op", "js"}, {"script", script}}); }

bool HeadlessBrowser::screenshot(const QString& path) { return !request({{"op", "shot"}, {"path", path}}).isUndefined(); }

bool HeadlessBrowser::waitFor(const QString& script, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (js(script).toBool()) return true;
        QThread::msleep(50);
    }
    return js(script).toBool();
}

} // namespace vl::test
