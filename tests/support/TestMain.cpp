// Runs the tests of one folder inside a QApplication, so widget, network
// and painting tests find the Qt machinery they need.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The tests see none of this machine's scanners (SANE reads its
    // configuration from an empty folder, unless a test names its own) and
    // none of its user's unsaved captures.
    QTemporaryDir machineFree;
    qputenv("SANE_CONFIG_DIR", QFile::encodeName(machineFree.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(machineFree.path()));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
