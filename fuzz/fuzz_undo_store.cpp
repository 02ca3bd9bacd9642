// The set editor's undo store reading snapshots that hold arbitrary bytes (a damaged or
// foreign file in "undo/"): undo and redo give rows or nothing, and never crash.
#include "setlists/UndoStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void overwrite(const QString& path, const uint8_t* data, size_t size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    vl::UndoStore store(folder.path() + QLatin1Char('/'));
    store.reset({QStringLiteral("first")});
    store.snapshot({QStringLiteral("second")});
    overwrite(store.snapshotPath(0), data, size);
    (void)store.undo();
    overwrite(store.snapshotPath(1), data, size / 2);
    (void)store.redo();
    (void)store.undo();
    store.clear();
    return 0;
}
