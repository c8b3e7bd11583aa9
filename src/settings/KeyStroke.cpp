#include "KeyStroke.h"

#include <QHash>
#include <QKeyEvent>

namespace brivello {

namespace {

// Linux input event codes (XKB keycode minus 8) to the layout-independent key codes.
const QHash<quint32, quint16> &evdevTable()
{
    static const QHash<quint32, quint16> table = {
        {1, 53},    {2, 18},    {3, 19},    {4, 20},    {5, 21},    {6, 23},    {7, 22},
        {8, 26},    {9, 28},    {10, 25},   {11, 29},   {12, 27},   {13, 24},   {14, 51},
        {15, 48},   {16, 12},   {17, 13},   {18, 14},   {19, 15},   {20, 17},   {21, 16},
        {22, 32},   {23, 34},   {24, 31},   {25, 35},   {26, 33},   {27, 30},   {28, 36},
        {30, 0},    {31, 1},    {32, 2},    {33, 3},    {34, 5},    {35, 4},    {36, 38},
        {37, 40},   {38, 37},   {39, 41},   {40, 39},   {41, 50},   {43, 42},   {44, 6},
        {45, 7},    {46, 8},    {47, 9},    {48, 11},   {49, 45},   {50, 46},   {51, 43},
        {52, 47},   {53, 44},   {57, 49},   {59, 122},  {60, 120},  {61, 99},   {62, 118},
        {63, 96},   {64, 97},   {65, 98},   {66, 100},  {67, 101},  {68, 109},  {86, 10},
        {87, 103},  {88, 111},  {96, 76},   {102, 115}, {103, 126}, {104, 116}, {105, 123},
        {106, 124}, {107, 119}, {108, 125}, {109, 121}, {110, 114}, {111, 117},
    };
    return table;
}

// Characters of the US layout (unshifted and shifted) to key codes.
const QHash<char16_t, quint16> &characterTable()
{
    static const QHash<char16_t, quint16> table = {
        {u'A', 0},  {u'S', 1},  {u'D', 2},   {u'F', 3},  {u'H', 4},  {u'G', 5},   {u'Z', 6},
        {u'X', 7},  {u'C', 8},  {u'V', 9},   {u'B', 11}, {u'Q', 12}, {u'W', 13},  {u'E', 14},
        {u'R', 15}, {u'Y', 16}, {u'T', 17},  {u'O', 31}, {u'U', 32}, {u'I', 34},  {u'P', 35},
        {u'L', 37}, {u'J', 38}, {u'K', 40},  {u'N', 45}, {u'M', 46}, {u'1', 18},  {u'2', 19},
        {u'3', 20}, {u'4', 21}, {u'5', 23},  {u'6', 22}, {u'7', 26}, {u'8', 28},  {u'9', 25},
        {u'0', 29}, {u'!', 18}, {u'@', 19},  {u'#', 20}, {u'$', 21}, {u'%', 23},  {u'^', 22},
        {u'&', 26}, {u'*', 28}, {u'(', 25},  {u')', 29}, {u'-', 27}, {u'_', 27},  {u'=', 24},
        {u'+', 24}, {u'[', 33}, {u'{', 33},  {u']', 30}, {u'}', 30}, {u'\'', 39}, {u'"', 39},
        {u';', 41}, {u':', 41}, {u'\\', 42}, {u'|', 42}, {u',', 43}, {u'<', 43},  {u'.', 47},
        {u'>', 47}, {u'/', 44}, {u'?', 44},  {u'`', 50}, {u'~', 50},
    };
    return table;
}

const QHash<int, quint16> &namedKeyTable()
{
    static const QHash<int, quint16> table = {
        {Qt::Key_Backspace, 51}, {Qt::Key_Delete, 117}, {Qt::Key_Return, 36},
        {Qt::Key_Enter, 76},     {Qt::Key_Tab, 48},     {Qt::Key_Backtab, 48},
        {Qt::Key_Space, 49},     {Qt::Key_Escape, 53},  {Qt::Key_Left, 123},
        {Qt::Key_Right, 124},    {Qt::Key_Down, 125},   {Qt::Key_Up, 126},
        {Qt::Key_Home, 115},     {Qt::Key_End, 119},    {Qt::Key_PageUp, 116},
        {Qt::Key_PageDown, 121}, {Qt::Key_Insert, 114}, {Qt::Key_F1, 122},
        {Qt::Key_F2, 120},       {Qt::Key_F3, 99},      {Qt::Key_F4, 118},
        {Qt::Key_F5, 96},        {Qt::Key_F6, 97},      {Qt::Key_F7, 98},
        {Qt::Key_F8, 100},       {Qt::Key_F9, 101},     {Qt::Key_F10, 109},
        {Qt::Key_F11, 103},      {Qt::Key_F12, 111},
    };
    return table;
}

// ЙЦУКЕН: each Russian letter and the US character on the same key.
constexpr char16_t kRussianRow[] = u"ЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮЁ";
constexpr char16_t kUSRow[] = u"QWERTYUIOP[]ASDFGHJKL;'ZXCVBNM,.`";

} // namespace

QChar KeyStroke::usKeyForCyrillic(QChar cyrillic)
{
    const char16_t upper = cyrillic.toUpper().unicode();
    for (size_t i = 0; kRussianRow[i] != 0; ++i) {
        if (kRussianRow[i] == upper)
            return QChar(kUSRow[i]);
    }
    return {};
}

quint16 KeyStroke::keyCodeForScanCode(quint32 xkbKeycode)
{
    if (xkbKeycode < 8)
        return kNoKeyCode;
    return evdevTable().value(xkbKeycode - 8, kNoKeyCode);
}

quint16 KeyStroke::keyCodeForQtKey(int qtKey)
{
    if (const auto named = namedKeyTable().constFind(qtKey); named != namedKeyTable().cend())
        return *named;
    if (qtKey <= 0 || qtKey > 0xFFFF)
        return kNoKeyCode;
    QChar character(static_cast<char16_t>(qtKey));
    if (character.script() == QChar::Script_Cyrillic)
        character = usKeyForCyrillic(character);
    if (character.isNull())
        return kNoKeyCode;
    return keyCodeForCharacter(character);
}

quint16 KeyStroke::keyCodeForCharacter(QChar character)
{
    return characterTable().value(character.toUpper().unicode(), kNoKeyCode);
}

KeyStroke KeyStroke::fromEvent(const QKeyEvent &event)
{
    KeyStroke stroke;
    stroke.keyCode = keyCodeForScanCode(event.nativeScanCode());
    if (stroke.keyCode == kNoKeyCode)
        stroke.keyCode = keyCodeForQtKey(event.key());

    const Qt::KeyboardModifiers modifiers = event.modifiers();
    stroke.command = modifiers.testFlag(Qt::ControlModifier);
    stroke.option = modifiers.testFlag(Qt::AltModifier);
    stroke.control = modifiers.testFlag(Qt::MetaModifier);
    stroke.shift = modifiers.testFlag(Qt::ShiftModifier);

    // key() is the unmodified symbol (text() turns into a control character under Ctrl).
    const int key = event.key();
    if (key > 0x20 && key <= 0xFFFF && QChar(static_cast<char16_t>(key)).isPrint())
        stroke.charactersIgnoringModifiers = QChar(static_cast<char16_t>(key));
    else if (key == Qt::Key_Space)
        stroke.charactersIgnoringModifiers = QStringLiteral(" ");
    return stroke;
}

} // namespace brivello
