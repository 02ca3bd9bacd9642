#include "core/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace vl {

QString Fonts::arialFamily() {
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        if (families.contains(QStringLiteral("Arial"))) return QStringLiteral("Arial");
        return QStringLiteral("Liberation Sans");
    }();
    return family;
}

void Fonts::create(int number, int points, bool bold) {
    QFont font(arialFamily());
    font.setPointSize(points > 0 ? points : 12);
    font.setBold(bold);
    fonts_.at(static_cast<std::size_t>(number)) = font;
}

void Fonts::createStartupFonts() {
    create(8, 12, true);
    create(9, 9, true);
    create(0, 22, false);
    create(1, 26, false);
    create(2, 7, false);
    create(3, 14, false);
    create(4, 14, true);
    create(5, 9, false);
    create(6, 8, false);
}

} // namespace vl
