#include <callqueue.h>

#include <QTest>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

using commission::CallQueue;

namespace {

// A door the jobs wait at until the test opens it.
class Gate {
public:
    void open()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    void pass()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        ++m_waiting;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
    }
    // Waits until `count` jobs stand at the door.
    bool reached(int count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_waiting >= count; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    int m_waiting = 0;
};

}  // namespace

// The queue of calls: who runs a call, how many at once, in what order, and
// what a stop leaves.
class CallQueueTest : public QObject {
    Q_OBJECT
private slots:
    void shouldRunACallOnTheCallingThreadOnlyWhenThatKeepsTheRules_data();
    void shouldRunACallOnTheCallingThreadOnlyWhenThatKeepsTheRules();
    void shouldHandWhatQueuedMeanwhileToAWorkerInOrder();
    void shouldNeverRunMoreCallsAtOnceThanItsWorkers();
    void shouldFinishQueuedCallsOnStopAndTakeNoneAfter();
    void shouldGiveBackThePlaceOfAJobThatRaises();
};

void CallQueueTest::shouldRunACallOnTheCallingThreadOnlyWhenThatKeepsTheRules_data()
{
    QTest::addColumn<int>("workers");
    QTest::addColumn<int>("helpers");
    QTest::addColumn<int>("blockedOnWorkers");  // calls submitted first, held running
    QTest::addColumn<int>("blockedOnHelpers");  // calls run here first by other threads, held running
    QTest::addColumn<bool>("oneWaiting");       // a call left waiting in the queue
    QTest::addColumn<bool>("expectedHere");

    QTest::newRow("idle") << 4 << 1 << 0 << 0 << false << true;
    QTest::newRow("no helpers") << 4 << 0 << 0 << 0 << false << false;
    QTest::newRow("workers busy, room left") << 4 << 1 << 3 << 0 << false << true;
    QTest::newRow("every place taken by workers") << 2 << 1 << 2 << 0 << false << false;
    QTest::newRow("the helpers all running calls") << 4 << 1 << 0 << 1 << false << false;
    QTest::newRow("a second helper") << 4 << 2 << 0 << 1 << false << true;
    QTest::newRow("the places taken by helpers") << 1 << 2 << 0 << 1 << false << false;
    QTest::newRow("every place taken, a call waiting") << 1 << 2 << 1 << 0 << true << false;
}

void CallQueueTest::shouldRunACallOnTheCallingThreadOnlyWhenThatKeepsTheRules()
{
    QFETCH(int, workers);
    QFETCH(int, helpers);
    QFETCH(int, blockedOnWorkers);
    QFETCH(int, blockedOnHelpers);
    QFETCH(bool, oneWaiting);
    QFETCH(bool, expectedHere);

    // What the calls touch outlives the queue, whose workers run them.
    Gate gate;
    std::atomic<int> waitingRan{0};
    CallQueue queue(workers, 16, helpers);
    for (int i = 0; i < blockedOnWorkers; ++i)
        QVERIFY(queue.submit([&] { gate.pass(); }));
    std::vector<std::thread> others;
    for (int i = 0; i < blockedOnHelpers; ++i)
        others.emplace_back([&] { QVERIFY(queue.runHere([&] { gate.pass(); })); });
    QVERIFY(gate.reached(blockedOnWorkers + blockedOnHelpers));
    if (oneWaiting) {
        QVERIFY(queue.submit([&] { ++waitingRan; }));
        QCOMPARE(queue.waiting(), std::size_t(1));
    }

    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id ranOn;
    const bool here = queue.runHere([&] { ranOn = std::this_thread::get_id(); });
    gate.open();
    for (std::thread &other : others)
        other.join();
    QCOMPARE(here, expectedHere);
    QCOMPARE(ranOn == caller, expectedHere);
    if (oneWaiting)
        QTRY_COMPARE(waitingRan.load(), 1);
}

