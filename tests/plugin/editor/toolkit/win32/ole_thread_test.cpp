// OLE on the editor's thread: taken while an OleThread lives and given back when the last one
// goes; unavailable, without a crash and said once, on a thread the host runs multi-threaded.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "common/platform/win32/Windows.h"
#include "plugin/editor/toolkit/win32/OleDragDrop.h"
// After Windows.h, which leaves OLE out.
#include <ole2.h>

namespace rimba::toolkit::win32 {
namespace {

template <typename Work>
void onThreadOfItsOwn(Work work) {
    std::thread thread(work);
    thread.join();
}

// Whether the thread is free of COM and OLE: only then may it choose the multi-threaded model.
bool threadIsFreeOfCom() {
    const HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(result))
        CoUninitialize();
    return result == S_OK;
}

TEST(OleThread, HoldsOleWhileAnyLivesAndGivesItBackWhenTheLastGoes) {
    onThreadOfItsOwn([] {
        EXPECT_FALSE(oleDragAndDropAvailable());
        {
            const OleThread first;
            EXPECT_TRUE(first.dragAndDropAvailable());
            {
                const OleThread second;  // a second editor on the same host thread
                EXPECT_TRUE(second.dragAndDropAvailable());
            }
            EXPECT_TRUE(oleDragAndDropAvailable());
            EXPECT_FALSE(threadIsFreeOfCom());
        }
        EXPECT_FALSE(oleDragAndDropAvailable());
        EXPECT_TRUE(threadIsFreeOfCom());
    });
}

TEST(OleThread, AMultiThreadedHostThreadGetsNoDragAndDropAndHearsSoOnce) {
    onThreadOfItsOwn([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        const DropHandler handler{nullptr, [](CPoint, const std::vector<std::string>&) {}};
        testing::internal::CaptureStderr();
        {
            const OleThread first;
            const OleThread second;
            EXPECT_FALSE(first.dragAndDropAvailable());
            EXPECT_FALSE(second.dragAndDropAvailable());
            EXPECT_FALSE(oleDragAndDropAvailable());
            EXPECT_EQ(FileDropTarget::registerOn(window, handler), nullptr);
            EXPECT_EQ(FileDropTarget::objectsAlive(), 0);
        }
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_THAT(said, testing::HasSubstr("multi-threaded"));
        EXPECT_EQ(said.find("multi-threaded"), said.rfind("multi-threaded")) << said;
        // Nothing was taken from the host's COM: it is still multi-threaded, once.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        CoUninitialize();
        DestroyWindow(window);
        CoUninitialize();
    });
}

}  // namespace
}  // namespace rimba::toolkit::win32
