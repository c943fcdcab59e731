#include <iolane.h>

#include <boost/asio/post.hpp>

#include <QTest>

#include <atomic>
#include <optional>
#include <stdexcept>
#include <thread>

using commission::IoLane;

// Steps on one lane, each with what it must answer:
//   "+"  takes a connection        "-"  a connection closes
//   "+!" takes one whatever it runs "c"  begins a call     "e"  ends it
struct Step {
    const char *action;
    bool expected;
};
Q_DECLARE_METATYPE(QVector<Step>)

class IoLaneTest : public QObject {
    Q_OBJECT
private slots:
    void shouldRunACallOnlyForItsOnlyConnection_data()
    {
        QTest::addColumn<QVector<Step>>("steps");
        QTest::newRow("no connection") << QVector<Step>{{"c", false}};
        QTest::newRow("its only connection") << QVector<Step>{{"+", true}, {"c", true}, {"e", true}};
        QTest::newRow("two connections, then one again")
            << QVector<Step>{{"+", true}, {"+", true}, {"c", false}, {"-", true}, {"c", true}};
        QTest::newRow("no new connection while a call runs")
            << QVector<Step>{{"+", true}, {"c", true}, {"+", false}, {"e", true}, {"+", true}, {"c", false}};
        QTest::newRow("one call at a time") << QVector<Step>{{"+", true}, {"c", true}, {"c", false}};
        QTest::newRow("given one regardless while a call runs")
            << QVector<Step>{{"+", true}, {"c", true}, {"+!", true}, {"e", true}, {"c", false}};
    }
    void shouldRunACallOnlyForItsOnlyConnection()
    {
        QFETCH(QVector<Step>, steps);
        IoLane lane;
        for (const Step &step : steps) {
            const QByteArray action(step.action);
            bool answer = true;
            if (action == "+")
                answer = lane.takeConnection();
            else if (action == "+!")
                answer = lane.takeConnection(true);
            else if (action == "-")
                lane.connectionClosed();
            else if (action == "c")
                answer = lane.beginCall();
            else
                lane.endCall();
            QVERIFY2(answer == step.expected, action.constData());
        }
    }

    // The loop keeps running with no connection, and ends on stop.
    void shouldRunUntilStopped()
    {
        IoLane lane;
        std::atomic<bool> ran{false};
        std::thread thread([&] { lane.run(); });
        boost::asio::post(lane.io(), [&] { ran = true; });
        QTRY_VERIFY(ran);
        lane.stop();
        thread.join();
    }

    // A handler that raises is reported and the loop goes on; a connection
    // whose ticket is dropped on the way (the handler carrying it raised)
    // is no longer counted.
    void shouldGoOnAfterAHandlerRaises()
    {
        std::atomic<int> reported{0};
        IoLane lane([&](std::exception_ptr) { ++reported; });
        std::thread thread([&] { lane.run(); });
        std::optional<IoLane::Ticket> ticket = lane.ticket();
        QVERIFY(ticket);
        QCOMPARE(lane.connections(), 1);
        boost::asio::post(lane.io(), [carried = std::move(*ticket)] { throw std::runtime_error("handler"); });
        ticket.reset();
        std::atomic<bool> ran{false};
        boost::asio::post(lane.io(), [&] { ran = true; });
        QTRY_VERIFY(ran);
        QCOMPARE(reported.load(), 1);
        QCOMPARE(lane.connections(), 0);
        {
            const IoLane::Ticket only = std::move(*lane.ticket());
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, [&] {
                const IoLane::CallClaim claim(lane);
                QVERIFY(claim);
                throw std::runtime_error("call");
            }());
            QVERIFY(!lane.runsCall());
        }
        lane.stop();
        thread.join();
    }
};

QTEST_GUILESS_MAIN(IoLaneTest)
#include "iolanetest.moc"
