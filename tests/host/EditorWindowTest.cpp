// The editor in a Linux host's window: the built module loaded through its
// VST 2 entry, its editor opened inside a top-level window on a private X
// server, and real input from xdotool, pumped by the host's idle calls.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "effect/StretchParamSpecs.h"
#include "host/X11EditorHost.h"
#include "tests/audio/TestAudioFiles.h"
#include "tests/host/HeadlessEditorPicture.h"
#include "tests/host/HostRecords.h"
#include "tests/support/XdndSource.h"
#include "tests/support/XvfbServer.h"

namespace {

class EditorWindowTest : public PrivateXServerTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ServerRunning()) << "Xvfb did not start";
    std::string error;
    ASSERT_TRUE(host.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
    // Away from the editor, so no control shows a hover state.
    ASSERT_TRUE(Xdo("mousemove 1100 900"));
    ASSERT_TRUE(window.Open("Dilatorix test", &error)) << error;
    window.Idle(150);
  }

  int Count(VstInt32 opcode, int index) const { return CallCount(host, opcode, index); }
  bool StateNames(const std::string& path) { return ::StateNames(host, path); }

  // Drags the files from a file manager's side onto the host's window.
  bool DropOnWindow(const std::vector<std::string>& paths) {
    XdndSource source;
    if (!source.Ready()) return false;
    std::vector<std::string> uris;
    for (const std::string& path : paths) uris.push_back("file://" + path);
    source.SetUris(uris);
    return source.Drag(window.TopWindow(), 300, 300, [this] { window.Idle(0); });
  }

  // Right-clicks at (x, y) in the editor, which opens a field or a menu on
  // the control there, and lets the editor answer.
  bool RightClickAt(int x, int y) {
    if (!Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 3")) return false;
    window.Idle(100);
    return true;
  }
  bool RightClickRateFader() { return RightClickAt(300, 164); }
  bool RightClickDirectionSpinner() { return RightClickAt(290, 308); }

  VstHost host;
  X11EditorHost window{host};
};

TEST_F(EditorWindowTest, OpensInsideTheHostWindowAsTheHeadlessHostDrawsIt) {
  EXPECT_EQ(host.Effect()->flags & effFlagsHasEditor, effFlagsHasEditor);
  ASSERT_NE(window.EditorWindow(), 0u);
  const std::vector<std::uint32_t> shown = window.Screenshot();
  const std::vector<std::uint32_t> expected = HeadlessEditorPicture();
  ASSERT_EQ(shown.size(), 720u * 650u);
  ASSERT_EQ(expected.size(), shown.size());
  std::size_t differing = 0;
  for (std::size_t i = 0; i < shown.size(); ++i) differing += shown[i] != expected[i];
  EXPECT_EQ(differing, 0u);
}

TEST_F(EditorWindowTest, ClicksDragsWheelAndDoubleClicksReachTheControls) {
  // The audition switch.
  EXPECT_EQ(host.GetParameter(kAudition), 0.0f);
  ASSERT_TRUE(Xdo("mousemove 72 52 click 1"));
  window.Idle(100);
  EXPECT_EQ(host.GetParameter(kAudition), 1.0f);

  // A drag along the nominal rate fader that leaves the window still moves it,
  // inside one gesture.
  host.ClearRecords();
  ASSERT_TRUE(Xdo("mousemove 200 164 mousedown 1 mousemove 300 164 mousemove 900 164 mouseup 1"));
  window.Idle(150);
  EXPECT_EQ(host.GetParameter(kRateNom), 1.0f);
  EXPECT_EQ(Count(audioMasterBeginEdit, kRateNom), 1);
  EXPECT_EQ(Count(audioMasterEndEdit, kRateNom), 1);
  EXPECT_GE(Count(audioMasterAutomate, kRateNom), 2);
  ASSERT_FALSE(host.calls.empty());
  EXPECT_EQ(host.calls.front().opcode, audioMasterBeginEdit);
  EXPECT_EQ(host.calls.back().opcode, audioMasterEndEdit);

  // One wheel notch on the pitch knob, then a double click restores it.
  const float pitch = host.GetParameter(kPitch);
  ASSERT_TRUE(Xdo("mousemove 42 436 click 4"));
  window.Idle(100);
  EXPECT_GT(host.GetParameter(kPitch), pitch);
  ASSERT_TRUE(Xdo("click --repeat 2 --delay 60 1"));
  window.Idle(100);
  EXPECT_EQ(host.GetParameter(kPitch), pitch);

  // A notch on the direction spinner steps to the next choice.
  ASSERT_TRUE(Xdo("mousemove 290 308 click 4"));
  window.Idle(100);
  EXPECT_EQ(host.ParamDisplay(kDir), "Rev");
}

