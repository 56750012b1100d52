// CTest labels: threads
#include "Platform/Threading/MainThreadQueue.h"

#include <QPromise>
#include <QTest>
#include <QThread>

#include <memory>
#include <thread>
#include <vector>

class TestMainThreadQueue : public QObject {
    Q_OBJECT
private slots:
    void jobsFromManyThreadsRunInPostingOrderOnTheQueueThread()
    {
        MainThreadQueue queue;
        constexpr int threads = 4;
        constexpr int jobsPerThread = 200;
        // Touched on the main thread only, by the jobs.
        std::vector<std::vector<int>> seen(threads);
        bool offThread = false;
        std::vector<std::thread> posters;
        for (int t = 0; t < threads; ++t) {
            posters.emplace_back([&, t] {
                for (int i = 0; i < jobsPerThread; ++i) {
                    queue.post([&, t, i] {
                        offThread |= QThread::currentThread() != queue.thread();
                        seen[t].push_back(i);
                    });
                }
            });
        }
        for (std::thread& poster : posters)
            poster.join();
        QTRY_VERIFY(std::all_of(seen.cbegin(), seen.cend(),
                                [](const auto& s) { return int(s.size()) == jobsPerThread; }));
        QVERIFY(!offThread);
        for (const std::vector<int>& s : seen)
            QVERIFY(std::is_sorted(s.cbegin(), s.cend()));
    }

    void jobsOfAGoneContextAreDropped()
    {
        MainThreadQueue queue;
        auto context = std::make_unique<QObject>();
        QStringList ran;
        queue.post(QPointer<QObject>(context.get()), [&] { ran << "gone"; });
        queue.post(QPointer<QObject>(&queue), [&] { ran << "alive"; });
        context.reset();
        QTRY_COMPARE(ran, QStringList{"alive"});
    }

    void destroyingTheQueueDropsWaitingJobsAndTheirCaptures()
    {
        auto queue = std::make_unique<MainThreadQueue>();
        auto captured = std::make_shared<int>(0);
        bool ran = false;
        std::thread([&] { queue->post([&ran, captured] { ran = true; }); }).join();
        queue.reset();
        QCOMPARE(captured.use_count(), 1);
        QCoreApplication::processEvents();
        QVERIFY(!ran);
    }

    // The owner a job deletes takes its queue with it: its other jobs would
    // use what is gone.
    void aJobThatDestroysTheQueueDropsTheRest()
    {
        auto* queue = new MainThreadQueue;
        bool secondRan = false;
        bool firstRan = false;
        queue->post([&] {
            firstRan = true;
            delete queue;
        });
        queue->post([&] { secondRan = true; });
        QTRY_VERIFY(firstRan);
        QCoreApplication::processEvents();
        QVERIFY(!secondRan);
    }

    void runAndWaitRunsOnTheQueueThread()
    {
        MainThreadQueue queue;
        QThread* ranOn = nullptr;
        QVERIFY(queue.runAndWait([&] { ranOn = QThread::currentThread(); }));
        QCOMPARE(ranOn, QThread::currentThread());

        ranOn = nullptr;
        std::atomic<int> result{-1};
        std::thread worker(
            [&] { result = queue.runAndWait([&] { ranOn = QThread::currentThread(); }) ? 1 : 0; });
        QTRY_VERIFY(result != -1);
        worker.join();
        QCOMPARE(result.load(), 1);
        QCOMPARE(ranOn, QThread::currentThread());
    }

    void futureResultsReachTheQueueThread()
    {
        MainThreadQueue queue;
        QObject context;
        QPromise<int> promise;
        promise.start();
        std::optional<int> received;
        QThread* receivedOn = nullptr;
        queue.postResult(promise.future(), &context, [&](int value) {
            received = value;
            receivedOn = QThread::currentThread();
        });
        std::thread([&] {
            promise.addResult(42);
            promise.finish();
        }).join();
        QTRY_COMPARE(received, 42);
        QCOMPARE(receivedOn, QThread::currentThread());
    }

    void futureOutlivingTheQueueOrTheContextDeliversNothing()
    {
        bool received = false;
        const auto receive = [&](int) { received = true; };

        QPromise<int> forGoneQueue;
        forGoneQueue.start();
        auto queue = std::make_unique<MainThreadQueue>();
        QObject context;
        queue->postResult(forGoneQueue.future(), &context, receive);
        queue.reset();
        forGoneQueue.addResult(1);
        forGoneQueue.finish();

        MainThreadQueue liveQueue;
        auto goneContext = std::make_unique<QObject>();
        QPromise<int> forGoneContext;
        forGoneContext.start();
        liveQueue.postResult(forGoneContext.future(), goneContext.get(), receive);
        forGoneContext.addResult(2);
        forGoneContext.finish();
        goneContext.reset();

        bool drained = false;
        liveQueue.post([&] { drained = true; });
        QTRY_VERIFY(drained);
        QVERIFY(!received);
    }
};

QTEST_GUILESS_MAIN(TestMainThreadQueue)
#include "tst_MainThreadQueue.moc"