void CallQueueTest::shouldHandWhatQueuedMeanwhileToAWorkerInOrder()
{
    // One place: while the helper runs its call, the others can only queue;
    // then a worker serves them, the helper's thread being free again.
    std::vector<int> order;
    std::vector<std::thread::id> servedBy;
    std::mutex served;
    CallQueue queue(1, 16, 1);
    const auto record = [&](int call) {
        const std::lock_guard<std::mutex> lock(served);
        order.push_back(call);
        servedBy.push_back(std::this_thread::get_id());
    };
    const bool here = queue.runHere([&] {
        record(0);
        for (int call = 1; call <= 3; ++call)
            QVERIFY(queue.submit([&, call] { record(call); }));
        QCOMPARE(queue.waiting(), std::size_t(3));
    });
    QVERIFY(here);
    QTRY_COMPARE(int(queue.waiting()), 0);
    QTRY_COMPARE(
        [&] {
            const std::lock_guard<std::mutex> lock(served);
            return order;
        }(),
        (std::vector<int>{0, 1, 2, 3}));
    const std::lock_guard<std::mutex> lock(served);
    QVERIFY(servedBy[0] == std::this_thread::get_id());
    for (int call = 1; call <= 3; ++call)
        QVERIFY(servedBy[std::size_t(call)] != std::this_thread::get_id());
}

void CallQueueTest::shouldNeverRunMoreCallsAtOnceThanItsWorkers()
{
    constexpr int workers = 3;
    std::atomic<int> running{0};
    std::atomic<int> most{0};
    std::atomic<int> finished{0};
    CallQueue queue(workers, 100000, 2);
    const auto call = [&] {
        const int now = ++running;
        int seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::yield();
        --running;
        ++finished;
    };
    // Two threads in the part of the I/O threads, one submitting only.
    constexpr int callsPerThread = 2000;
    std::vector<std::thread> callers;
    for (int t = 0; t < 3; ++t) {
        callers.emplace_back([&, t] {
            std::mt19937 random(t);
            for (int i = 0; i < callsPerThread; ++i) {
                if (t == 2 || random() % 2 || !queue.runHere(call))
                    QVERIFY(queue.submit(call));
            }
        });
    }
    for (std::thread &caller : callers)
        caller.join();
    QTRY_COMPARE_WITH_TIMEOUT(finished.load(), 3 * callsPerThread, 20000);
    QVERIFY2(most.load() <= workers, qPrintable(QString::number(most.load())));
}

void CallQueueTest::shouldFinishQueuedCallsOnStopAndTakeNoneAfter()
{
    std::atomic<int> ran{0};
    {
        Gate gate;
        CallQueue queue(1, 16, 1);
        QVERIFY(queue.submit([&] { gate.pass(); }));
        QVERIFY(gate.reached(1));
        for (int i = 0; i < 5; ++i)
            QVERIFY(queue.submit([&] { ++ran; }));
        std::thread stopping([&] { queue.stop(); });
        QTRY_VERIFY(!queue.hasRoom());
        QVERIFY(!queue.runHere([&] { ran += 100; }));
        QVERIFY(!queue.submit([&] { ran += 100; }));
        gate.open();
        stopping.join();
        QCOMPARE(ran.load(), 5);
    }
    QCOMPARE(ran.load(), 5);
}

// A worker reports what its job raised and goes on; a caller's own thread
// gets it back. Either way the place is free again.
void CallQueueTest::shouldGiveBackThePlaceOfAJobThatRaises()
{
    std::atomic<int> reported{0};
    CallQueue queue(1, 16, 1, [&](std::exception_ptr) { ++reported; });
    QVERIFY(queue.submit([] { throw std::runtime_error("job"); }));
    QTRY_COMPARE(reported.load(), 1);
    QTRY_COMPARE(queue.running(), std::size_t(0));
    std::atomic<bool> ran{false};
    QVERIFY(queue.submit([&] { ran = true; }));
    QTRY_VERIFY(ran);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, queue.runHere([] { throw std::runtime_error("here"); }));
    QCOMPARE(queue.running(), std::size_t(0));
    QVERIFY(queue.runHere([] {}));
    QCOMPARE(reported.load(), 1);
}

QTEST_GUILESS_MAIN(CallQueueTest)
#include "callqueuetest.moc"
