#pragma once
// The program's numbered fonts. Arial where installed, else its metric twin.

#include <QFont>
#include <QString>

#include <array>

namespace vl {

class Fonts {
public:
    static constexpr int kCount = 10;
    // The family standing in for Arial on this machine.
    static QString arialFamily();
    // Creates (or replaces) font `number` at `points` points.
    void create(int number, int points, bool bold);
    const QFont& operator[](int number) const { return fonts_.at(static_cast<std::size_t>(number)); }
    // Start-up set: 8, 9, 0, 1, 2, 3, 4, 5, 6 as the program uses them.
    void createStartupFonts();

private:
    std::array<QFont, kCount> fonts_{};
};

} // namespace vl
