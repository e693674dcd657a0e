#include "platform/hotkeys/X11KeyboardLayout.h"

#include "platform/hotkeys/KeyPositions.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cstring>

namespace klipo::platform {

namespace {

// One reading of the server's keymap: symbols and key names.
class Keymap {
public:
    explicit Keymap(Display* display) : m_desc(XkbGetMap(display, XkbKeySymsMask, XkbUseCoreKbd))
    {
        if (m_desc && XkbGetNames(display, XkbKeyNamesMask | XkbKeyAliasesMask, m_desc) != Success) {
            XkbFreeKeyboard(m_desc, XkbAllComponentsMask, True);
            m_desc = nullptr;
        }
    }
    ~Keymap()
    {
        if (m_desc) XkbFreeKeyboard(m_desc, XkbAllComponentsMask, True);
    }
    Keymap(const Keymap&) = delete;
    Keymap& operator=(const Keymap&) = delete;

    bool isValid() const { return m_desc && m_desc->names && m_desc->names->keys && m_desc->map; }

    std::optional<quint8> keycodeForName(const char* name) const
    {
        char wanted[XkbKeyNameLength] = {};
        std::memcpy(wanted, name, ::strnlen(name, XkbKeyNameLength));
        for (int kc = m_desc->min_key_code; kc <= m_desc->max_key_code; ++kc) {
            if (std::memcmp(m_desc->names->keys[kc].name, wanted, XkbKeyNameLength) == 0) return quint8(kc);
        }
        for (int i = 0; m_desc->names->key_aliases && i < m_desc->names->num_key_aliases; ++i) {
            const XkbKeyAliasRec& alias = m_desc->names->key_aliases[i];
            if (std::memcmp(alias.alias, wanted, XkbKeyNameLength) == 0) {
                char real[XkbKeyNameLength + 1] = {};
                std::memcpy(real, alias.real, XkbKeyNameLength);
                return keycodeForName(real);
            }
        }
        return std::nullopt;
    }

    const char* nameOf(quint32 keycode, int* length) const
    {
        *length = XkbKeyNameLength;
        if (keycode < m_desc->min_key_code || keycode > m_desc->max_key_code) return nullptr;
        return m_desc->names->keys[keycode].name;
    }

    // The first-level symbol of a key in a layout group (groups out of range wrap).
    KeySym symbol(quint8 keycode, int group) const
    {
        const int groups = XkbKeyNumGroups(m_desc, keycode);
        if (groups <= 0) return NoSymbol;
        group %= groups;
        if (XkbKeyGroupsWidth(m_desc, keycode) < 1) return NoSymbol;
        return XkbKeySymEntry(m_desc, keycode, 0, group);
    }

private:
    XkbDescPtr m_desc;
};

// Shortcut texts use the layout that types Latin letters: with a Russian and
// a US layout, the US one names the keys, whichever is active.
int asciiCapableGroup(const Keymap& keymap, Display* display)
{
    XkbStateRec state{};
    const int current = XkbGetState(display, XkbUseCoreKbd, &state) == Success ? state.group : 0;
    const std::optional<quint8> probe = keymap.keycodeForName("AC01");
    if (!probe) return current;
    auto typesLatin = [&](int group) {
        const KeySym sym = keymap.symbol(*probe, group);
        return sym >= XK_a && sym <= XK_z;
    };
    if (typesLatin(current)) return current;
    for (int group = 0; group < XkbNumKbdGroups; ++group) {
        if (typesLatin(group)) return group;
    }
    return current;
}

}  // namespace

X11KeyboardLayout::X11KeyboardLayout(Display* display) : m_display(display) {}

std::optional<char32_t> X11KeyboardLayout::character(qint64 keyCode) const
{
    const KeyPosition* position = keyPositionForCode(keyCode);
    if (!position || !position->xkbName) return std::nullopt;
    const Keymap keymap(m_display);
    if (!keymap.isValid()) return std::nullopt;
    const std::optional<quint8> keycode = keymap.keycodeForName(position->xkbName);
    if (!keycode) return std::nullopt;
    const KeySym sym = keymap.symbol(*keycode, asciiCapableGroup(keymap, m_display));
    if (sym == NoSymbol) return std::nullopt;
    const char32_t ch = xkb_keysym_to_utf32(static_cast<xkb_keysym_t>(sym));
    // Control characters (Return, Escape ...) are not something a key "types".
    if (ch == 0 || ch < 0x20 || ch == 0x7f) return std::nullopt;
    return ch;
}

std::optional<qint64> X11KeyboardLayout::keyCodeForScanCode(quint32 scanCode) const
{
    const Keymap keymap(m_display);
    if (!keymap.isValid()) return std::nullopt;
    int length = 0;
    const char* name = keymap.nameOf(scanCode, &length);
    if (!name) return std::nullopt;
    return keyCodeForXkbName(name, length);
}

std::optional<quint8> X11KeyboardLayout::nativeKeyCode(qint64 keyCode) const
{
    const KeyPosition* position = keyPositionForCode(keyCode);
    if (!position || !position->xkbName) return std::nullopt;
    const Keymap keymap(m_display);
    if (!keymap.isValid()) return std::nullopt;
    return keymap.keycodeForName(position->xkbName);
}

quint32 X11KeyboardLayout::autoRepeatHoldGapMs() const
{
    constexpr quint32 margin = 150;
    quint32 delay = 660;  // the X server's default
    if (XkbDescPtr desc = XkbGetMap(m_display, 0, XkbUseCoreKbd)) {
        if (XkbGetControls(m_display, XkbRepeatKeysMask, desc) == Success && desc->ctrls)
            delay = std::max<quint32>(desc->ctrls->repeat_delay, desc->ctrls->repeat_interval);
        XkbFreeKeyboard(desc, XkbAllComponentsMask, True);
    }
    return delay + margin;
}

}  // namespace klipo::platform
