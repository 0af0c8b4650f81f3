// The interaction state machine, the Click rule and the Space key of CommandRules: every row of
// the state table from every state, then the pointer and keyboard scenarios as event sequences.
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "host/controls/command_rules.h"
#include "tests/host/controls/recording_view.h"

namespace controls {
namespace {

using S = ButtonState;
using I = FaceImage;

enum class Ev {
  Move, Focus, Blur, LDown, LUp, RDown, RUp, MDown, MUp, TickOut, TickIn, Resize, Disable, Enable, CaptureLost,
  SpaceDown, SpaceUp
};

void apply(CommandRules& core, Ev ev) {
  switch (ev) {
    case Ev::Move: core.pointerMove(); break;
    case Ev::Focus: core.focusGained(); break;
    case Ev::Blur: core.focusLost(); break;
    case Ev::LDown: core.pointerDown(MouseButton::Left); break;
    case Ev::LUp: core.pointerUp(MouseButton::Left); break;
    case Ev::RDown: core.pointerDown(MouseButton::Right); break;
    case Ev::RUp: core.pointerUp(MouseButton::Right); break;
    case Ev::MDown: core.pointerDown(MouseButton::Middle); break;
    case Ev::MUp: core.pointerUp(MouseButton::Middle); break;
    case Ev::TickOut: core.hoverTick(false); break;
    case Ev::TickIn: core.hoverTick(true); break;
    case Ev::Resize: core.resize(); break;
    case Ev::Disable: core.setEnabled(false); break;
    case Ev::Enable: core.setEnabled(true); break;
    case Ev::CaptureLost: core.captureLost(); break;
    case Ev::SpaceDown: core.spaceDown(); break;
    case Ev::SpaceUp: core.spaceUp(); break;
  }
}

// A loaded, initialised button (as on the settings dialog) brought into `state`.
struct Button {
  RecordingView view;
  CommandRules core{view, tahoma()};

