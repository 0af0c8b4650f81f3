// Properties, first-use step and persistence of CommandRules, and the property bag's
// conversions: what is stored, what comes back, and what a bad entry leaves alone.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "host/controls/command_rules.h"
#include "host/controls/property_bag_rules.h"
#include "tests/host/controls/recording_view.h"

namespace controls {
namespace {

using Log = std::vector<std::wstring>;

struct Fresh {
  RecordingView view;
  CommandRules core{view, tahoma()};
};

struct Loaded : Fresh {
  explicit Loaded(const MemoryPropertyBag& bag = {}) {
    core.readProperties(bag);
    core.Initialize();
    view.clear();
  }
};

// A control neither loaded nor initialised takes no part yet: pointer, focus and timer change
// nothing, paint nothing and raise no Click, and all it saves is that it was never initialised
// (disabled, FirstRun 0); caption, font, colour and face are at their defaults.
TEST(CommandProperties, AFreshControlIgnoresInputAndSavesOnlyThatItIsUninitialised) {
  Fresh f;
  f.core.pointerMove();
  f.core.focusGained();
  f.core.pointerDown(MouseButton::Left);
  f.core.pointerUp(MouseButton::Left);
  f.core.pointerDown(MouseButton::Right);
  f.core.pointerUp(MouseButton::Right);
  f.core.hoverTick(false);
  f.core.focusLost();
  MemoryPropertyBag bag;
  f.core.writeProperties(bag);
  EXPECT_TRUE(f.view.log.empty());
  EXPECT_EQ(f.core.members().State, ButtonState::None);
  ASSERT_EQ(bag.size(), 2u);
  EXPECT_EQ(bag.entries()[0], (std::pair<std::wstring, PropValue>{KeyEnabled, PropValue(false)}));
  EXPECT_EQ(bag.entries()[1], (std::pair<std::wstring, PropValue>{KeyFirstRun, PropValue(0)}));
}

TEST(CommandProperties, NeverSavedInstanceInitialisesOnFirstEnabledRead) {
  Fresh f;
  f.core.resize();  // the container sizes it: still disabled
  EXPECT_EQ(f.view.paints, std::vector<FaceImage>{FaceImage::Disable});
  EXPECT_FALSE(f.core.caption().enabledLook);
  f.view.clear();
  EXPECT_TRUE(f.core.Enabled());
  EXPECT_EQ(f.core.members().FirstRun, 1);
  EXPECT_EQ(f.view.paints, std::vector<FaceImage>{FaceImage::Normal});
  EXPECT_TRUE(f.core.caption().enabledLook);
  f.view.clear();
  EXPECT_TRUE(f.core.Enabled());  // later reads only repaint
  EXPECT_EQ(f.view.paints, std::vector<FaceImage>{FaceImage::Normal});
}

TEST(CommandProperties, SettersNotifyAndRepaintAsListed) {
  struct Case {
    const char* name;
    void (*act)(CommandRules&);
    Log log;
  };
  const Case cases[] = {
      {"Caption leaves the face", [](CommandRules& c) { c.setCaption(L"設定"); }, {L"caption", L"changed Caption"}},
      {"Font", [](CommandRules& c) { c.setFont(pGothic()); }, {L"caption", L"changed Font"}},
      {"FontColour", [](CommandRules& c) { c.setFontColour(0x0000FF); },
       {L"caption", L"paint Normal", L"changed FontColour"}},
      {"Enabled false", [](CommandRules& c) { c.setEnabled(false); },
       {L"changed Enabled", L"paint Disable", L"caption"}},
      {"Enabled true", [](CommandRules& c) { c.setEnabled(true); }, {L"changed Enabled", L"paint Normal"}},
      {"Visible 0", [](CommandRules& c) { c.setVisible(0); }, {L"opacity", L"changed Visible"}},
      {"Visible 1", [](CommandRules& c) { c.setVisible(1); }, {L"opacity", L"paint Normal", L"changed Visible"}},
      {"Visible 255", [](CommandRules& c) { c.setVisible(255); }, {L"opacity", L"paint Normal", L"changed Visible"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded l;
    c.act(l.core);
    EXPECT_EQ(l.view.log, c.log);
  }
}

TEST(CommandProperties, ReadsRepaintWhateverTheState) {
  Loaded l;
  l.core.pointerMove();  // HighLight
  l.view.clear();
  EXPECT_TRUE(l.core.Enabled());
  EXPECT_EQ(l.core.FontColour(), 0u);
  EXPECT_EQ(l.core.Visible(), 255);
  EXPECT_EQ(l.view.paints, (std::vector<FaceImage>{FaceImage::Normal, FaceImage::Normal, FaceImage::Normal}));
  EXPECT_EQ(l.core.members().State, ButtonState::HighLight);
  EXPECT_TRUE(l.view.changed.empty());

  l.core.setVisible(0);
  l.view.clear();
  EXPECT_EQ(l.core.Visible(), 0);
  EXPECT_TRUE(l.view.paints.empty());
}

TEST(CommandProperties, DisablingKeepsStateAndReEnablingPaintsNormal) {
  Loaded l;
  l.core.focusGained();
  l.core.setEnabled(false);
  EXPECT_EQ(l.core.members().State, ButtonState::Selected);
  EXPECT_FALSE(l.core.caption().enabledLook);
  l.view.clear();
  l.core.setEnabled(true);
  EXPECT_EQ(l.view.paints, std::vector<FaceImage>{FaceImage::Normal});
  EXPECT_TRUE(l.core.caption().enabledLook);
  EXPECT_EQ(l.core.members().State, ButtonState::Selected);
}

TEST(CommandProperties, RefreshFaceDoesNothingWhileDisabled) {
  Loaded l;
  l.core.setEnabled(false);
  l.view.clear();
  l.core.setFontColour(0x123456);
  EXPECT_EQ(l.view.log, (Log{L"caption", L"changed FontColour"}));
  EXPECT_EQ(l.core.caption().colour, 0x123456u);
}

// ---- persistence ----

TEST(CommandPersistence, DefaultsAreNotStored) {
  Loaded l;
  MemoryPropertyBag bag;
  l.core.writeProperties(bag);
  EXPECT_EQ(bag.size(), 0u);
  EXPECT_EQ(l.view.paints, std::vector<FaceImage>{FaceImage::Normal});  // save ends with RefreshFace
}

TEST(CommandPersistence, ValuesDifferingFromDefaultsAreStoredInOrderAndRestoredExactly) {
  Loaded a;
  a.core.setCaption(L"ｷｬﾝｾﾙ");
  a.core.setFont(pGothic());
  a.core.setFontColour(0x80000012u);  // top bit set: stored as a negative 32-bit number
  a.core.setVisible(0);
  a.core.setEnabled(false);
  MemoryPropertyBag bag;
  a.core.writeProperties(bag);
  ASSERT_EQ(bag.size(), 5u);
  const wchar_t* order[] = {L"Enabled", L"Caption", L"Font", L"FontColour", L"Visible"};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(bag.entries()[i].first, order[i]);
  EXPECT_EQ(bag.read(L"FontColour"), PropValue(static_cast<std::int64_t>(-2147483630)));
  EXPECT_EQ(bag.read(L"Visible"), PropValue(0));
  EXPECT_EQ(bag.read(L"Enabled"), PropValue(false));

  Fresh b;
  b.core.readProperties(bag);
  EXPECT_FALSE(b.core.members().Enabled);
  EXPECT_EQ(b.core.members().FirstRun, 1);
  EXPECT_EQ(b.core.Caption(), L"ｷｬﾝｾﾙ");
  EXPECT_EQ(b.core.Font(), pGothic());
  EXPECT_EQ(b.core.caption().colour, 0x80000012u);
  EXPECT_FALSE(b.core.members().FaceOpaque);
}

TEST(CommandPersistence, FirstRunZeroIsStoredAndBlackensTheCaption) {
  MemoryPropertyBag bag;
  bag.write(L"FirstRun", 0);
  bag.write(L"FontColour", 255);
  Fresh f;
  f.core.readProperties(bag);
  EXPECT_EQ(f.core.members().FirstRun, 0);
  EXPECT_EQ(f.core.caption().colour, 0u);  // RefreshFace at the end of loading
  MemoryPropertyBag saved;
  f.core.writeProperties(saved);
  EXPECT_EQ(saved.read(L"FirstRun"), PropValue(0));
}

TEST(CommandPersistence, AValueBackAtItsDefaultRemovesTheEarlierEntry) {
  Loaded l;
  MemoryPropertyBag bag;
  l.core.setEnabled(false);
  l.core.setCaption(L"...");
  l.core.writeProperties(bag);
  ASSERT_TRUE(bag.read(L"Enabled"));
  l.core.setEnabled(true);
  l.core.setCaption(L"Command");
  l.core.writeProperties(bag);
  EXPECT_EQ(bag.size(), 0u);
  Fresh f;
  f.core.readProperties(bag);
  EXPECT_TRUE(f.core.members().Enabled);
}

TEST(CommandPersistence, EmptyBagGivesTheDefaults) {
  Fresh f;
  f.core.setAmbientFont(pGothic());
  f.core.readProperties(MemoryPropertyBag{});
  EXPECT_TRUE(f.core.members().Enabled);
  EXPECT_EQ(f.core.members().FirstRun, 1);
  EXPECT_EQ(f.core.caption().colour, 0u);
  EXPECT_TRUE(f.core.members().FaceOpaque);
  EXPECT_EQ(f.core.Caption(), L"Command");
  EXPECT_EQ(f.core.Font(), pGothic());
  EXPECT_EQ(f.view.paints, std::vector<FaceImage>{FaceImage::Normal});
}

TEST(CommandPersistence, KeysMatchWithoutRegardToCase) {
  MemoryPropertyBag bag;
  bag.write(L"caption", L"設定");
  bag.write(L"font", pGothic());
  bag.write(L"ENABLED", false);
  bag.write(L"fontcolour", L"&HFF");
  bag.write(L"vIsIbLe", 0);
  Fresh f;
  f.core.readProperties(bag);
  EXPECT_EQ(f.core.Caption(), L"設定");
  EXPECT_EQ(f.core.Font(), pGothic());
  EXPECT_FALSE(f.core.members().Enabled);
  EXPECT_EQ(f.core.caption().colour, 0xFFu);
  EXPECT_FALSE(f.core.members().FaceOpaque);
}

TEST(CommandPersistence, BadEntriesAreSkippedAndLoadingGoesOn) {
  MemoryPropertyBag bag;
  bag.write(L"FontColour", L"blue");
  bag.write(L"Visible", 0);
  bag.write(L"Font", L"Tahoma");  // not a font object
  bag.write(L"FirstRun", 300);     // does not fit 8 bits
  bag.write(L"Enabled", L"maybe");
  Fresh f;
  f.core.setFontColour(0x00FF00);
  f.view.clear();
  f.core.readProperties(bag);
  EXPECT_EQ(f.core.caption().colour, 0x00FF00u);
  EXPECT_FALSE(f.core.members().FaceOpaque);
  EXPECT_EQ(f.core.Font(), tahoma());
  EXPECT_EQ(f.core.members().FirstRun, 0);
  EXPECT_FALSE(f.core.members().Enabled);
}

TEST(CommandPersistence, VisibleCodes) {
  struct Case {
    PropValue stored;
    bool startOpaque;
    bool opaque;
  };
  const Case cases[] = {
      {0, true, false},           {1, false, true},           {L"0", true, false},
      {L" 1 ", false, true},      {2, true, true},            {2, false, false},
      {-1, true, true},           {-1, false, false},         {255, false, false},
      {70000, true, true},        {true, false, false},       {false, true, false},
      {L"x", false, false},       {PropValue(), true, false},
  };
  for (const Case& c : cases) {
    Loaded l;
    l.core.setVisible(c.startOpaque ? 1 : 0);
    MemoryPropertyBag bag;
    bag.write(L"Visible", c.stored);
    l.core.readProperties(bag);
    EXPECT_EQ(l.core.members().FaceOpaque, c.opaque)
        << "stored " << (c.stored.asText() ? "text" : "") << (c.stored.asInteger() ? *c.stored.asInteger() : 0)
        << " from " << c.startOpaque;
  }
}

// ---- the bag's conversions ----

TEST(PropertyBagConversions, NumbersFromStoredValues) {
  struct Case {
    PropValue value;
    std::optional<std::int64_t> number;
  };
  const Case cases[] = {
      {42, 42},
      {true, -1},
      {false, 0},
      {PropValue(), 0},
      {L"12", 12},
      {L"  12\t", 12},
      {L"-7", -7},
      {L"+3", 3},
      {L"12.5", 12},
      {L"13.5", 14},
      {L"-2.5", -2},
      {L"1e3", 1000},
      {L"&HFF", 255},
      {L"&hc6c5d7", 0xC6C5D7},
      {L"&HFFFFFFFF", -1},
      {L"True", -1},
      {L"false", 0},
      {L"", std::nullopt},
      {L"abc", std::nullopt},
      {L"12abc", std::nullopt},
      {L"&H", std::nullopt},
      {L"&HFG", std::nullopt},
      {L"&H123456789", std::nullopt},
      {L".", std::nullopt},
      {L"1e", std::nullopt},
      {L"1e999", std::nullopt},
      {tahoma(), std::nullopt},
  };
  for (const Case& c : cases) {
    const auto got = toInteger(c.value);
    EXPECT_EQ(got, c.number) << (c.value.asText() ? std::string(c.value.asText()->begin(), c.value.asText()->end()) : "?");
  }
}

TEST(PropertyBagConversions, NarrowingRejectsOutOfRange) {
  EXPECT_EQ(toUnsigned8(PropValue(255)), std::optional<std::uint8_t>(255));
  EXPECT_EQ(toUnsigned8(PropValue(256)), std::nullopt);
  EXPECT_EQ(toUnsigned8(PropValue(-1)), std::nullopt);
  EXPECT_EQ(toSigned16(PropValue(-32768)), std::optional<std::int16_t>(-32768));
  EXPECT_EQ(toSigned16(PropValue(32768)), std::nullopt);
  EXPECT_EQ(toSigned32(PropValue(static_cast<std::int64_t>(2147483648LL))), std::nullopt);
  EXPECT_EQ(toSigned32(PropValue(L"&HFFFFFFFF")), std::optional<std::int32_t>(-1));
  EXPECT_EQ(toBoolean(PropValue(L"0")), std::optional<bool>(false));
  EXPECT_EQ(toBoolean(PropValue(L"True")), std::optional<bool>(true));
  EXPECT_EQ(toBoolean(PropValue(L"yes")), std::nullopt);
  EXPECT_EQ(toText(PropValue(12)), std::optional<std::wstring>(L"12"));
  EXPECT_EQ(toText(PropValue(tahoma())), std::nullopt);
  EXPECT_EQ(toFont(PropValue(L"Tahoma")), std::nullopt);
}

TEST(PropertyBagConversions, DefaultsCompareAfterConversion) {
  EXPECT_TRUE(equalsDefault(PropValue(1), PropValue(L"1")));
  EXPECT_TRUE(equalsDefault(PropValue(0), PropValue(L"0")));
  EXPECT_FALSE(equalsDefault(PropValue(0), PropValue(L"1")));
  EXPECT_TRUE(equalsDefault(PropValue(true), PropValue(true)));
  EXPECT_FALSE(equalsDefault(PropValue(false), PropValue(true)));
  EXPECT_TRUE(equalsDefault(PropValue(L"Command"), PropValue(L"Command")));
  EXPECT_FALSE(equalsDefault(PropValue(L"command"), PropValue(L"Command")));  // text is exact
  FontDesc upper = tahoma();
  upper.name = L"TAHOMA";  // face names are not case-sensitive
  EXPECT_TRUE(equalsDefault(PropValue(upper), PropValue(tahoma())));
  FontDesc bold = tahoma();
  bold.weight = 700;
  EXPECT_FALSE(equalsDefault(PropValue(bold), PropValue(tahoma())));
}

TEST(PropertyBag, MemoryBagKeepsFirstSpellingAndOrder) {
  MemoryPropertyBag bag;
  bag.write(L"caption", L"a");
  bag.write(L"Font", tahoma());
  bag.write(L"CAPTION", L"b");
  ASSERT_EQ(bag.size(), 2u);
  EXPECT_EQ(bag.entries()[0].first, L"caption");
  EXPECT_EQ(bag.read(L"Caption"), PropValue(L"b"));
  bag.remove(L"cApTiOn");
  EXPECT_EQ(bag.read(L"caption"), std::nullopt);
  EXPECT_EQ(readProperty(bag, L"Caption", L"Command"), PropValue(L"Command"));
}

}  // namespace
}  // namespace controls
