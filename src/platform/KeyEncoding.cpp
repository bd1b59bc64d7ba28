#include "platform/KeyEncoding.h"

#include <algorithm>
#include <array>

namespace lettergate {

namespace {

constexpr std::array<VirtualKey, 62> table{{
    {0, u"A", Qt::Key_A},
    {1, u"S", Qt::Key_S},
    {2, u"D", Qt::Key_D},
    {3, u"F", Qt::Key_F},
    {4, u"H", Qt::Key_H},
    {5, u"G", Qt::Key_G},
    {6, u"Z", Qt::Key_Z},
    {7, u"X", Qt::Key_X},
    {8, u"C", Qt::Key_C},
    {9, u"V", Qt::Key_V},
    {11, u"B", Qt::Key_B},
    {12, u"Q", Qt::Key_Q},
    {13, u"W", Qt::Key_W},
    {14, u"E", Qt::Key_E},
    {15, u"R", Qt::Key_R},
    {16, u"Y", Qt::Key_Y},
    {17, u"T", Qt::Key_T},
    {31, u"O", Qt::Key_O},
    {32, u"U", Qt::Key_U},
    {34, u"I", Qt::Key_I},
    {35, u"P", Qt::Key_P},
    {37, u"L", Qt::Key_L},
    {38, u"J", Qt::Key_J},
    {40, u"K", Qt::Key_K},
    {45, u"N", Qt::Key_N},
    {46, u"M", Qt::Key_M},
    {18, u"1", Qt::Key_1},
    {19, u"2", Qt::Key_2},
    {20, u"3", Qt::Key_3},
    {21, u"4", Qt::Key_4},
    {22, u"6", Qt::Key_6},
    {23, u"5", Qt::Key_5},
    {25, u"9", Qt::Key_9},
    {26, u"7", Qt::Key_7},
    {28, u"8", Qt::Key_8},
    {29, u"0", Qt::Key_0},
    {49, u"Space", Qt::Key_Space},
    {36, u"Return", Qt::Key_Return, u"↩"},
    {53, u"Escape", Qt::Key_Escape, u"⎋"},
    {48, u"Tab", Qt::Key_Tab, u"⇥"},
    {51, u"Backspace", Qt::Key_Backspace, u"⌫"},
    {117, u"Delete", Qt::Key_Delete, u"⌦"},
    {123, u"Left", Qt::Key_Left, u"←"},
    {124, u"Right", Qt::Key_Right, u"→"},
    {126, u"Up", Qt::Key_Up, u"↑"},
    {125, u"Down", Qt::Key_Down, u"↓"},
    {115, u"Home", Qt::Key_Home, u"↖"},
    {119, u"End", Qt::Key_End, u"↘"},
    {116, u"Page Up", Qt::Key_PageUp, u"⇞"},
    {121, u"Page Down", Qt::Key_PageDown, u"⇟"},
    {122, u"F1", Qt::Key_F1},
    {120, u"F2", Qt::Key_F2},
    {99, u"F3", Qt::Key_F3},
    {118, u"F4", Qt::Key_F4},
    {96, u"F5", Qt::Key_F5},
    {97, u"F6", Qt::Key_F6},
    {98, u"F7", Qt::Key_F7},
    {100, u"F8", Qt::Key_F8},
    {101, u"F9", Qt::Key_F9},
    {109, u"F10", Qt::Key_F10},
    {103, u"F11", Qt::Key_F11},
    {111, u"F12", Qt::Key_F12},
}};

const VirtualKey *byCode(quint32 code)
{
    const auto it = std::ranges::find(table, code, &VirtualKey::code);
    return it == table.end() ? nullptr : &*it;
}

} // namespace

std::span<const VirtualKey> VirtualKeys::all()
{
    return table;
}

QString VirtualKeys::name(quint32 code)
{
    if (const VirtualKey *key = byCode(code))
        return QString::fromUtf16(key->name);
    return QStringLiteral("Key%1").arg(code);
}

QString VirtualKeys::logName(quint32 code)
{
    if (const VirtualKey *key = byCode(code); key && key->logSymbol)
        return QString::fromUtf16(key->logSymbol);
    return name(code);
}

std::optional<quint32> VirtualKeys::codeForQtKey(int qtKey)
{
    const auto it = std::ranges::find(table, qtKey, [](const VirtualKey &k) { return int(k.qtKey); });
    if (it == table.end())
        return std::nullopt;
    return it->code;
}

std::optional<Qt::Key> VirtualKeys::qtKeyForCode(quint32 code)
{
    if (const VirtualKey *key = byCode(code))
        return key->qtKey;
    return std::nullopt;
}

} // namespace lettergate
