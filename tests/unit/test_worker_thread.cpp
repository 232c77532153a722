// The worker-thread base.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>

#include "orelib/win32/WorkerThread.h"

namespace {

constexpr UINT kTestMessage = WM_APP + 0x100;

// A worker whose body the test chooses.
class CTestWorker : public orelib::CWorkerThread {
public:
    explicit CTestWorker(std::function<unsigned(CTestWorker&)> body) : m_body(std::move(body)) {}
    ~CTestWorker() override = default;
    unsigned Run() override { return m_body(*this); }

private:
    std::function<unsigned(CTestWorker&)> m_body;
};

// Runs until asked to stop; tells whether it saw the request.
unsigned RunUntilStopped(CTestWorker& self, std::atomic<bool>* sawStop) {
    while (!self.IsStopRequested()) Sleep(1);
    *sawStop = true;
    return 0;
}

LRESULT CALLBACK ReplyingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTestMessage) return static_cast<LRESULT>(wParam) * 2;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateReplyingWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &ReplyingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SfxWorkerTestWindow";
        RegisterClassW(&wc);
        registered = true;
    }
    return CreateWindowExW(0, L"SfxWorkerTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

TEST(WorkerThread, WaitWithoutThreadReturnsAtOnce) {
    CTestWorker worker([](CTestWorker&) { return 0u; });
    EXPECT_EQ(worker.WaitForEnd(), 0u);
}

TEST(WorkerThread, SendToTheWaitingOwnerIsAnswered) {
    HWND window = CreateReplyingWindow();
    std::atomic<LRESULT> reply{0};
    CTestWorker worker([&](CTestWorker&) {
        reply = SendMessageW(window, kTestMessage, 21, 0);
        PostMessageW(window, kTestMessage, 1, 0);
        return 0u;
    });
    ASSERT_TRUE(worker.Start());
    EXPECT_EQ(worker.WaitForEnd(), WAIT_OBJECT_0);
    EXPECT_EQ(reply.load(), 42);
    // The posted message was left in the queue for the message loop.
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, window, kTestMessage, kTestMessage, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 1u);
    // A finished thread: the wait returns at once.
    EXPECT_EQ(worker.WaitForEnd(), WAIT_OBJECT_0);
    DestroyWindow(window);
}

TEST(WorkerThread, WaitFromAnotherThreadBlocksWithoutPumping) {
    std::atomic<bool> release{false};
    CTestWorker worker([&](CTestWorker&) {
        while (!release) Sleep(1);
        return 0u;
    });
    ASSERT_TRUE(worker.Start());
    std::atomic<uint32_t> result{0xFFFFFFFF};
    CTestWorker waiter([&](CTestWorker&) {
        result = worker.WaitForEnd();
        return 0u;
    });
    ASSERT_TRUE(waiter.Start());
    Sleep(50);
    EXPECT_EQ(result.load(), 0xFFFFFFFFu);
    release = true;
    waiter.WaitForEnd();
    EXPECT_EQ(result.load(), WAIT_OBJECT_0);
}

TEST(WorkerThread, SecondStartWhileRunningFailsThenSucceedsAfterTheEnd) {
    std::atomic<bool> sawStop{false};
    std::atomic<int> runs{0};
    CTestWorker worker([&](CTestWorker& self) {
        ++runs;
        return RunUntilStopped(self, &sawStop);
    });
    ASSERT_TRUE(worker.Start());
    EXPECT_FALSE(worker.Start());
    worker.RequestStop(true);
    EXPECT_TRUE(sawStop.load());
    EXPECT_TRUE(worker.IsStopRequested());

    // A new start clears the stop flag left from the previous run.
    sawStop = false;
    ASSERT_TRUE(worker.Start());
    Sleep(20);
    EXPECT_FALSE(sawStop.load());
    EXPECT_FALSE(worker.IsStopRequested());
    worker.RequestStop(true);
    EXPECT_EQ(runs.load(), 2);
}

TEST(WorkerThread, DestroyingARunningWorkerStopsAndWaits) {
    std::atomic<bool> sawStop{false};
    {
        CTestWorker worker([&](CTestWorker& self) { return RunUntilStopped(self, &sawStop); });
        ASSERT_TRUE(worker.Start());
        Sleep(10);
    }
    EXPECT_TRUE(sawStop.load());
}

}  // namespace
