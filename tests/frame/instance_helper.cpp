// A second Nox-like process for the single-instance tests.
//   nox_instance_helper activate <lock> <server>: exit 2 when it found a
//       primary and delivered its request, 3 when delivery failed, 1 when it
//       became the primary itself.
//   nox_instance_helper hold <lock> <server>: becomes the primary, prints
//       "primary", then "activated" for every request, until killed.
//   nox_instance_helper hold-silent <lock> <server>: takes the lock but never
//       listens (a hung instance), prints "primary", waits until killed.
//   nox_instance_helper activate-folder|hold-folder <data folder> -: as
//       activate and hold, with the lock and the socket the program derives
//       from the data folder (whatever this process's environment).
#include <QCoreApplication>
#include <cstdio>

#include "app/singleinstance.h"
#include "core/instancelock.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        return 64;
    }
    if (args[1] == QLatin1String("hold-silent")) {
        nox::InstanceLock lock(args[2]);
        if (lock.tryAcquire() != nox::InstanceLock::Result::Acquired) {
            return 1;
        }
        std::puts("primary");
        std::fflush(stdout);
        return app.exec();
    }
    QString mode = args[1];
    QString lock = args[2];
    QString server = args[3];
    if (mode.endsWith(QLatin1String("-folder"))) {
        mode.chop(7);
        lock = nox::SingleInstance::lockFilePath(args[2]);
        server = nox::SingleInstance::serverNameFor(args[2]);
    }
    nox::SingleInstance guard(lock, server);
    const auto role = guard.start();
    if (mode == QLatin1String("activate")) {
        if (role != nox::SingleInstance::Role::Secondary) {
            return 1;
        }
        return guard.activatePrimary(3000) ? 2 : 3;
    }
    if (role != nox::SingleInstance::Role::Primary) {
        std::puts("secondary");
        return 1;
    }
    guard.OnActivateRequest = [](QObject*) {
        std::puts("activated");
        std::fflush(stdout);
    };
    std::puts("primary");
    std::fflush(stdout);
    return app.exec();
}
