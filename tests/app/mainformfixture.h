#pragma once
// A main window on a temporary data folder with a clock the test sets.
#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "alarm/alarmcheck.h"
#include "app/mainform.h"
#include "core/folders.h"

struct MainFormFixture {
    QTemporaryDir home;
    QDateTime clock = QDateTime(QDate(2026, 3, 11), QTime(8, 15, 10)); // a Wednesday
    QList<nox::PopupRequest> popups;
    QStringList failures; // messages the window showed about files it could not write
    QStringList notices;  // notices about files it could not read in full
    bool capturePopups = true;
    bool captureNotices = true; // false: the window shows its own boxes
    QString pageOpener; // the program that opens the help page; "xdg-open" when empty
    std::unique_ptr<nox::TNoxMainForm> form;

    MainFormFixture()
    {
        qputenv("NOX_HOME", home.path().toUtf8());
        nox::folders::resetCache();
        // The factory files lie beside the test program.
        const QString factory = QCoreApplication::applicationDirPath() + QStringLiteral("/default");
        QDir().mkpath(home.path() + QStringLiteral("/default"));
        for (const QString& name : QDir(factory).entryList(QDir::Files)) {
            QFile::copy(factory + QLatin1Char('/') + name, home.path() + QStringLiteral("/default/") + name);
        }
    }
    ~MainFormFixture() { form.reset(); }

    QString dataFolder() const { return nox::folders::dataFolder(); }
    QString dataFile(const QString& name) const { return dataFolder() + QLatin1Char('/') + name; }

    // Creates the window, shows it and runs the deferred start-up.
    nox::TNoxMainForm* start(bool show = true)
    {
        nox::TNoxMainForm::Options options;
        options.clock = [this] { return clock; };
        options.startTimer = false;
        if (captureNotices) {
            options.showFailure = [this](const QString& message) { failures << message; };
            options.showNotice = [this](const QString& text) { notices << text; };
        }
        options.pageOpener = pageOpener;
        if (capturePopups) {
            options.showPopup = [this](const nox::PopupRequest& r) { popups << r; };
        }
        form = std::make_unique<nox::TNoxMainForm>(options);
        if (show) {
            form->show();
            form->activateWindow();
            (void)QTest::qWaitForWindowActive(form.get());
        }
        form->timerBeat();
        return form.get();
    }
    // Closes and destroys the window (shutdown writes everything back).
    void stop()
    {
        if (form) {
            form->close();
            form.reset();
        }
    }
    void writeFile(const QString& name, const QByteArray& bytes) const
    {
        QDir().mkpath(dataFolder());
        QFile f(dataFile(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};
