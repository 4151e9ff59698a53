#pragma once

#include <array>

#include "platform/panel.h"

namespace talvex::platform {

// The status panel's design, the same on every system: the main window's size at design, and its
// controls with their positions in pixels at 96 dpi.
inline constexpr int kPanelDesignWidth = 790;
inline constexpr int kPanelDesignHeight = 563;
// Rows of the printer list keep this height whatever the font.
inline constexpr int kPanelListItemHeight = 13;
inline constexpr int kNoBackground = -1;

enum class ControlKind { GroupBox, Button, ComboBox, Label, ListBox };

struct PanelControl {
  const char* name;
  ControlKind kind;
  const char* parent;  // a group box, or nullptr for the window; positions are within the parent
  int left;
  int top;
  int width;  // labels are sized to their text instead
  int height;
  const char* text;  // caption, or the initial text
  int background = kNoBackground;
};

// In creation order; group boxes come before their children.
inline constexpr PanelControl kPanelControls[] = {
    {"portTestGroup", ControlKind::GroupBox, nullptr, 0, 0, 329, 81, "ТЕСТИРОВАНИЕ ПОРТОВ",
     0xC0C0C0},
    {"kassaButton", ControlKind::Button, "portTestGroup", 8, 16, 75, 25, "KASSA"},
    {"barButton", ControlKind::Button, "portTestGroup", 89, 16, 75, 25, "BAR"},
    {"kitchenButton", ControlKind::Button, "portTestGroup", 170, 16, 75, 25, "KITCHEN"},
    {"controlButton", ControlKind::Button, "portTestGroup", 251, 16, 75, 25, "CONTROL"},
    {"portChooser", ControlKind::ComboBox, "portTestGroup", 8, 47, 145, 21, "1"},
    {"printOnChosenPortButton", ControlKind::Button, "portTestGroup", 159, 47, 167, 25,
     "ПЕЧАТЬ НА ВЫБРАНЫЙ ПОРТ"},
    {"settingsGroup", ControlKind::GroupBox, nullptr, 0, 78, 326, 147, "ТЕКУЩИЕ ПАРАМЕТРЫ",
     0x808080},
    {"organisationLabel", ControlKind::Label, "settingsGroup", 8, 12, 31, 13, "Label1"},
    {"controlPrinterLabel", ControlKind::Label, "settingsGroup", 8, 31, 31, 13, "Label2"},
    {"printerTimerLabel", ControlKind::Label, "settingsGroup", 8, 50, 31, 13, "Label3"},
    {"printerTotalLabel", ControlKind::Label, "settingsGroup", 8, 69, 31, 13, "Label4"},
    {"dataCheckLabel", ControlKind::Label, "settingsGroup", 8, 88, 31, 13, "Label5"},
    {"queueCheckLabel", ControlKind::Label, "settingsGroup", 8, 107, 31, 13, "Label6"},
    {"queueStateLabel", ControlKind::Label, "settingsGroup", 8, 126, 31, 13, "Label7"},
    {"hideButton", ControlKind::Button, "settingsGroup", 248, 9, 75, 25, "OK"},
    {"closeButton", ControlKind::Button, "settingsGroup", 248, 40, 75, 25, "CLOSE"},
    {"printerListButton", ControlKind::Button, "settingsGroup", 248, 71, 75, 25, "ПРИНТЕРЫ"},
    {"printerList", ControlKind::ListBox, nullptr, 0, 223, 323, 97, ""},
};

// The controls the service addresses, in the order of PanelLabel and PanelButton.
inline constexpr std::array<const char*, kPanelLabelCount> kPanelLabelNames{
    "organisationLabel", "controlPrinterLabel", "printerTimerLabel", "printerTotalLabel",
    "dataCheckLabel",    "queueCheckLabel",     "queueStateLabel"};
inline constexpr std::array<const char*, kPanelButtonCount> kPanelButtonNames{
    "kassaButton", "barButton",   "kitchenButton",    "controlButton", "printOnChosenPortButton",
    "hideButton",  "closeButton", "printerListButton"};

// The main window's caption.
inline constexpr const char* kPanelCaption = "ДРАЙВЕР TALVEX";

}  // namespace talvex::platform
