#pragma once
// The main window's controls as data: one row per control, in creation order
// (a parent always comes before its children, and later rows lie on top).

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

namespace layout {

enum class Kind {
    Tabs,
    Page,
    Group,
    Label,
    Combo,
    Check,
    Radio,
    Track,
    Edit,
    ImageButton,
    Picture,
    Button,
    Memo,
    Bevel
};

enum Flag : unsigned {
    Hidden = 1u << 0,     // exists, is bound and refreshed, never shown
    Disabled = 1u << 1,   // shown, takes no input
    Px11 = 1u << 2,       // Arial 11 pixels instead of the window's 12
    Px9 = 1u << 3,        // Arial 9 pixels
    Rows10 = 1u << 4,     // drop-down list shows 10 rows (others show 8)
    OneColumn = 1u << 5,  // radio group items stacked (others side by side)
    SecondItem = 1u << 6, // radio group starts with item 1 selected (others item 0)
};

constexpr int kNoTag = -1;

struct ControlDef {
    QString name;
    Kind kind;
    QString parent; // empty: the window's client area
    QRect place;    // left, top within the parent's client area; width, height
    QString text;   // caption, label text, edit text, tab caption
    int tag = kNoTag;
    QString hint;
    QStringList items;
    unsigned flags = 0;
};

// Every control of Form1 except the menu, the status bar and the components
// without a place (dialogs, image lists).
QList<ControlDef> form1Controls();

// "Reg#43H, Bit0" / "Reg#48H, Bit7-0"
QString bitHint(int reg, int bit);
QString fieldHint(int reg, int high, int low);

} // namespace layout
