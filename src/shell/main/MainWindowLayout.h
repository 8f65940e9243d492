// Design-time geometry, captions and menu tree of the main window, in twips.
#pragma once

#include "platform/Twips.h"
#include "shell/main/MainWindowEvents.h"

#include <array>
#include <span>
#include <string_view>

namespace quillmark::main_layout {

// Boxes are relative to the container: the client area for frames, the frame for its children.
struct ControlLayout {
    std::string_view name;
    TwipsBox box;
    std::string_view caption;
};

inline constexpr std::string_view kCaption = "Corvane Data Logging Program Version 3.0";
inline constexpr int kClientWidth = 7908;
inline constexpr int kClientHeight = 8652;

// 9.6 pt is a whole 16 px at 120 dpi, the size the window was drawn at.
inline constexpr std::string_view kFontFamily = "System";
inline constexpr double kFontPointSize = 9.6;
inline constexpr bool kFontBold = true;

inline constexpr std::string_view kIconPath = ":/quillmark/quillmark.png";

inline constexpr std::string_view kDataReadTimerName = "tmrDataRead";
inline constexpr int kDataReadIntervalMs = 500;

// Back to front: the port setup frame lies above the real-time panel, which is placed by its
// own table (gauge_tables::kPanel).
inline constexpr ControlLayout kPortSelect{
    "fraPortSelect", {1320, 240, 2655, 1932}, "Data Port Setup"};
inline constexpr ControlLayout kPort{"cboPort", {1080, 480, 1188, 336}, ""};
inline constexpr ControlLayout kPortSelectOK{"cmdPortSelectOK", {960, 1200, 615, 375}, "OK"};
inline constexpr ControlLayout kPortLabel{"lblPort", {360, 600, 612, 252}, "Port"};

using MenuHandler = void (MainWindowEvents::*)();

struct MenuItemLayout {
    std::string_view name;
    std::string_view caption;
    MenuHandler handler = nullptr;
};

struct MenuLayout {
    std::string_view name;
    std::string_view caption;
    std::span<const MenuItemLayout> items;
};

inline constexpr std::array kFileItems{
    MenuItemLayout{"mnuExit", "E&xit", &MainWindowEvents::mnuExit_Click},
};
inline constexpr std::array kViewItems{
    MenuItemLayout{"mnuViewRealTime", "View &Real Time Data",
                   &MainWindowEvents::mnuViewRealTime_Click},
};
inline constexpr std::array kCommunicationsItems{
    MenuItemLayout{"mnuPortSetup", "&Port Setup", &MainWindowEvents::mnuPortSetup_Click},
};
inline constexpr std::array kHelpItems{
    MenuItemLayout{"mnuHelpContents", "&Contents", &MainWindowEvents::mnuHelpContents_Click},
    MenuItemLayout{"mnuAbout", "&About", &MainWindowEvents::mnuAbout_Click},
};

inline constexpr std::array kMenuBar{
    MenuLayout{"mnuFile", "&File", kFileItems},
    MenuLayout{"mnuView", "&View", kViewItems},
    MenuLayout{"mnuCommunications", "&Communications", kCommunicationsItems},
    MenuLayout{"mnuHelp", "&Help", kHelpItems},
};

}  // namespace quillmark::main_layout
