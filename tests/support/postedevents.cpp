#include "postedevents.h"

#include <QCoreApplication>
#include <QTest>

void deliverPostedEvents(int rounds)
{
    for (int round = 0; round < rounds; ++round) {
        bool delivered = false;
        QMetaObject::invokeMethod(
            qApp, [&delivered] { delivered = true; }, Qt::QueuedConnection);
        if (!QTest::qWaitFor([&delivered] { return delivered; }))
            qWarning("the event loop did not come round");
    }
}
