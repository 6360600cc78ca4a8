// The tests of one folder are linked into one program (tests/CMakeLists.txt),
// which runs the test named first on its command line. Included before every
// test file: QTEST_MAIN, QTEST_GUILESS_MAIN and QTEST_APPLESS_MAIN register
// the test class under its file's name instead of defining main(); the set-up
// they do before the class runs is Qt Test's own. QTEST_MAIN makes a
// QApplication when the test links Qt Widgets, else a QGuiApplication when it
// links Qt Gui, else a QCoreApplication, as Qt Test's own macro chooses at
// compile time; the build records which in the program's list of tests.
//
// This header is part of the tests' precompiled header, which a compile uses
// only when it defines no macro the header mentions: everything a test's
// registration needs comes from __FILE__ and that list.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QtTest/qtest.h>

#include <memory>

namespace NoxTestBundle
{

using Runner = int (*)(int argc, char* argv[]);

// Records the test class of the test file `file` (its __FILE__); returns its
// number. Called during static initialisation, once per test file.
int add(const char* file, const char* className, Runner run);

// The application object QTEST_MAIN makes for the test being run.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char* argv[]);

} // namespace NoxTestBundle

#define NOX_BUNDLED_TEST(TestObject, ...)                                                                    \
    namespace                                                                                                \
    {                                                                                                        \
    int noxRunBundledTest(int argc, char* argv[])                                                            \
    {                                                                                                        \
        QT_PREPEND_NAMESPACE(QTest::Internal::callInitMain)<TestObject>();                                   \
        __VA_ARGS__                                                                                          \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }                                                                                                        \
    const int noxBundledTest = NoxTestBundle::add(__FILE__, #TestObject, noxRunBundledTest);                 \
    }

#undef QTEST_MAIN
#undef QTEST_GUILESS_MAIN
#undef QTEST_APPLESS_MAIN
#define QTEST_MAIN(TestObject)                                                                               \
    NOX_BUNDLED_TEST(TestObject, const auto app = NoxTestBundle::makeApplication(argc, argv);                \
                     app->setAttribute(Qt::AA_Use96Dpi, true);)
#define QTEST_GUILESS_MAIN(TestObject)                                                                       \
    NOX_BUNDLED_TEST(TestObject, QCoreApplication app(argc, argv); app.setAttribute(Qt::AA_Use96Dpi, true);)
#define QTEST_APPLESS_MAIN(TestObject) NOX_BUNDLED_TEST(TestObject, )
