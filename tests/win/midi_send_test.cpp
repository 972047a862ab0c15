// Sending to a MIDI port: the winmm layer and the window's MIDI menu, against a recording stand-in device
// put in place of winmm's functions through their import slots (a short-message call would show in the
// recorded calls), and against Wine's real winmm, which finds no device here.
#include <windows.h>

#include <gtest/gtest.h>
#include <mmsystem.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/midi_menu.h"
#include "midiout/midi_out.h"
#include "res/resource.h"
#include "tests/win/fake_winmm.h"
#include "tests/win/modal.h"
#include "tests/win/program_fixture.h"
#include "tests/win/ui_texts.h"

namespace {

const char Gs440[] = "\xF0\x41\x10\x42\x12\x40\x00\x00\x00\x04\x00\x00\x3C\xF7";
const char Xg440[] = "\xF0\x43\x10\x4C\x00\x00\x00\x00\x04\x00\x00\xF7";
const char Gm2At440[] = "\xF0\x7F\x7F\x04\x03\x00\x40\xF7";

SysexBytes Message(const char* bytes, std::size_t size) { return SysexBytes(bytes, bytes + size); }

std::vector<SysexBytes> AllThree() { return {Message(Gs440, 14), Message(Xg440, 12), Message(Gm2At440, 8)}; }

DWORD TimeOf(const std::vector<FakeCall>& calls, const std::string& what, int nth) {
  for (const FakeCall& call : calls) {
    if (call.what == what && nth-- == 0) return call.time;
  }
  return 0;
}

TEST(MidiOutWinmm, ListsEachDeviceByItsNumberAndName) {
  FakeDevice device;
  device.names = {"Fake Synth", "Second Module"};
  FakeWinmm fake(device);
  ASSERT_TRUE(fake.Installed());
  std::vector<MidiPort> ports = ListMidiPorts();
  ASSERT_EQ(2u, ports.size());
  EXPECT_EQ(0, ports[0].index);
  EXPECT_EQ("Fake Synth", ports[0].name);
  EXPECT_EQ(1, ports[1].index);
  EXPECT_EQ("Second Module", ports[1].name);
  EXPECT_TRUE(ports[1].path.empty());
}

TEST(MidiOutWinmm, SendsEachMessageWholeInOrderWaitingForDoneAndTheGap) {
  FakeDevice device;
  device.names = {"Fake Synth", "Second Module"};
  FakeWinmm fake(device);
  ASSERT_TRUE(fake.Installed());
  MidiPort port;
  port.index = 1;
  MidiSendTiming timing;
  timing.gapMs = 120;
  MidiError error;
  ASSERT_TRUE(SendSysex(port, AllThree(), timing, error)) << error.systemText;
  EXPECT_EQ(MidiStep::None, error.step);
  EXPECT_EQ(
      "open 1 prepare long done unprepare prepare long done unprepare prepare long done unprepare close",
      fake.CallNames());
  std::vector<std::string> messages = fake.Messages();
  ASSERT_EQ(3u, messages.size());
  EXPECT_EQ(std::string(Gs440, 14), messages[0]);
  EXPECT_EQ(std::string(Xg440, 12), messages[1]);
  EXPECT_EQ(std::string(Gm2At440, 8), messages[2]);
  // The gap runs from one message being done to the next being queued (tick counts are coarse).
  std::vector<FakeCall> calls = fake.Calls();
  for (int k = 0; k < 2; ++k) EXPECT_GE(TimeOf(calls, "long", k + 1) - TimeOf(calls, "done", k), 100u) << k;
}

TEST(MidiOutWinmm, AMessageNeverDoneIsResetWithinTheTimeLimitThenUnpreparedAndClosed) {
  FakeDevice device;
  device.doneAfterMs = -1;
  FakeWinmm fake(device);
  ASSERT_TRUE(fake.Installed());
  MidiPort port;
  port.index = 0;
  MidiSendTiming timing;
  timing.doneLimitMs = 300;
  MidiError error;
  const DWORD start = GetTickCount();
  EXPECT_FALSE(SendSysex(port, AllThree(), timing, error));
  const DWORD took = GetTickCount() - start;
  EXPECT_EQ(MidiStep::Timeout, error.step);
  EXPECT_GE(took, 290u);
  EXPECT_LT(took, 1500u);
  // The later messages are not sent; the stuck one is given back by the reset before it is unprepared.
  EXPECT_EQ("open 0 prepare long reset done unprepare close", fake.CallNames());
}

// The main window with a stand-in device of two ports.
class MidiMenuTest : public ProgramTest {
 protected:
  void OpenMidiMenu() {
    SendMessageA(MainWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(MidiMenu), MAKELPARAM(1, FALSE));
    Pump();
  }
  static std::string ItemText(int position) {
    char text[256] = "";
    GetMenuStringA(PortMenu, position, text, sizeof text, MF_BYPOSITION);
    return text;
  }
  static UINT ItemState(int position) { return GetMenuState(PortMenu, position, MF_BYPOSITION); }
  void Command(int id) {
    SendMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    Pump();
  }
  void ExpectErrorBox(const std::string& text) {
    std::vector<ModalSeen> seen = TakeSeenModals();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(ShownString(IDS_ERROR), seen[0].caption);
    EXPECT_EQ(text, seen[0].text);
    EXPECT_EQ(MainWindow, seen[0].owner);
  }
};

TEST_F(MidiMenuTest, TheSubmenuListsThePortsAndTheChosenOneIsSentToAndRemembered) {
  FakeDevice device;
  device.names = {"Fake Synth", "A&B Module"};
  FakeWinmm fake(device);
  ASSERT_TRUE(fake.Installed());
  StartProgram();
  OpenMidiMenu();
  ASSERT_EQ(2, GetMenuItemCount(PortMenu));
  EXPECT_EQ("Fake Synth", ItemText(0));
  EXPECT_EQ("A&&B Module", ItemText(1));  // shown as "A&B Module", not with B as the mnemonic
  EXPECT_EQ(static_cast<UINT>(IDM_PORT_FIRST), GetMenuItemID(PortMenu, 0));
  EXPECT_TRUE(ItemState(0) & MF_CHECKED);  // nothing chosen yet: the first
  EXPECT_FALSE(ItemState(1) & MF_CHECKED);

  Command(IDM_PORT_FIRST + 1);
  EXPECT_TRUE(ItemState(1) & MF_CHECKED);
  EXPECT_FALSE(ItemState(0) & MF_CHECKED);
  SelectFormat(2);
  Command(IDM_SEND);
  EXPECT_EQ("open 1 prepare long done unprepare close", fake.CallNames());
  ASSERT_EQ(1u, fake.Messages().size());
  EXPECT_EQ(std::string(Gm2At440, 8), fake.Messages()[0]);

  CloseProgram();
  RECT rect = WindowRect;
  char expected[160];
  wsprintfA(expected, "[AppSetting]\r\nLeft=%d\r\nTop=%d\r\nMidiFormat=2\r\nMidiPort=A&B Module\r\n",
            rect.left, rect.top);
  EXPECT_EQ(expected, ReadFile("Sonorel.ini"));

  // Next start: the remembered port is checked, and the menu built again shows the ports of now.
  StartProgram();
  OpenMidiMenu();
  EXPECT_TRUE(ItemState(1) & MF_CHECKED);
}

TEST_F(MidiMenuTest, APortThatIsGoneFallsBackToTheFirst) {
  WriteFile("Sonorel.ini", "[AppSetting]\r\nLeft=10\r\nTop=20\r\nMidiFormat=0\r\nMidiPort=Unplugged\r\n");
  FakeDevice device;
  device.names = {"Fake Synth", "Second Module"};
  FakeWinmm fake(device);
  ASSERT_TRUE(fake.Installed());
  StartProgram();
  OpenMidiMenu();
  EXPECT_TRUE(ItemState(0) & MF_CHECKED);
  Command(IDM_SEND);
  EXPECT_EQ("open 0 prepare long done unprepare close", fake.CallNames());
  EXPECT_EQ(std::string(Gs440, 14), fake.Messages().at(0));
}

TEST_F(MidiMenuTest, EachFailureShowsItsReasonAndClosesWhatWasOpened) {
  const std::string port = "Fake Synth";
  struct Case {
    const char* name;
    MMRESULT FakeDevice::*step;
    MMRESULT code;
    UiText text;  // the program's own part, before the system's words
    const char* calls;
  };
  const Case cases[] = {
      {"open",
       &FakeDevice::openResult,
       MMSYSERR_ALLOCATED,
       {"MIDIポート「Fake Synth」を開けませんでした。\n", "Could not open the MIDI port \"Fake Synth\".\n"},
       "open 0"},
      {"prepare",
       &FakeDevice::prepareResult,
       MMSYSERR_NOMEM,
       {"MIDIポート「Fake Synth」に送るデータを準備できませんでした。\n",
        "Could not prepare the data for the MIDI port \"Fake Synth\".\n"},
       "open 0 prepare close"},
      {"long message",
       &FakeDevice::longResult,
       MIDIERR_NOTREADY,
       {"MIDIポート「Fake Synth」に送信できませんでした。\n",
        "Could not send to the MIDI port \"Fake Synth\".\n"},
       "open 0 prepare long unprepare close"},
      {"close",
       &FakeDevice::closeResult,
       MMSYSERR_ERROR,
       {"MIDIポート「Fake Synth」を閉じられませんでした。\n",
        "Could not close the MIDI port \"Fake Synth\".\n"},
       "open 0 prepare long done unprepare close"},
  };
  StartProgram();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDevice device;
    device.*c.step = c.code;
    FakeWinmm fake(device);
    ASSERT_TRUE(fake.Installed());
    ExpectModal(Button(IDOK));
    Command(IDM_SEND);
    EXPECT_EQ(c.calls, fake.CallNames());
    const std::string systemText = MidiErrorText(c.code);
    EXPECT_FALSE(systemText.empty());
    ExpectErrorBox(Shown(c.text) + systemText);
  }
}

