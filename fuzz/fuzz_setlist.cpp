// The setlist reader on any bytes: rows never hold a line end, and writing the rows and
// reading them back gives the same rows.
#include "setlists/SetlistFile.h"
#include "setlists/SetlistRows.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QStringList rows = vl::parseSetlist(std::string_view(reinterpret_cast<const char*>(data), size));
    QByteArray written;
    for (const QString& row : rows) {
        if (row.contains(QLatin1Char('\r')) || row.contains(QLatin1Char('\n'))) std::abort();
        written += row.toUtf8() + "\r\n";
    }
    if (vl::parseSetlist(std::string_view(written.constData(), static_cast<size_t>(written.size()))) != rows)
        std::abort();
    // The grouping of "<< copy all" on the same rows.
    const auto grouped = vl::copyAllRows(rows, true);
    if (grouped.size() < static_cast<size_t>(rows.size())) std::abort();
    return 0;
}
