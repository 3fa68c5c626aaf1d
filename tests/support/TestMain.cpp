// main() of every test program: Qt offscreen, a private runtime folder, the
// test environment, GoogleTest, then QApplication.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillary::test {
void InitTestEnvironment();
void CleanupTestEnvironment();
} // namespace quillary::test

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime(QDir::tempPath() + QStringLiteral("/quillary-xdg-XXXXXX"));
    if (runtime.isValid()) {
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    quillary::test::InitTestEnvironment();
    const int result = RUN_ALL_TESTS();
    quillary::test::CleanupTestEnvironment();
    return result;
}
