// File drops onto a window through XDND, against a scripted source on a second
// connection to a private X server: what arrives, what the source is told, and
// that sources which break the protocol or vanish leave the target working
// and raise no X error outside its guard.
// Google Test first: X11 defines None and Bool as macros.
// clang-format off
#include <gtest/gtest.h>
// clang-format on

#include <X11/Xatom.h>

#include <memory>
#include <string>
#include <vector>

#include "gui/X11Support.h"
#include "gui/XdndTarget.h"
#include "tests/support/X11DisplayTest.h"
#include "tests/support/XdndSource.h"

namespace {

using Items = std::vector<std::string>;

class XdndTargetTest : public X11DisplayTest {
 protected:
  void SetUp() override {
    X11DisplayTest::SetUp();
    if (HasFatalFailure()) return;
    window = X11CreateRasterWindow(display, DefaultRootWindow(display), 0, 0, 200, 200, 0);
    ASSERT_NE(window, None);
    target = std::make_unique<XdndTarget>(display, window);
    target->Advertise();
    source = NewSource();
  }

  void TearDown() override {
    source.reset();
    target.reset();
    X11DisplayTest::TearDown();
  }

  std::unique_ptr<XdndSource> NewSource() {
    auto made = std::make_unique<XdndSource>();
    EXPECT_TRUE(made->Ready());
    return made;
  }

  // Hands every pending event of the target's connection to the target.
  void PumpTarget() {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      Items items{"untouched"};
      bool dropped = true;
      const bool handled = target->HandleEvent(
          event, [this] { return accepting; }, &items, &dropped);
      if (handled && event.type == ClientMessage) ++messagesHandled;
      if (handled && event.type == SelectionNotify) ++selectionNotices;
      if (dropped) drops.push_back(items);
      EXPECT_TRUE(dropped || items == Items{"untouched"});
    }
  }
  std::function<void()> Pump() {
    return [this] { PumpTarget(); };
  }
  bool Drag(const std::vector<std::string>& uris) {
    source->SetUris(uris);
    return source->Drag(window, 30, 40, Pump());
  }
  // Lets the target answer everything outstanding.
  void Settle() {
    source->PumpUntil([] { return false; }, Pump(), 100);
  }

  Window window = None;
  std::unique_ptr<XdndTarget> target;
  std::unique_ptr<XdndSource> source;
  bool accepting = true;
  std::vector<Items> drops;
  int messagesHandled = 0;
  int selectionNotices = 0;
};

TEST_F(XdndTargetTest, AdvertisesVersion5) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(display, window, XInternAtom(display, "XdndAware", False), 0, 1,
                               False, AnyPropertyType, &type, &format, &count, &after, &data),
            Success);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(type, XA_ATOM);
  EXPECT_EQ(format, 32);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(*reinterpret_cast<const long*>(data), 5);
  XFree(data);
}

TEST_F(XdndTargetTest, OneFileArrivesDecoded) {
  EXPECT_TRUE(Drag({"file:///tmp/My%20Song%C3%A9.wav"}));
  EXPECT_EQ(drops, (std::vector<Items>{{"/tmp/My Song\xC3\xA9.wav"}}));
  const Atom copy = source->Intern("XdndActionCopy");
  EXPECT_EQ(source->StatusAction(), copy);
  EXPECT_EQ(source->FinishedAction(), copy);
  EXPECT_EQ(source->DataRequests(), 1);
  EXPECT_EQ(target->LastRootX(), 30);
  EXPECT_EQ(target->LastRootY(), 40);

  // The target is ready for the next drag, from another source.
  source = NewSource();
  EXPECT_TRUE(Drag({"file://localhost/b.wav"}));
  EXPECT_EQ(drops.size(), 2u);
  EXPECT_EQ(drops.back(), Items{"/b.wav"});
}

