#include "app/afterrepaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace nox
{

namespace
{

const QEvent::Type kWorkEvent = QEvent::Type(QEvent::registerEventType());

struct WorkEvent : QEvent {
    explicit WorkEvent(std::function<void()> w) : QEvent(kWorkEvent), work(std::move(w)) {}
    std::function<void()> work;
};

// A child of the context that takes the work's event and goes with it.
class Follower : public QObject
{
public:
    using QObject::QObject;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != kWorkEvent) {
            return QObject::event(e);
        }
        static_cast<WorkEvent*>(e)->work();
        deleteLater();
        return true;
    }
};

} // namespace

void runAfterRepaint(QObject* context, std::function<void()> work)
{
    QCoreApplication::postEvent(new Follower(context), new WorkEvent(std::move(work)), Qt::LowEventPriority);
}

} // namespace nox
