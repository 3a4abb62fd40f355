// The renderer's end against an engine that calls in from threads of its own until told not to:
// the update callback is turned off while the render thread still runs and before the render
// context goes, and no call reaches the renderer after that. The engine here is a stand-in that
// keeps calling the callback from a thread of its own, as libmpv may whenever a frame is due.

#include "player/MpvLibrary.h"
#include "player/VideoRenderer.h"

#include <QTest>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

// What the stand-in engine saw; one renderer at a time.
struct Engine {
    std::mutex mutex; // libmpv serialises the callback's calls with its change
    mpv_render_update_fn callback = nullptr;
    void *context = nullptr;
    QThread *renderThread = nullptr;
    bool clearedWhileThreadRan = false;
    bool freedWithCallbackSet = false;
    std::atomic<int> calls{0};
};
Engine engine;

mpv_render_context *const FakeContext = reinterpret_cast<mpv_render_context *>(0x1);

MpvLibrary standInLibrary() {
    MpvLibrary mpv{};
    mpv.renderContextCreate = [](mpv_render_context **context, mpv_handle *, mpv_render_param *) {
        *context = FakeContext;
        return 0;
    };
    mpv.renderContextSetUpdateCallback = [](mpv_render_context *, mpv_render_update_fn callback,
                                            void *context) {
        std::lock_guard lock(engine.mutex);
        if (callback == nullptr && engine.renderThread != nullptr)
            engine.clearedWhileThreadRan = engine.renderThread->isRunning();
        engine.callback = callback;
        engine.context = context;
    };
    mpv.renderContextUpdate = [](mpv_render_context *) { return uint64_t(0); };
    mpv.renderContextFree = [](mpv_render_context *) {
        std::lock_guard lock(engine.mutex);
        engine.freedWithCallbackSet = engine.callback != nullptr;
    };
    return mpv;
}

} // namespace

class TestVideoRenderer : public QObject {
    Q_OBJECT

private slots:
    void callbackEndsBeforeTheThread() {
        const MpvLibrary mpv = standInLibrary();
        std::atomic<bool> done{false};
        std::thread caller;
        {
            VideoRenderer renderer(mpv, nullptr);
            engine.renderThread = renderer.thread();
            QVERIFY(engine.callback != nullptr);
            caller = std::thread([&done] {
                while (!done) {
                    std::lock_guard lock(engine.mutex);
                    if (engine.callback != nullptr) {
                        engine.callback(engine.context);
                        ++engine.calls;
                    }
                }
            });
            QTRY_VERIFY(engine.calls > 100);
        }
        engine.renderThread = nullptr;
        const int callsAtEnd = engine.calls;
        QTest::qWait(50);
        done = true;
        caller.join();
        QVERIFY2(engine.clearedWhileThreadRan, "the callback was not turned off in time");
        QVERIFY(!engine.freedWithCallbackSet);
        QCOMPARE(engine.calls.load(), callsAtEnd);
    }
};

QTEST_GUILESS_MAIN(TestVideoRenderer)
#include "tst_videorenderer.moc"
