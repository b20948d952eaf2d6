#include "ui/MainMenu.h"

#include "base/Version.h"
#include "console/ConsoleForms.h"
#include "jobs/ConversionTables.h"
#include "jobs/Failures.h"
#include "ui/AnimationDialogue.h"
#include "ui/ConvertDialogue.h"
#include "ui/MotionDialogue.h"
#include "ui/PmxToDffDialogue.h"
#include "ui/RescaleDialogue.h"

#include <array>
#include <optional>
#include <string_view>

namespace zorvek {

namespace {

enum class MenuAction { VmdToIfp, IfpToVmd, DffToPmx, Quit, RescaleDff, PmxToDff };

struct MenuEntry {
    char digit;
    char letter;
    std::string_view label;
    MenuAction action;
};

constexpr std::array<MenuEntry, 6> menuEntries{{
    {'1', 'V', ": VMDをIFPに変換", MenuAction::VmdToIfp},
    {'2', 'I', ": IFPをVMDに変換", MenuAction::IfpToVmd},
    {'3', 'D', ": DFFをPMXに変換", MenuAction::DffToPmx},
    {'4', 'Q', ": 終了", MenuAction::Quit},
    {'5', 'M', ": DFFの倍率変更", MenuAction::RescaleDff},
    {'6', 'P', ": PMXをDFFに変換", MenuAction::PmxToDff},
}};

void printBanner(Console& console) {
    console.setColour(Colour::Heading);
    console.write(ZORVEK_BANNER_VERSION);
    console.endLine();
    console.setDefaultColour();
    printLine(console, "(C) 2026 ZORVEK developers");
    printLine(console, "https://zorvek.example/");
    console.endLine();
    printLine(console, "これはお試し版です 転んでも泣かない");
    printLine(console, "不具合の報告: https://zorvek.example/issues");
    console.endLine();
}

void reportStartupFailure(Console& console, std::string_view message) {
    printError(console, message);
    console.endLine();
    console.write("何かキーを押すと終了します");
    waitAnyKey(console);
}

void printMenu(Console& console) {
    console.endLine();
    for (const MenuEntry& entry : menuEntries) {
        printColoured(console, Colour::Input, std::string_view(&entry.digit, 1));
        console.write(" or ");
        printColoured(console, Colour::Input, std::string_view(&entry.letter, 1));
        printLine(console, entry.label);
    }
}

std::optional<MenuAction> actionForKey(int key) {
    for (const MenuEntry& entry : menuEntries) {
        if (key == entry.digit || key == entry.letter || key == entry.letter - 'A' + 'a') {
            return entry.action;
        }
    }
    return std::nullopt;
}

void runCommand(Console& console, MenuAction action, const ConversionTables& tables) {
    switch (action) {
    case MenuAction::VmdToIfp: convertVmdToIfp(console, tables); break;
    case MenuAction::IfpToVmd: convertIfpToVmd(console, tables); break;
    case MenuAction::DffToPmx: convertDffToPmx(console, tables); break;
    case MenuAction::RescaleDff: rescaleDffCommand(console); break;
    case MenuAction::PmxToDff: convertPmxToDff(console); break;
    case MenuAction::Quit: break;
    }
}

int runMenu(Console& console, const ConversionTables& tables) {
    for (;;) {
        printMenu(console);
        console.write("実行する操作を選択してください> ");
        console.setColour(Colour::Input);
        const std::optional<int> key = readChoiceKey(console);
        console.setDefaultColour();
        if (!key) {
            console.endLine();
            return 0;  // the end of input leaves like the exit entry
        }
        const std::optional<MenuAction> action = actionForKey(*key);
        if (action == MenuAction::Quit) {
            console.endLine();
            return 0;
        }
        if (!action) {
            console.endLine();
            printInvalidChoice(console);
            continue;
        }
        console.endLine();
        console.endLine();
        console.endLine();
        runCommand(console, *action, tables);
        console.endLine();
    }
}

}  // namespace

int runInteractiveProgram(Console& console, const std::filesystem::path& tablesFolder) {
    console.setTitle("ZORVEK");
    printBanner(console);
    ConversionTables tables;
    try {
        tables = loadConversionTables(tablesFolder, [&console](std::string_view line) { printLine(console, line); });
    } catch (const std::exception& error) {
        reportStartupFailure(console, describeFailure(error));
        return 0;
    }
    return runMenu(console, tables);
}

}  // namespace zorvek
