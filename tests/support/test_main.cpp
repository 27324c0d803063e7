// One main for every test executable: windows render offscreen unless told otherwise,
// and a QApplication exists before the first test, as in the programs.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Wine does not hand QT_QPA_PLATFORM on, and the Windows build carries the minimal
    // platform in place of offscreen (which needs FreeType).
#ifdef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "minimal");
#else
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
