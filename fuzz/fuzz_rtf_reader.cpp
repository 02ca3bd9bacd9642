// The RTF reader on arbitrary input, as raw bytes and as the program decodes files; what
// it reads must write, and the written RTF must read back to a document that writes the
// same bytes. The import helpers run on the same input.
#include "lyrics/LyricImport.h"
#include "lyrics/RtfReader.h"
#include "lyrics/RtfWriter.h"
#include "platform/TextFile.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

QByteArray readAndWrite(const QString& text) {
    QTextDocument document;
    vl::readRtf(text, document);
    return vl::writeRtf(document);
}

void checkWrittenRtf(const QString& text) {
    const QByteArray written = readAndWrite(text);
    for (const char c : written)
        if (c <= 0) __builtin_trap();
    if (readAndWrite(QString::fromLatin1(written)) != written) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkWrittenRtf(QString::fromLatin1(bytes.data(), static_cast<qsizetype>(size)));
    checkWrittenRtf(vl::decodeLine(bytes));
    QTextDocument imported;
    vl::readRtf(vl::importedLyric(vl::splitLines(bytes), std::nullopt), imported);
    return 0;
}