// The editor's window lies inside a host's top-level, where sources look.
TEST_F(XdndTargetTest, ATopLevelWithoutDropsOfItsOwnIsProxiedUntilTheTargetGoes) {
  auto property = [this](Window on, const char* name) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0, value = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, on, XInternAtom(display, name, False), 0, 1, False, AnyPropertyType,
                       &type, &format, &count, &after, &data);
    if (data != nullptr && count == 1) value = *reinterpret_cast<const unsigned long*>(data);
    if (data != nullptr) XFree(data);
    return value;
  };
  const Window top =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 300, 300, 0, 0, 0);
  const Window takesDrops =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 300, 300, 0, 0, 0);
  const long version = 5;
  XChangeProperty(display, takesDrops, XInternAtom(display, "XdndAware", False), XA_ATOM, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&version), 1);
  EXPECT_FALSE(target->ProxyFrom(takesDrops));
  EXPECT_EQ(property(takesDrops, "XdndProxy"), 0u);

  ASSERT_TRUE(target->ProxyFrom(top));
  EXPECT_EQ(property(top, "XdndAware"), 5u);
  EXPECT_EQ(property(top, "XdndProxy"), window);
  EXPECT_EQ(property(window, "XdndProxy"), window);
  source->SetUris({"file:///tmp/through%20the%20top.wav"});
  EXPECT_TRUE(source->Drag(top, 30, 40, Pump()));
  EXPECT_EQ(drops, (std::vector<Items>{{"/tmp/through the top.wav"}}));

  target.reset();
  EXPECT_EQ(property(top, "XdndAware"), 0u);
  EXPECT_EQ(property(top, "XdndProxy"), 0u);
  EXPECT_EQ(property(takesDrops, "XdndAware"), 5u);
}

TEST_F(XdndTargetTest, SeveralItemsArriveTogetherInOrder) {
  EXPECT_TRUE(Drag({"file:///a.wav", "http://example.com/x.wav", "file:///b.wav"}));
  EXPECT_EQ(drops, (std::vector<Items>{{"/a.wav", "", "/b.wav"}}));
}

TEST_F(XdndTargetTest, RefusalTellsTheSourceAndDeliversNothing) {
  accepting = false;
  EXPECT_FALSE(Drag({"file:///a.wav"}));
  EXPECT_GE(source->Statuses(), 1);
  EXPECT_FALSE(source->StatusAccepted());
  EXPECT_EQ(source->StatusAction(), static_cast<Atom>(None));

  // A source that drops even so hears at once that nothing was taken.
  source->Enter(window);
  source->Position(5, 5);
  source->Drop();
  ASSERT_TRUE(source->PumpUntil([this] { return source->Finished(); }, Pump()));
  EXPECT_FALSE(source->FinishedAccepted());

  // The predicate is asked again at the drop.
  accepting = true;
  source = NewSource();
  source->Enter(window);
  source->Position(5, 5);
  ASSERT_TRUE(source->PumpUntil([this] { return source->Statuses() > 0; }, Pump()));
  EXPECT_TRUE(source->StatusAccepted());
  accepting = false;
  source->Drop();
  ASSERT_TRUE(source->PumpUntil([this] { return source->Finished(); }, Pump()));
  EXPECT_FALSE(source->FinishedAccepted());

  // Without text/uri-list on offer there is nothing to take.
  accepting = true;
  source = NewSource();
  source->SetTypes({"text/plain", "UTF8_STRING"});
  EXPECT_FALSE(Drag({"file:///a.wav"}));
  EXPECT_GE(source->Statuses(), 1);

  Settle();
  EXPECT_TRUE(drops.empty());
  EXPECT_EQ(source->DataRequests(), 0);
}

TEST_F(XdndTargetTest, TypesBeyondThreeAreReadFromTheSourcesList) {
  source->SetTypes({"text/plain", "UTF8_STRING", "x-special/gnome-copied-files", "text/uri-list"});
  EXPECT_TRUE(Drag({"file:///fourth.wav"}));
  EXPECT_EQ(drops, (std::vector<Items>{{"/fourth.wav"}}));

  source = NewSource();
  source->SetTypes({"text/plain", "UTF8_STRING", "STRING", "TEXT", "text/html"});
  EXPECT_FALSE(Drag({"file:///fifth.wav"}));
  EXPECT_EQ(drops.size(), 1u);
}

TEST_F(XdndTargetTest, DataLargerThanOneReadArrivesWhole) {
  // About 600 KB of path in one item, and a second item after it.
  std::string uri = "file://";
  std::string path;
  for (int i = 0; i < 60000; ++i) {
    uri += "/dir%20" + std::to_string(i % 10);
    path += "/dir " + std::to_string(i % 10);
  }
  EXPECT_TRUE(Drag({uri, "file:///after.wav"}));
  ASSERT_EQ(drops.size(), 1u);
  ASSERT_EQ(drops[0].size(), 2u);
  EXPECT_EQ(drops[0][0].size(), path.size());
  EXPECT_TRUE(drops[0][0] == path);
  EXPECT_EQ(drops[0][1], "/after.wav");
}

