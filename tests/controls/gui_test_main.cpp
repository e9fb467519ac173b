// main() of the window tests: the offscreen platform, and a settings store in
// a private temporary folder, so that no test ever touches the user's own.
#include <cstdlib>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    if (!config.isValid()) return 2;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ambrelo"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
