// Drag and drop of files, both ways, between a frame in a real X server (Xvfb) and peers of the
// test's own that speak XDND on connections of their own; the uri-list text on its own.

#include <gtest/gtest.h>

// Xlib after GoogleTest (its macros clash with names there) and before the toolkit (View.h).
#include "tests/plugin/editor/toolkit/XTestHost.h"
#include "tests/plugin/editor/toolkit/XdndPeers.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/DragAndDrop.h"
#include "plugin/editor/toolkit/Frame.h"
#include "tests/plugin/editor/toolkit/ToolkitFixtures.h"

namespace rimba::test {
namespace {

using toolkit::CPoint;
using toolkit::CRect;

struct UriListCase {
    const char* text;
    std::vector<std::string> paths;
};

TEST(UriList, DecodesLocalFileUrisAndSkipsEverythingElse) {
    const UriListCase cases[] = {
        {"file:///tmp/drum%20kit/caf%C3%A9.wav\r\n", {"/tmp/drum kit/caf\xC3\xA9.wav"}},
        {"# dragged from a file manager\r\nfile://localhost/a.wav\r\nfile://LOCALHOST/b.wav", {"/a.wav", "/b.wav"}},
        {"file:/short/form.wav\nfile:///lone/line/feed.wav\n", {"/short/form.wav", "/lone/line/feed.wav"}},
        {"http://example.org/a.wav\r\nfile://otherhost/a.wav\r\nfile://localhostx/a.wav\r\n", {}},
        {"file:///bad%zzescape\r\nfile:///cut%2\r\nfile:///nul%00byte\r\nfile:///ok%25.wav\r\n", {"/ok%.wav"}},
        {"file:///with/query?x=1\r\nfile:///relative/../kept.wav\r\n\r\n", {"/relative/../kept.wav"}},
    };
    for (const UriListCase& c : cases)
        EXPECT_EQ(toolkit::pathsOfUriList(c.text), c.paths) << c.text;
}

TEST(UriList, EncodesAPathThatDecodesBackToItself) {
    const std::string path = "/tmp/rimba dnd/50% pat\xC3\xA9#1?.mid";
    const std::string list = toolkit::fileUriList(path);
    EXPECT_EQ(list, "file:///tmp/rimba%20dnd/50%25%20pat%C3%A9%231%3F.mid\r\n");
    EXPECT_EQ(toolkit::pathsOfUriList(list), std::vector<std::string>{path});
}

void* asParent(Window window) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)); }

// The frame's window sits at (50, 60) on the screen: no window manager moves it.
constexpr int kFrameLeft = 50;
constexpr int kFrameTop = 60;

