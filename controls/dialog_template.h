// Dialog templates as data. Each dialog keeps one table of its controls
// (identifier, kind, rectangle in dialog units, styles, text); BuildDialog
// makes the Qt widgets from it. Dialog units become pixels through the dialog
// font's metrics (x * average character width / 4, y * height / 8), so every
// window keeps the proportions of its template whatever the font.
#pragma once

#include <cstddef>
#include <map>

#include <QFont>
#include <QRect>

class QButtonGroup;
class QWidget;

enum class CtlKind {
    PushButton,     // QPushButton
    DefPushButton,  // QPushButton, the default button (Enter)
    RadioButton,    // QRadioButton, in the radio group started before it
    CheckBox,       // QCheckBox
    GroupBox,       // QGroupBox, kept below its neighbours
    Edit,           // QLineEdit, or QPlainTextEdit with kMultiline
    Static,         // QLabel
    HandButton,     // CHandButton
    HyperLink,      // CHyperLink (attached after it has its place)
    ImageStatic,    // CImageStatic
    Progress,       // QProgressBar
};

// Control styles.
enum : unsigned {
    kStyleGroup = 1u << 0,         // starts a group (a new radio group)
    kStyleMultiline = 1u << 1,     // two-line button text; multi-line edit
    kStyleDigitsOnly = 1u << 2,    // edit accepts digits only
    kStyleRight = 1u << 3,         // text right-aligned
    kStyleCenter = 1u << 4,        // text centred
    kStyleBorder = 1u << 5,        // framed
    kStyleReadOnly = 1u << 6,      // edit is read-only
    kStyleCenterImage = 1u << 7,   // text vertically centred
    kStylePathEllipsis = 1u << 8,  // a long path loses its middle
};

struct ControlTemplate {
    int id;  // -1 for controls nobody addresses
    CtlKind kind;
    int x, y, w, h;  // dialog units
    unsigned styles;
    const char* text;  // UTF-8; may be null
};

struct DialogTemplate {
    int id;
    const char* title;  // UTF-8
    int width, height;  // client area, dialog units
    const ControlTemplate* controls;
    std::size_t count;
};

// Dialog units to pixels for one font.
class DluMetrics {
public:
    explicit DluMetrics(const QFont& font);
    int X(int dlu) const;
    int Y(int dlu) const;
    // Each edge is converted on its own, as the template's rectangles are.
    QRect Rect(int x, int y, int w, int h) const;
    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }

private:
    int m_baseX;  // average character width
    int m_baseY;  // character height
};

// The font of every dialog (the templates' 8-point dialog font).
QFont DialogFont();

// The widgets of a built dialog.
struct DialogControls {
    std::map<int, QWidget*> byId;             // controls with an id other than -1
    std::map<int, QButtonGroup*> radioGroups;  // by the id of the group's first radio;
                                               // button ids are positions from 0
    QWidget* Item(int id) const;               // nullptr when absent
};

// Gives dlg the dialog font, the title and the fixed client size of t, and
// creates its controls in table order (which is also the tab order).
DialogControls BuildDialog(QWidget* dlg, const DialogTemplate& t);

template <std::size_t N>
DialogTemplate MakeTemplate(int id, const char* title, int w, int h, const ControlTemplate (&c)[N]) {
    return DialogTemplate{id, title, w, h, c, N};
}