TEST_F(EditorWindowTest, DraggingAnEnvelopeHandleIsOneGestureThatChangesTheState) {
  const std::vector<unsigned char> before = host.GetChunk(false);
  const float flip = host.GetParameter(kVolumeEnvelope);
  host.ClearRecords();
  // The handle in the top left corner of the waveform, dragged to the middle.
  ASSERT_TRUE(Xdo("mousemove 100 40 mousedown 1 mousemove 200 60 mousemove 300 75 mouseup 1"));
  window.Idle(150);
  EXPECT_NE(host.GetParameter(kVolumeEnvelope), flip);
  EXPECT_EQ(Count(audioMasterBeginEdit, kVolumeEnvelope), 1);
  EXPECT_EQ(Count(audioMasterEndEdit, kVolumeEnvelope), 1);
  EXPECT_NE(host.GetChunk(false), before);
}

TEST_F(EditorWindowTest, OneDroppedFileLoadsAndSeveralAreRefusedWithAMessage) {
  const std::string first = WriteMonoWave("dropped one.wav", std::vector<double>(4410, 0.25));
  const std::string second = WriteMonoWave("dropped two.wav", std::vector<double>(4410, 0.5));
  ASSERT_TRUE(DropOnWindow({second, first}));
  window.Idle(100);
  EXPECT_FALSE(StateNames(first));
  EXPECT_FALSE(StateNames(second));
  // The refusal is a window of our own, dismissed with its OK button.
  ASSERT_TRUE(Xdo("search --name '^Dilatorix$' windowfocus --sync key Return"));
  window.Idle(100);
  EXPECT_FALSE(Xdo("search --name '^Dilatorix$'"));

  ASSERT_TRUE(DropOnWindow({first}));
  window.Idle(100);
  EXPECT_TRUE(StateNames(first));
}

// A right click on a fader opens a field over it with the parameter's text.
TEST_F(EditorWindowTest, TypedValuesCommitOnEnterOrAClickAndARightClickCancels) {
  ASSERT_TRUE(RightClickRateFader());
  ASSERT_TRUE(Xdo("type 0.5"));
  ASSERT_TRUE(Xdo("key Return"));
  window.Idle(150);
  EXPECT_FLOAT_EQ(host.GetParameter(kRateNom), 0.5f);

  // Typed, then a right click in the editor: nothing changes.
  ASSERT_TRUE(RightClickRateFader());
  ASSERT_TRUE(Xdo("type 0.75"));
  ASSERT_TRUE(Xdo("mousemove 690 620 click 3"));
  window.Idle(150);
  EXPECT_FLOAT_EQ(host.GetParameter(kRateNom), 0.5f);

  // Typed, then a left click elsewhere in the editor commits.
  ASSERT_TRUE(RightClickRateFader());
  ASSERT_TRUE(Xdo("type 0.25"));
  ASSERT_TRUE(Xdo("mousemove 690 620 click 1"));
  window.Idle(150);
  EXPECT_FLOAT_EQ(host.GetParameter(kRateNom), 0.25f);
}

// A right click on the direction spinner opens a menu of its choices.
TEST_F(EditorWindowTest, AMenuPicksAChoiceAndOutsideItPicksNothing) {
  EXPECT_EQ(host.ParamDisplay(kDir), "Fwd");
  host.ClearRecords();
  ASSERT_TRUE(RightClickDirectionSpinner());
  // The gesture of the right click ends as the menu opens.
  EXPECT_EQ(Count(audioMasterBeginEdit, kDir), 1);
  EXPECT_EQ(Count(audioMasterEndEdit, kDir), 1);
  ASSERT_TRUE(Xdo("key Down Down Down Return"));
  window.Idle(100);
  EXPECT_EQ(host.ParamDisplay(kDir), "Fwd-Rev");

  ASSERT_TRUE(RightClickDirectionSpinner());
  ASSERT_TRUE(Xdo("mousemove 1200 1000 click 1"));
  window.Idle(100);
  EXPECT_EQ(host.ParamDisplay(kDir), "Fwd-Rev");
  // The menu let go of the pointer: the editor takes clicks again.
  ASSERT_TRUE(Xdo("mousemove 72 52 click 1"));
  window.Idle(100);
  EXPECT_EQ(host.GetParameter(kAudition), 1.0f);
}