TEST_F(XdndTargetTest, MessagesOutOfOrderAreRefused) {
  // Position and drop from a source that never entered.
  source->Aim(window);
  source->Position(1, 1);
  ASSERT_TRUE(source->PumpUntil([this] { return source->Statuses() > 0; }, Pump()));
  EXPECT_FALSE(source->StatusAccepted());
  source->Drop();
  ASSERT_TRUE(source->PumpUntil([this] { return source->Finished(); }, Pump()));
  EXPECT_FALSE(source->FinishedAccepted());

  // A drop after the drag left.
  source = NewSource();
  source->SetUris({"file:///a.wav"});
  source->Enter(window);
  source->Position(1, 1);
  ASSERT_TRUE(source->PumpUntil([this] { return source->Statuses() > 0; }, Pump()));
  EXPECT_TRUE(source->StatusAccepted());
  source->Leave();
  source->Drop();
  ASSERT_TRUE(source->PumpUntil([this] { return source->Finished(); }, Pump()));
  EXPECT_FALSE(source->FinishedAccepted());

  Settle();
  EXPECT_EQ(source->DataRequests(), 0);
  EXPECT_TRUE(drops.empty());
}

TEST_F(XdndTargetTest, DataThatCannotBeReadIsNotAccepted) {
  const auto dataPropertyGone = [this] {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, XInternAtom(display, "_DILATORIX_DROP", False), 0, 1, False,
                       AnyPropertyType, &type, &format, &count, &after, &data);
    if (data != nullptr) XFree(data);
    return type == None;
  };

  source->SetAnswer(XdndSource::Answer::kRefuse);
  EXPECT_FALSE(Drag({"file:///a.wav"}));
  EXPECT_TRUE(source->Finished());
  EXPECT_EQ(source->DataRequests(), 1);

  source = NewSource();
  source->SetAnswer(XdndSource::Answer::kIncr);
  EXPECT_FALSE(Drag({"file:///a.wav"}));
  EXPECT_TRUE(source->Finished());
  EXPECT_TRUE(dataPropertyGone());

  source = NewSource();
  EXPECT_FALSE(Drag({"# nothing but a comment"}));
  EXPECT_TRUE(source->Finished());
  EXPECT_TRUE(dataPropertyGone());

  EXPECT_TRUE(drops.empty());
}

TEST_F(XdndTargetTest, SourceVanishingMidDropLeavesTheTargetWorking) {
  // Gone before answering the data request: the server answers for it.
  source->SetUris({"file:///a.wav"});
  source->Enter(window);
  source->Position(1, 1);
  ASSERT_TRUE(source->PumpUntil([this] { return source->Statuses() > 0; }, Pump()));
  source->Drop();
  source->Vanish();
  ASSERT_TRUE(source->PumpUntil([this] { return selectionNotices > 0; }, Pump()));
  EXPECT_TRUE(drops.empty());

  // Gone after sending the data, before hearing that the drop finished.
  source = NewSource();
  source->SetUris({"file:///b.wav"});
  source->Enter(window);
  source->Position(1, 1);
  ASSERT_TRUE(source->PumpUntil([this] { return source->Statuses() > 0; }, Pump()));
  const int before = messagesHandled;
  source->Drop();
  // The target asks for the data; the source answers, and is gone before the
  // target reads the answer.
  ASSERT_TRUE(source->PumpUntil([&] { return messagesHandled > before; }, Pump()));
  ASSERT_TRUE(source->PumpUntil([this] { return source->DataRequests() > 0; }, [] {}));
  source->Vanish();
  ASSERT_TRUE(source->PumpUntil([this] { return !drops.empty(); }, Pump()));
  EXPECT_EQ(drops, (std::vector<Items>{{"/b.wav"}}));

  source = NewSource();
  EXPECT_TRUE(Drag({"file:///c.wav"}));
  EXPECT_EQ(drops.back(), Items{"/c.wav"});
}

TEST_F(XdndTargetTest, SourceThatNeverAnswersIsGivenUpForTheNextDrag) {
  source->SetAnswer(XdndSource::Answer::kNever);
  source->SetUris({"file:///a.wav"});
  source->Enter(window);
  source->Position(1, 1);
  ASSERT_TRUE(source->PumpUntil([this] { return source->Statuses() > 0; }, Pump()));
  source->Drop();
  ASSERT_TRUE(source->PumpUntil([this] { return source->DataRequests() > 0; }, Pump()));

  XdndSource next;
  ASSERT_TRUE(next.Ready());
  next.SetUris({"file:///b.wav"});
  EXPECT_TRUE(next.Drag(window, 1, 1, [this] {
    PumpTarget();
    source->Pump();
  }));
  EXPECT_EQ(drops, (std::vector<Items>{{"/b.wav"}}));
  EXPECT_TRUE(source->Finished());
  EXPECT_FALSE(source->FinishedAccepted());
}

}  // namespace
