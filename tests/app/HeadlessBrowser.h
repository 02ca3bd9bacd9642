#pragma once
// Debian's Chromium, headless, driven through selenium by tests/support/browser_bridge.py.

#include <QJsonValue>
#include <QProcess>
#include <QString>

namespace vl::test {

class HeadlessBrowser {
public:
    HeadlessBrowser();
    ~HeadlessBrowser();
    bool open(const QString& url, int width, int height);
    // The value of a script that ends with `return ...`; undefined when it failed.
    QJsonValue js(const QString& script);
    bool screenshot(const QString& path);
    // Waits (bounded) until the script returns true.
    bool waitFor(const QString& script, int ms = 10000);
    const QString& lastError() const { return error_; }

private:
    QJsonValue request(const QJsonObject& request, int ms = 60000);
    QProcess bridge_;
    QString error_;
};

} // namespace vl::test