TEST_F(EditorWindowTest, ClosingTheEditorWithAnEntryOrAMenuOpenIsSafe) {
  ASSERT_TRUE(RightClickRateFader());
  ASSERT_TRUE(Xdo("type 0.7"));
  EXPECT_EQ(host.Dispatch(effEditClose), 1);
  std::string error;
  ASSERT_TRUE(window.Reopen(&error)) << error;
  window.Idle(100);
  ASSERT_TRUE(RightClickDirectionSpinner());
  window.Close();
  ASSERT_TRUE(window.Open("again", &error)) << error;
  window.Idle(100);
  ASSERT_TRUE(RightClickRateFader());
  window.DestroyWindowFirst();
  window.Idle(100);
  EXPECT_EQ(host.Dispatch(effEditClose), 1);
  EXPECT_EQ(host.ParamDisplay(kDir), "Fwd");
  EXPECT_NE(host.GetParameter(kRateNom), 0.7f);
}

// The load button runs the desktop's file dialog; here a stand-in for zenity
// that thinks a moment and answers with a file.
TEST_F(EditorWindowTest, TheLoadButtonLoadsTheFileTheDialogChose) {
  const std::string clip =
      WriteMonoWave("picked in the dialog.wav", std::vector<double>(4410, 0.25));
  const std::string folder = ::testing::TempDir() + "fake-dialog";
  ASSERT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
  {
    std::FILE* script = std::fopen((folder + "/zenity").c_str(), "w");
    ASSERT_NE(script, nullptr);
    std::fprintf(script, "#!/bin/sh\nsleep 0.3\necho '%s'\n", clip.c_str());
    std::fclose(script);
  }
  ASSERT_EQ(std::system(("chmod +x '" + folder + "/zenity'").c_str()), 0);
  const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "/usr/bin:/bin";
  setenv("PATH", (folder + ":" + path).c_str(), 1);
  ASSERT_TRUE(Xdo("mousemove 26 50 click 1"));
  window.Idle(600);
  setenv("PATH", path.c_str(), 1);
  EXPECT_TRUE(StateNames(clip));
}

TEST_F(EditorWindowTest, ReopeningKeepsTheControlsAndTheirValues) {
  ASSERT_TRUE(Xdo("mousemove 72 52 click 1"));
  ASSERT_TRUE(Xdo("mousemove 300 164 click 1 mousemove 1100 900"));
  window.Idle(150);
  const std::vector<std::uint32_t> before = window.Screenshot();
  std::string error;
  ASSERT_TRUE(window.Reopen(&error)) << error;
  window.Idle(150);
  EXPECT_EQ(window.Screenshot(), before);
  EXPECT_EQ(host.GetParameter(kAudition), 1.0f);
}

TEST_F(EditorWindowTest, AHostThatDestroysItsWindowFirstIsNotHurt) {
  window.DestroyWindowFirst();
  window.Idle(100);
  EXPECT_EQ(host.Dispatch(effEditClose), 1);
  std::string error;
  ASSERT_TRUE(window.Open("again", &error)) << error;
  window.Idle(100);
  ASSERT_TRUE(Xdo("mousemove 72 52 click 1"));
  window.Idle(100);
  EXPECT_EQ(host.GetParameter(kAudition), 1.0f);
}

TEST_F(EditorWindowTest, TwoEditorsOpenAtOnceAndOneClosing) {
  VstHost second;
  std::string error;
  ASSERT_TRUE(second.Load(DILATORIX_PLUGIN_PATH, &error)) << error;
  X11EditorHost secondWindow(second);
  ASSERT_TRUE(secondWindow.Open("second", &error)) << error;
  secondWindow.Idle(100);
  // The second window lies over the first; closing it uncovers the first,
  // which repaints and keeps taking clicks.
  secondWindow.Close();
  window.Idle(150);
  ASSERT_TRUE(Xdo("mousemove 72 52 click 1"));
  window.Idle(100);
  EXPECT_EQ(host.GetParameter(kAudition), 1.0f);
  EXPECT_EQ(second.GetParameter(kAudition), 0.0f);
  std::vector<std::uint32_t> shown = window.Screenshot();
  ASSERT_FALSE(shown.empty());
  EXPECT_NE(shown[200 * 720 + 300], 0xFF000000u);  // painted, not left black
}

TEST_F(EditorWindowTest, OpeningWithoutAParentWindowFails) {
  window.Close();
  EXPECT_EQ(host.Dispatch(effEditOpen, 0, 0, nullptr), 0);
  // An id the server does not know.
  EXPECT_EQ(host.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x7ffff0)), 0);
  EXPECT_EQ(host.Dispatch(effEditIdle), 0);
}

}  // namespace