class DropOnFrame : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.connected()) << "no X server: run under tests/support/with-xvfb.sh";
        host = x.makeWindow(kFrameLeft, kFrameTop, 300, 200);
        frame = std::make_unique<toolkit::CFrame>(CRect{0, 0, 300, 200}, nullptr);
        ASSERT_TRUE(frame->open(asParent(host)));
    }
    void TearDown() override {
        frame.reset();
        if (x.connected())
            XDestroyWindow(x.display, host);
    }
    // Only the left half of the frame takes drops.
    void takeDropsOnTheLeft() {
        frame->setDropHandler({[this](CPoint where) {
                                   asked.push_back(where);
                                   return where.x < 150;
                               },
                               [this](CPoint where, const std::vector<std::string>& paths) {
                                   droppedAt = where;
                                   dropped.push_back(paths);
                               }});
    }
    bool idleUntil(XdndSourcePeer& peer, const std::function<bool()>& done) {
        return XTestHost::idleUntil(
            [&] {
                frame->idle();
                peer.pump();
            },
            done);
    }
    // The frame changes the property on its own connection: the server may take the change after
    // this connection's question, so the answer is awaited a little.
    bool awareVersionBecomes(long expected) {
        for (int i = 0; i < 100; ++i) {
            if (awareVersion() == expected)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    long awareVersion() {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* bytes = nullptr;
        XGetWindowProperty(x.display, frame->getWindow(), atomOf(x.display, "XdndAware"), 0, 1, False, XA_ATOM, &type,
                           &format, &count, &after, &bytes);
        const long version = bytes && count == 1 ? static_cast<long>(*reinterpret_cast<unsigned long*>(bytes)) : 0;
        if (bytes)
            XFree(bytes);
        return version;
    }

    XTestHost x;
    Window host = 0;
    std::unique_ptr<toolkit::CFrame> frame;
    std::vector<CPoint> asked;
    CPoint droppedAt;
    std::vector<std::vector<std::string>> dropped;
};

TEST_F(DropOnFrame, AUriListDroppedWhereTheHandlerAcceptsReachesItDecodedAtThatPoint) {
    EXPECT_TRUE(awareVersionBecomes(0));  // no handler: the window says nothing of drops
    takeDropsOnTheLeft();
    EXPECT_TRUE(awareVersionBecomes(5));
    XdndSourcePeer peer("# two\r\nfile:///tmp/drum%20kit/caf%C3%A9.wav\r\nhttp://example.org/x.wav\r\n");
    // More than three types: the frame reads them from the source's XdndTypeList.
    peer.enter(frame->getWindow(), {"text/plain", "UTF8_STRING", "text/x-moz-url", "text/uri-list"});
    peer.position(kFrameLeft + 120, kFrameTop + 130);
    ASSERT_TRUE(idleUntil(peer, [&] { return peer.statuses.size() == 1; }));
    EXPECT_TRUE(peer.statuses[0].accepted);
    EXPECT_EQ(peer.statuses[0].action, atomOf(peer.display, "XdndActionCopy"));
    peer.drop();
    ASSERT_TRUE(idleUntil(peer, [&] { return peer.finishedCount == 1; }));
    EXPECT_TRUE(peer.finishedWithSuccess);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0], std::vector<std::string>{"/tmp/drum kit/caf\xC3\xA9.wav"});
    EXPECT_EQ(droppedAt, (CPoint{120, 130}));
    EXPECT_EQ(asked, std::vector<CPoint>{droppedAt});
    frame->setDropHandler({});
    EXPECT_TRUE(awareVersionBecomes(0));
}

struct RefusalCase {
    const char* what;
    std::vector<std::string> types;
    int frameX;  // where the pointer is when the source drops (anyway)
    bool handlerIsAsked;  // only offers of text/uri-list reach the handler
};

TEST_F(DropOnFrame, RefusedOffersGetNoDropAndAFailedFinish) {
    takeDropsOnTheLeft();
    const RefusalCase cases[] = {
        {"the handler refuses the point", {"text/uri-list"}, 200, true},
        {"no uri-list among the types", {"text/plain", "UTF8_STRING"}, 20, false},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.what);
        asked.clear();
        XdndSourcePeer peer("file:///tmp/a.wav\r\n");
        peer.enter(frame->getWindow(), c.types);
        peer.position(kFrameLeft + c.frameX, kFrameTop + 10);
        ASSERT_TRUE(idleUntil(peer, [&] { return peer.statuses.size() == 1; }));
        EXPECT_FALSE(peer.statuses[0].accepted);
        EXPECT_EQ(peer.statuses[0].action, None);
        EXPECT_EQ(asked.size(), c.handlerIsAsked ? 1u : 0u);
        peer.drop();  // a source that drops all the same is told the drop failed
        ASSERT_TRUE(idleUntil(peer, [&] { return peer.finishedCount == 1; }));
        EXPECT_FALSE(peer.finishedWithSuccess);
        EXPECT_TRUE(dropped.empty());
    }
}

TEST_F(DropOnFrame, ASourceThatNeverGivesTheDataIsToldTheDropFailedAndTheHandlerGetsNothing) {
    takeDropsOnTheLeft();
    XdndSourcePeer peer("file:///tmp/a.wav\r\n");
    peer.answersRequests = false;
    peer.enter(frame->getWindow(), {"text/uri-list"});
    peer.position(kFrameLeft + 10, kFrameTop + 10);
    ASSERT_TRUE(idleUntil(peer, [&] { return peer.statuses.size() == 1; }));
    peer.drop();
    ASSERT_TRUE(idleUntil(peer, [&] { return peer.finishedCount == 1; }));
    EXPECT_FALSE(peer.finishedWithSuccess);
    EXPECT_TRUE(dropped.empty());
}

// A view that drags a file out of the frame when pressed, and records what came of it.
class DragStarter : public RecordingView {
public:
    using RecordingView::RecordingView;
    toolkit::MouseResult onMouseDown(CPoint where, unsigned buttons) override {
        RecordingView::onMouseDown(where, buttons);
        result = getFrame()->startFileDrag(path) ? 1 : 0;
        return toolkit::MouseResult::handled;
    }
    std::string path = "/tmp/rimba dnd/pat\xC3\xA9.mid";
    int result = -1;  // -1: no drag yet
};

