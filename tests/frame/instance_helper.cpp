// A second Nox-like process for the single-instance tests.
//   nox_instance_helper activate <lock> <server>: exit 2 when it found a
//       primary and delivered its request, 3 when delivery failed, 1 when it
//       became the primary itself.
//   nox_instance_helper hold <lock> <server>: becomes the primary, prints
//       "primary", then "activated" for every request, until killed.
//   nox_instance_helper hold-silent <lock> <server>: takes the lock but never
//       listens (a hung instance), prints "primary", waits until killed.
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
    nox::SingleInstance guard(args[2], args[3]);
    const auto role = guard.start();
    if (args[1] == QLatin1String("activate")) {
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