TEST_F(MidiMenuTest, AMessageNotDoneInTimeShowsTheTimeLimit) {
  FakeDevice device;
  device.doneAfterMs = -1;
  FakeWinmm fake(device);
  ASSERT_TRUE(fake.Installed());
  StartProgram();
  ExpectModal(Button(IDOK));
  Command(IDM_SEND);
  EXPECT_EQ("open 0 prepare long reset done unprepare close", fake.CallNames());
  ExpectErrorBox(Shown({"MIDIポート「Fake Synth」が2000ミリ秒以内に送信を終えませんでした。",
                        "The MIDI port \"Fake Synth\" did not finish sending within 2000 milliseconds."}));
}

// Wine's own winmm, with no MIDI device on these machines.
TEST_F(MidiMenuTest, WithoutAnyDeviceTheSubmenuShowsNoneAndSendingSaysWhy) {
  ASSERT_EQ(0u, midiOutGetNumDevs()) << "this machine has a MIDI output; the test expects none";
  StartProgram();
  OpenMidiMenu();
  ASSERT_EQ(1, GetMenuItemCount(PortMenu));
  EXPECT_EQ(ShownString(IDS_PORT_NONE), ItemText(0));
  EXPECT_EQ(static_cast<UINT>(IDM_PORT_NONE), GetMenuItemID(PortMenu, 0));
  EXPECT_TRUE(ItemState(0) & MF_GRAYED);
  ExpectModal(Button(IDOK));
  Command(IDM_SEND);
  ExpectErrorBox(ShownString(IDS_SEND_NO_PORT));
  // No port was chosen, so the settings file keeps exactly its three keys.
  CloseProgram();
  RECT rect = WindowRect;
  char expected[160];
  wsprintfA(expected, "[AppSetting]\r\nLeft=%d\r\nTop=%d\r\nMidiFormat=0\r\n", rect.left, rect.top);
  EXPECT_EQ(expected, ReadFile("Sonorel.ini"));
}

}  // namespace
