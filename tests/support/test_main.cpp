// One main for every test executable: windows render offscreen unless told otherwise,
// and a QApplication exists before the first test, as in the programs.
#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef Q_OS_WIN
    // The offscreen platform draws text with FreeType from a font folder; Windows has one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR") && !qEnvironmentVariableIsEmpty("WINDIR"))
        qputenv("QT_QPA_FONTDIR",
                QDir::toNativeSeparators(qEnvironmentVariable("WINDIR") + QStringLiteral("/Fonts"))
                    .toLocal8Bit());
#endif
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
