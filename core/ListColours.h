#pragma once
// The song list's cell colours, shared by everything that paints its rows.

#include <QColor>

namespace vl {

struct ListColours {
    QColor listBack, listText, column1Text, column2Text, column3Text, headerText, playingText, playingBack;

    static ListColours normal() {
        return {QColor(255, 255, 255), QColor(0, 0, 0),       QColor(60, 60, 60),   QColor(132, 163, 101),
                QColor(162, 168, 194), QColor(50, 50, 50),    QColor(242, 41, 13),  QColor(240, 242, 234)};
    }
    static ListColours dark() {
        ListColours c = normal();
        c.listBack = QColor(0, 0, 0);
        c.listText = QColor(255, 255, 255);
        c.column1Text = QColor(120, 120, 120);
        c.headerText = QColor(0, 0, 0);
        return c;
    }
    // Text colour of column `column` (0..3) on a row that is not playing.
    QColor columnText(int column) const {
        switch (column) {
        case 0: return listText;
        case 1: return column1Text;
        case 2: return column2Text;
        default: return column3Text;
        }
    }
};

} // namespace vl