void xdotool(const std::string& arguments) { ASSERT_EQ(std::system(("xdotool " + arguments).c_str()), 0); }

struct DragCase {
    const char* what;
    int toX, toY;  // on the screen; the peer's window is (600, 100) to (800, 300)
    bool peerAccepts;
    bool throughProxy;
    bool escape;
    bool taken;
    bool entered;
    const char* data;  // what the peer converted
};

constexpr const char* kDraggedUri = "file:///tmp/rimba%20dnd/pat%C3%A9.mid\r\n";

TEST_F(DropOnFrame, AFileDraggedOutOfTheFrameReachesATargetThatTakesIt) {
    takeDropsOnTheLeft();  // aware itself, yet never a target of its own drags
    auto* starter = frame->add(std::make_unique<DragStarter>(CRect{100, 100, 150, 150}, 0x00ff00));
    const DragCase cases[] = {
        {"onto an accepting window", 700, 200, true, false, false, true, true, kDraggedUri},
        {"onto a window through its proxy", 700, 200, true, true, false, true, true, kDraggedUri},
        {"onto a refusing window", 700, 200, false, false, false, false, true, ""},
        {"cancelled with Escape", 700, 200, true, false, true, false, true, ""},
        {"back onto the frame itself", kFrameLeft + 20, kFrameTop + 20, true, false, false, false, false, ""},
    };
    for (const DragCase& c : cases) {
        SCOPED_TRACE(c.what);
        starter->result = -1;
        starter->log.clear();
        asked.clear();
        XdndTargetPeer peer(600, 100, 200, 200, c.peerAccepts, c.throughProxy);
        std::thread user([&] {
            xdotool("mousemove " + std::to_string(kFrameLeft + 120) + " " + std::to_string(kFrameTop + 120) +
                    " mousedown 1 mousemove " + std::to_string(c.toX) + " " + std::to_string(c.toY));
            // The release waits for the target's first answer, as a user's hand would.
            for (int i = 0; i < 250 && c.entered && peer.positionsSeen == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            xdotool(c.escape ? "key Escape mouseup 1" : "mouseup 1");
        });
        const bool ended = XTestHost::idleUntil([&] { frame->idle(); }, [&] { return starter->result >= 0; }, 500);
        user.join();
        ASSERT_TRUE(ended);
        EXPECT_EQ(starter->result == 1, c.taken);
        // The view that started the drag has its press ended by the drag's release.
        ASSERT_FALSE(starter->log.empty());
        EXPECT_EQ(starter->log.back(), "up " + RecordingView::describe({c.toX - kFrameLeft, c.toY - kFrameTop}, 1));
        const XdndTargetPeer::Seen seen = c.entered ? peer.seenOnceTheDragEnded() : peer.seen();
        EXPECT_EQ(seen.enterTypes, c.entered ? std::vector<std::string>{"text/uri-list"} : std::vector<std::string>{});
        EXPECT_EQ(seen.drops, c.taken ? 1 : 0);
        EXPECT_EQ(seen.leaves, c.entered && !c.taken ? 1 : 0);
        EXPECT_EQ(seen.data, c.data);
        EXPECT_TRUE(seen.messagesNamedTheWindow);
        EXPECT_TRUE(asked.empty());
        EXPECT_TRUE(dropped.empty());
    }
}

TEST_F(DropOnFrame, ADragAskedForWhileTheButtonIsUpDoesNotStart) {
    auto* starter = frame->add(std::make_unique<DragStarter>(CRect{100, 100, 150, 150}, 0x00ff00));
    // A press the server made up: the pointer's button is not down.
    x.sendButton(frame->getWindow(), ButtonPress, Button1, 120, 120, 0, 1000);
    // Should the drag start all the same, Escape ends it (and the view would get a release).
    std::thread safety([] {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        xdotool("key Escape");
    });
    EXPECT_TRUE(XTestHost::idleUntil([&] { frame->idle(); }, [&] { return starter->result >= 0; }, 500));
    safety.join();
    EXPECT_EQ(starter->result, 0);
    EXPECT_EQ(starter->log, std::vector<std::string>{"down 120,120 1"});
    EXPECT_EQ(frame->getMouseCapture(), starter);  // the press goes on until its own release
}

}  // namespace
}  // namespace rimba::test