  explicit Button(S state = S::Normal) {
    MemoryPropertyBag bag;
    core.readProperties(bag);
    core.Initialize();
    if (state == S::HighLight) core.pointerMove();
    if (state == S::Selected) core.focusGained();
    if (state == S::HighLightSelect) {
      core.focusGained();
      core.pointerMove();
    }
    EXPECT_EQ(core.members().State, state);
    view.clear();
  }
  void run(const std::vector<Ev>& events) {
    for (Ev ev : events) apply(core, ev);
  }
};

struct Row {
  const char* name;
  S from;
  std::vector<Ev> events;
  S to;
  std::vector<I> paints;
  int clicks;
};

std::ostream& operator<<(std::ostream& os, const Row& row) { return os << row.name; }

class StateTable : public ::testing::TestWithParam<Row> {};

TEST_P(StateTable, RowGivesStatePaintsAndClicks) {
  const Row& row = GetParam();
  Button b(row.from);
  b.run(row.events);
  EXPECT_EQ(b.core.members().State, row.to);
  EXPECT_EQ(b.view.paints, row.paints);
  EXPECT_EQ(b.view.clicks, row.clicks);
}

INSTANTIATE_TEST_SUITE_P(Rows, StateTable, ::testing::Values(
    // pointer move: the two rows, tested in order
    Row{"move Normal", S::Normal, {Ev::Move}, S::HighLight, {I::HighLight}, 0},
    Row{"move HighLight", S::HighLight, {Ev::Move}, S::HighLight, {}, 0},
    Row{"move Selected", S::Selected, {Ev::Move}, S::HighLightSelect, {I::HighLightSelect}, 0},
    Row{"move HighLightSelect", S::HighLightSelect, {Ev::Move}, S::HighLightSelect, {}, 0},
    Row{"move Normal twice", S::Normal, {Ev::Move, Ev::Move}, S::HighLight, {I::HighLight}, 0},
    // focus gained
    Row{"focus HighLight", S::HighLight, {Ev::Focus}, S::HighLightSelect, {I::Pressed}, 0},
    Row{"focus Normal", S::Normal, {Ev::Focus}, S::Selected, {I::Selected}, 0},
    Row{"focus Selected", S::Selected, {Ev::Focus}, S::Selected, {I::Selected}, 0},
    Row{"focus HighLightSelect", S::HighLightSelect, {Ev::Focus}, S::Selected, {I::Selected}, 0},
    // focus lost
    Row{"blur Normal", S::Normal, {Ev::Blur}, S::Normal, {}, 0},
    Row{"blur HighLight", S::HighLight, {Ev::Blur}, S::Normal, {I::Normal}, 0},
    Row{"blur Selected", S::Selected, {Ev::Blur}, S::Normal, {I::Normal}, 0},
    Row{"blur HighLightSelect", S::HighLightSelect, {Ev::Blur}, S::Normal, {I::Normal}, 0},
    // left press paints Pressed in every state; left release by state, then the Click rule
    Row{"left click Normal", S::Normal, {Ev::LDown, Ev::LUp}, S::Normal, {I::Pressed}, 1},
    Row{"left click HighLight", S::HighLight, {Ev::LDown, Ev::LUp}, S::HighLight, {I::Pressed, I::Normal}, 1},
    Row{"left click Selected", S::Selected, {Ev::LDown, Ev::LUp}, S::Selected, {I::Pressed}, 0},
    Row{"left click HighLightSelect", S::HighLightSelect, {Ev::LDown, Ev::LUp}, S::HighLightSelect,
        {I::Pressed, I::HighLightSelect}, 1},
    // other buttons paint nothing; their release follows the Click rule only
    Row{"right click Normal", S::Normal, {Ev::RDown, Ev::RUp}, S::Normal, {}, 1},
    Row{"right click HighLight", S::HighLight, {Ev::RDown, Ev::RUp}, S::HighLight, {}, 1},
    Row{"right click Selected", S::Selected, {Ev::RDown, Ev::RUp}, S::Selected, {}, 0},
    Row{"right click HighLightSelect", S::HighLightSelect, {Ev::RDown, Ev::RUp}, S::HighLightSelect, {}, 1},
    Row{"middle click HighLight", S::HighLight, {Ev::MDown, Ev::MUp}, S::HighLight, {}, 1},
    // a release whose press did not go to this control
    Row{"release without press", S::HighLight, {Ev::LUp, Ev::RUp}, S::HighLight, {}, 0},
    Row{"right press, left release", S::HighLight, {Ev::RDown, Ev::LUp}, S::HighLight, {}, 0},
    // hover timer
    Row{"tick out HighLight", S::HighLight, {Ev::TickOut}, S::Normal, {I::Normal}, 0},
    Row{"tick out HighLightSelect", S::HighLightSelect, {Ev::TickOut}, S::Selected, {I::Selected}, 0},
    Row{"tick out Normal", S::Normal, {Ev::TickOut}, S::Normal, {}, 0},
    Row{"tick out Selected", S::Selected, {Ev::TickOut}, S::Selected, {}, 0},
    Row{"tick in HighLight", S::HighLight, {Ev::TickIn}, S::HighLight, {}, 0},
    Row{"tick in HighLightSelect", S::HighLightSelect, {Ev::TickIn}, S::HighLightSelect, {}, 0},
    // resize repaints Normal and keeps the state
    Row{"resize Normal", S::Normal, {Ev::Resize}, S::Normal, {I::Normal}, 0},
    Row{"resize HighLight", S::HighLight, {Ev::Resize}, S::HighLight, {I::Normal}, 0},
    Row{"resize Selected", S::Selected, {Ev::Resize}, S::Selected, {I::Normal}, 0},
    Row{"resize HighLightSelect", S::HighLightSelect, {Ev::Resize}, S::HighLightSelect, {I::Normal}, 0},
    // Space, pressed and released: Click in any state (Selected too), no paint, no new state
    Row{"space Selected", S::Selected, {Ev::SpaceDown, Ev::SpaceUp}, S::Selected, {}, 1},
    Row{"space HighLightSelect", S::HighLightSelect, {Ev::SpaceDown, Ev::SpaceUp}, S::HighLightSelect, {}, 1},
    Row{"space released without press", S::Selected, {Ev::SpaceUp}, S::Selected, {}, 0}),
    [](const ::testing::TestParamInfo<Row>& info) {
      std::string name = info.param.name;
      for (char& c : name) if (c == ' ' || c == ',') c = '_';
      return name;
    });

// The scenarios: a pointer or focus story from an idle button.
struct Scenario {
  const char* name;
  std::vector<Ev> events;
  S state;
  std::vector<I> paints;
  int clicks;
};

std::ostream& operator<<(std::ostream& os, const Scenario& s) { return os << s.name; }

class Scenarios : public ::testing::TestWithParam<Scenario> {};

TEST_P(Scenarios, EndInStateWithPaintsAndClicks) {
  const Scenario& s = GetParam();
  Button b;
  b.run(s.events);
  EXPECT_EQ(b.core.members().State, s.state);
  EXPECT_EQ(b.view.paints, s.paints);
  EXPECT_EQ(b.view.clicks, s.clicks);
}

INSTANTIATE_TEST_SUITE_P(Pointer, Scenarios, ::testing::Values(
    Scenario{"hover_and_leave_within_a_tick", {Ev::Move, Ev::TickOut}, S::Normal, {I::HighLight, I::Normal}, 0},
    Scenario{"hover_and_stay", {Ev::Move, Ev::TickIn, Ev::TickIn, Ev::Move}, S::HighLight, {I::HighLight}, 0},
    // focus arrives with the press, before the press row
    Scenario{"click_from_hover", {Ev::Move, Ev::Focus, Ev::LDown, Ev::LUp}, S::HighLightSelect,
             {I::HighLight, I::Pressed, I::Pressed, I::HighLightSelect}, 1},
    Scenario{"click_when_focused", {Ev::Focus, Ev::Move, Ev::LDown, Ev::LUp}, S::HighLightSelect,
             {I::Selected, I::HighLightSelect, I::Pressed, I::HighLightSelect}, 1},
    Scenario{"two_clicks", {Ev::Move, Ev::Focus, Ev::LDown, Ev::LUp, Ev::LDown, Ev::LUp}, S::HighLightSelect,
             {I::HighLight, I::Pressed, I::Pressed, I::HighLightSelect, I::Pressed, I::HighLightSelect}, 2},
    // captured moves outside change nothing; the timer notices
    Scenario{"drag_off_and_release", {Ev::Move, Ev::Focus, Ev::LDown, Ev::Move, Ev::TickOut, Ev::LUp}, S::Selected,
             {I::HighLight, I::Pressed, I::Pressed, I::Selected}, 0},
    Scenario{"drag_off_release_then_back", {Ev::Move, Ev::Focus, Ev::LDown, Ev::TickOut, Ev::LUp, Ev::Move},
             S::HighLightSelect, {I::HighLight, I::Pressed, I::Pressed, I::Selected, I::HighLightSelect}, 0},
    Scenario{"drag_off_and_back", {Ev::Move, Ev::Focus, Ev::LDown, Ev::TickOut, Ev::Move, Ev::TickIn, Ev::LUp},
             S::Selected, {I::HighLight, I::Pressed, I::Pressed, I::Selected}, 0},
    Scenario{"drag_off_and_back_then_move", {Ev::Move, Ev::Focus, Ev::LDown, Ev::TickOut, Ev::Move, Ev::LUp, Ev::Move},
             S::HighLightSelect, {I::HighLight, I::Pressed, I::Pressed, I::Selected, I::HighLightSelect}, 0},
    Scenario{"release_before_the_tick_notices", {Ev::Move, Ev::Focus, Ev::LDown, Ev::Move, Ev::LUp},
             S::HighLightSelect, {I::HighLight, I::Pressed, I::Pressed, I::HighLightSelect}, 1},
    Scenario{"right_button_over_hovered", {Ev::Move, Ev::RDown, Ev::RUp}, S::HighLight, {I::HighLight}, 1},
    Scenario{"right_button_focused_elsewhere", {Ev::Focus, Ev::RDown, Ev::RUp}, S::Selected, {I::Selected}, 0},
    Scenario{"left_and_right_held_together", {Ev::Move, Ev::Focus, Ev::LDown, Ev::RDown, Ev::RUp, Ev::LUp},
             S::HighLightSelect, {I::HighLight, I::Pressed, I::Pressed, I::HighLightSelect}, 2},
    Scenario{"keyboard_focus_in_and_out", {Ev::Focus, Ev::Blur}, S::Normal, {I::Selected, I::Normal}, 0},
    Scenario{"focus_leaves_while_hovered", {Ev::Move, Ev::Focus, Ev::Blur, Ev::TickOut}, S::Normal,
             {I::HighLight, I::Pressed, I::Normal}, 0},
    // pressed capture taken away: the late release does not count
    Scenario{"capture_lost", {Ev::Move, Ev::Focus, Ev::LDown, Ev::CaptureLost, Ev::LUp}, S::HighLightSelect,
             {I::HighLight, I::Pressed, I::Pressed}, 0},
    // disabled: nothing but resize; re-enabling paints Normal whatever the state
    Scenario{"disabled_ignores_everything",
             {Ev::Disable, Ev::Move, Ev::Focus, Ev::LDown, Ev::LUp, Ev::RDown, Ev::RUp, Ev::TickOut, Ev::Blur},
             S::Normal, {I::Disable}, 0},
    Scenario{"disabled_resize_paints_disable", {Ev::Disable, Ev::Resize}, S::Normal, {I::Disable, I::Disable}, 0},
    Scenario{"disabled_while_hovered_keeps_state", {Ev::Move, Ev::Disable, Ev::TickOut}, S::HighLight,
             {I::HighLight, I::Disable}, 0},
    Scenario{"re_enabled_while_hovered", {Ev::Move, Ev::Disable, Ev::Enable, Ev::Move, Ev::TickOut, Ev::Move},
             S::HighLight, {I::HighLight, I::Disable, I::Normal, I::Normal, I::HighLight}, 0},
    Scenario{"press_disabled_release_enabled", {Ev::Move, Ev::Disable, Ev::LDown, Ev::Enable, Ev::LUp},
             S::HighLight, {I::HighLight, I::Disable, I::Normal, I::Normal}, 1},
    Scenario{"resize_hovered_focused", {Ev::Move, Ev::Focus, Ev::Resize}, S::HighLightSelect,
             {I::HighLight, I::Pressed, I::Normal}, 0},
    // the keyboard: focus by Tab, then Space
    Scenario{"space_held_clicks_once", {Ev::Focus, Ev::SpaceDown, Ev::SpaceDown, Ev::SpaceDown, Ev::SpaceUp},
             S::Selected, {I::Selected}, 1},
    Scenario{"space_press_lost_with_the_focus", {Ev::Focus, Ev::SpaceDown, Ev::Blur, Ev::Focus, Ev::SpaceUp},
             S::Selected, {I::Selected, I::Normal, I::Selected}, 0},
    Scenario{"space_on_a_disabled_button", {Ev::Focus, Ev::Disable, Ev::SpaceDown, Ev::SpaceUp}, S::Selected,
             {I::Selected, I::Disable}, 0}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

TEST(CommandState, HeldFlagFollowsTheLeftButtonOnly) {
  Button b(S::HighLight);
  b.core.pointerDown(MouseButton::Right);
  EXPECT_FALSE(b.core.members().ButtonHeld);
  b.core.pointerDown(MouseButton::Left);
  EXPECT_TRUE(b.core.members().ButtonHeld);
  EXPECT_EQ(b.core.buttonsPressedHere(), 3);
  b.core.pointerUp(MouseButton::Right);
  EXPECT_TRUE(b.core.members().ButtonHeld);
  b.core.pointerUp(MouseButton::Left);
  EXPECT_FALSE(b.core.members().ButtonHeld);
  EXPECT_EQ(b.core.buttonsPressedHere(), 0);
}

TEST(CommandState, NothingTracksBeforeInitialize) {
  RecordingView view;
  CommandRules core(view, tahoma());
  MemoryPropertyBag bag;
  core.readProperties(bag);
  view.clear();
  core.pointerMove();
  core.hoverTick(false);
  EXPECT_EQ(core.members().State, S::None);
  EXPECT_TRUE(view.paints.empty());
  EXPECT_EQ(view.timerInterval, 0u);
  core.Initialize();
  EXPECT_EQ(core.members().State, S::Normal);
  EXPECT_EQ(view.timerInterval, 100u);
}

// Normal and Selected white at the top, HighLight grey; HighLightSelect is fixed to grey
// too, however it was entered.
TEST(CommandState, GradientDirectionFollowsTheState) {
  struct Case {
    std::vector<Ev> events;
    bool inverted;
  };
  const Case cases[] = {
      {{Ev::Resize}, false},                        // Normal
      {{Ev::Move}, true},                           // HighLight
      {{Ev::Focus}, false},                         // Selected
      {{Ev::Move, Ev::Focus}, true},                // HighLightSelect by focus (Pressed)
      {{Ev::Focus, Ev::Move}, true},                // HighLightSelect by moving back
      {{Ev::Move, Ev::Focus, Ev::LDown}, true},     // Pressed while hovered
      {{Ev::Focus, Ev::LDown}, false},              // Pressed while Selected
      {{Ev::Move, Ev::Resize}, true},               // Normal image, HighLight state
  };
  for (const Case& c : cases) {
    Button b;
    b.run(c.events);
    ASSERT_FALSE(b.view.inverted.empty());
    EXPECT_EQ(b.view.inverted.back(), c.inverted);
    EXPECT_EQ(b.core.members().GradientInverted, c.inverted);
  }
}

TEST(CommandState, ClickComesAfterTheReleasePaint) {
  Button b;
  b.run({Ev::Move, Ev::Focus, Ev::LDown});
  b.view.clear();
  b.core.pointerUp(MouseButton::Left);
  EXPECT_EQ(b.view.log, (std::vector<std::wstring>{L"paint HighLightSelect", L"click"}));
}

}  // namespace
}  // namespace controls
