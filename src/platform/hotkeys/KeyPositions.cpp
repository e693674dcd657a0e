#include "platform/hotkeys/KeyPositions.h"

#include <algorithm>
#include <cstring>

namespace klipo::platform {

namespace {

constexpr KeyPosition kPositions[] = {
    // Letters, in key-code order.
    {0, "AC01", u'a', u'A'},   {1, "AC02", u's', u'S'},   {2, "AC03", u'd', u'D'},   {3, "AC04", u'f', u'F'},
    {4, "AC06", u'h', u'H'},   {5, "AC05", u'g', u'G'},   {6, "AB01", u'z', u'Z'},   {7, "AB02", u'x', u'X'},
    {8, "AB03", u'c', u'C'},   {9, "AB04", u'v', u'V'},   {10, "LSGT", u'<', u'>'},  {11, "AB05", u'b', u'B'},
    {12, "AD01", u'q', u'Q'},  {13, "AD02", u'w', u'W'},  {14, "AD03", u'e', u'E'},  {15, "AD04", u'r', u'R'},
    {16, "AD06", u'y', u'Y'},  {17, "AD05", u't', u'T'},
    // Digits and punctuation.
    {18, "AE01", u'1', u'!'},  {19, "AE02", u'2', u'@'},  {20, "AE03", u'3', u'#'},  {21, "AE04", u'4', u'$'},
    {22, "AE06", u'6', u'^'},  {23, "AE05", u'5', u'%'},  {24, "AE12", u'=', u'+'},  {25, "AE09", u'9', u'('},
    {26, "AE07", u'7', u'&'},  {27, "AE11", u'-', u'_'},  {28, "AE08", u'8', u'*'},  {29, "AE10", u'0', u')'},
    {30, "AD12", u']', u'}'},  {31, "AD09", u'o', u'O'},  {32, "AD07", u'u', u'U'},  {33, "AD11", u'[', u'{'},
    {34, "AD08", u'i', u'I'},  {35, "AD10", u'p', u'P'},  {37, "AC09", u'l', u'L'},  {38, "AC07", u'j', u'J'},
    {39, "AC11", u'\'', u'"'}, {40, "AC08", u'k', u'K'},  {41, "AC10", u';', u':'},  {42, "BKSL", u'\\', u'|'},
    {43, "AB08", u',', u'<'},  {44, "AB10", u'/', u'?'},  {45, "AB06", u'n', u'N'},  {46, "AB07", u'm', u'M'},
    {47, "AB09", u'.', u'>'},  {50, "TLDE", u'`', u'~'},
    // Keys that type no character of their own.
    {36, "RTRN", 0, 0},  {48, "TAB", 0, 0},   {49, "SPCE", u' ', u' '}, {51, "BKSP", 0, 0},  {53, "ESC", 0, 0},
    {54, "RWIN", 0, 0},  {55, "LWIN", 0, 0},  {56, "LFSH", 0, 0},     {57, "CAPS", 0, 0},  {58, "LALT", 0, 0},
    {59, "LCTL", 0, 0},  {60, "RTSH", 0, 0},  {61, "RALT", 0, 0},     {62, "RCTL", 0, 0},  {63, nullptr, 0, 0},
    {72, "VOL+", 0, 0},  {73, "VOL-", 0, 0},  {74, "MUTE", 0, 0},
    {114, "INS", 0, 0},  {115, "HOME", 0, 0}, {116, "PGUP", 0, 0},    {117, "DELE", 0, 0}, {119, "END", 0, 0},
    {121, "PGDN", 0, 0}, {123, "LEFT", 0, 0}, {124, "RGHT", 0, 0},    {125, "DOWN", 0, 0}, {126, "UP", 0, 0},
    // Function keys.
    {122, "FK01", 0, 0}, {120, "FK02", 0, 0}, {99, "FK03", 0, 0},  {118, "FK04", 0, 0}, {96, "FK05", 0, 0},
    {97, "FK06", 0, 0},  {98, "FK07", 0, 0},  {100, "FK08", 0, 0}, {101, "FK09", 0, 0}, {109, "FK10", 0, 0},
    {103, "FK11", 0, 0}, {111, "FK12", 0, 0}, {105, "FK13", 0, 0}, {107, "FK14", 0, 0}, {113, "FK15", 0, 0},
    {106, "FK16", 0, 0}, {64, "FK17", 0, 0},  {79, "FK18", 0, 0},  {80, "FK19", 0, 0},  {90, "FK20", 0, 0},
    // Keypad. The Clear key of the keypad has no counterpart on PC keyboards.
    {82, "KP0", 0, 0},   {83, "KP1", 0, 0},   {84, "KP2", 0, 0},   {85, "KP3", 0, 0},   {86, "KP4", 0, 0},
    {87, "KP5", 0, 0},   {88, "KP6", 0, 0},   {89, "KP7", 0, 0},   {91, "KP8", 0, 0},   {92, "KP9", 0, 0},
    {71, nullptr, 0, 0}, {65, "KPDL", 0, 0},  {75, "KPDV", 0, 0},  {76, "KPEN", 0, 0},  {81, "KPEQ", 0, 0},
    {78, "KPSU", 0, 0},  {67, "KPMU", 0, 0},  {69, "KPAD", 0, 0},
    // PC keys: Print Screen (SysRq with Alt), Scroll Lock, Pause (Break with
    // Control) and the Menu key, which X names COMP.
    {256, "PRSC", 0, 0}, {257, "SCLK", 0, 0}, {258, "PAUS", 0, 0}, {259, "COMP", 0, 0},
};

}  // namespace

std::span<const KeyPosition> keyPositions() { return kPositions; }

const KeyPosition* keyPositionForCode(qint64 keyCode)
{
    const auto* end = std::end(kPositions);
    const auto* it =
        std::find_if(std::begin(kPositions), end, [&](const KeyPosition& p) { return p.keyCode == keyCode; });
    return it == end ? nullptr : it;
}

std::optional<qint64> keyCodeForXkbName(const char* name, int length)
{
    // XKB names are up to four bytes and not terminated when they fill all four.
    const int n = static_cast<int>(::strnlen(name, static_cast<size_t>(length)));
    for (const KeyPosition& p : kPositions) {
        if (p.xkbName && static_cast<int>(std::strlen(p.xkbName)) == n && std::strncmp(p.xkbName, name, n) == 0)
            return p.keyCode;
    }
    return std::nullopt;
}

}  // namespace klipo::platform
