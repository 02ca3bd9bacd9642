// Test entry: a Qt application exists for widget and file tests (offscreen platform).
#include <gtest/gtest.h>

#ifdef VL_TESTS_WITH_QT
#include <QApplication>
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#ifdef VL_TESTS_WITH_QT
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
