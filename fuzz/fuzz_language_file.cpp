// The language file on arbitrary bytes: its first line is the word, and any word fills the
// interface texts (an unknown one leaves them empty) without asking again.
#include "core/InterfaceTexts.h"
#include "settings/Language.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString programFolder = folder.path() + QLatin1Char('/');
    QFile file(programFolder + QStringLiteral("language"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    const std::string word = vl::chooseLanguage(programFolder, [] {
        std::abort(); // the file is there: nothing may be asked
        return std::string();
    });
    vl::InterfaceTexts texts;
    texts.fill(word);
    return 0;
}
