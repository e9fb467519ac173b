#include "controls/dialog_template.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleFactory>

#include "controls/hand_button.h"
#include "controls/hyper_link.h"
#include "controls/image_static.h"

namespace {

// a * b / c rounded half away from zero, as the templates' conversion does.
int MulDiv(int a, int b, int c) {
    const long long n = static_cast<long long>(a) * b;
    return static_cast<int>(n >= 0 ? (n + c / 2) / c : (n - c / 2) / c);
}

// A label that shortens a long path in its middle.
class PathLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(contentsRect(), static_cast<int>(alignment()), shown);
    }
};

// Group boxes are drawn with their title on the frame line, as the templates
// lay them out (some styles put the title above the frame instead).
QStyle* GroupBoxStyle() {
    static QStyle* style = [] {
        QStyle* s = QStyleFactory::create(QStringLiteral("Windows"));
        if (s && QCoreApplication::instance()) s->setParent(QCoreApplication::instance());
        return s;
    }();
    return style;
}

Qt::Alignment TextAlignment(unsigned styles) {
    Qt::Alignment a = (styles & kStyleCenter) ? Qt::AlignHCenter
                      : (styles & kStyleRight) ? Qt::AlignRight
                                               : Qt::AlignLeft;
    a |= (styles & kStyleCenterImage) ? Qt::AlignVCenter : Qt::AlignTop;
    return a;
}

}  // namespace

DluMetrics::DluMetrics(const QFont& font) {
    const QFontMetrics fm(font);
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (letters / 26 + 1) / 2;
    m_baseY = fm.height();
    if (m_baseX < 1) m_baseX = 1;
    if (m_baseY < 1) m_baseY = 1;
}

int DluMetrics::X(int dlu) const { return MulDiv(dlu, m_baseX, 4); }
int DluMetrics::Y(int dlu) const { return MulDiv(dlu, m_baseY, 8); }

QRect DluMetrics::Rect(int x, int y, int w, int h) const {
    const int l = X(x), t = Y(y), r = X(x + w), b = Y(y + h);
    return QRect(l, t, r - l, b - t);
}

QFont DialogFont() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC")});
    f.setPointSize(8);
    return f;
}

QWidget* DialogControls::Item(int id) const {
    const auto it = byId.find(id);
    return it == byId.end() ? nullptr : it->second;
}

DialogControls BuildDialog(QWidget* dlg, const DialogTemplate& t) {
    DialogControls out;
    dlg->setFont(DialogFont());
    const DluMetrics dlu(dlg->font());
    dlg->setWindowTitle(QString::fromUtf8(t.title));
    dlg->setFixedSize(dlu.X(t.width), dlu.Y(t.height));

    QButtonGroup* radios = nullptr;
    int radioPos = 0;
    std::vector<QWidget*> groupBoxes;
    for (std::size_t i = 0; i < t.count; ++i) {
        const ControlTemplate& c = t.controls[i];
        const QString text = c.text ? QString::fromUtf8(c.text) : QString();
        if (c.styles & kStyleGroup) radios = nullptr;
        QWidget* w = nullptr;
        switch (c.kind) {
        case CtlKind::PushButton:
        case CtlKind::DefPushButton: {
            auto* b = new QPushButton(text, dlg);
            b->setAutoDefault(false);
            b->setDefault(c.kind == CtlKind::DefPushButton);
            w = b;
            break;
        }
        case CtlKind::RadioButton: {
            auto* b = new QRadioButton(text, dlg);
            if (!radios) {
                radios = new QButtonGroup(dlg);
                radioPos = 0;
                out.radioGroups[c.id] = radios;
            }
            radios->addButton(b, radioPos++);
            w = b;
            break;
        }
        case CtlKind::CheckBox: w = new QCheckBox(text, dlg); break;
        case CtlKind::GroupBox:
            w = new QGroupBox(text, dlg);
            if (QStyle* s = GroupBoxStyle()) w->setStyle(s);
            groupBoxes.push_back(w);
            break;
        case CtlKind::Edit:
            if (c.styles & kStyleMultiline) {
                auto* e = new QPlainTextEdit(text, dlg);
                e->setReadOnly(c.styles & kStyleReadOnly);
                e->setLineWrapMode(QPlainTextEdit::NoWrap);
                w = e;
            } else {
                auto* e = new QLineEdit(text, dlg);
                e->setReadOnly(c.styles & kStyleReadOnly);
                if (c.styles & kStyleRight) e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                if (c.styles & kStyleDigitsOnly)
                    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
                w = e;
            }
            break;
        case CtlKind::Static: {
            QLabel* l = (c.styles & kStylePathEllipsis) ? new PathLabel(text, dlg) : new QLabel(text, dlg);
            l->setAlignment(TextAlignment(c.styles));
            if (c.styles & kStyleBorder) l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            w = l;
            break;
        }
        case CtlKind::HandButton: {
            auto* b = new CHandButton(text, dlg);
            b->setAutoDefault(false);  // Enter never clicks a picture button
            w = b;
            break;
        }
        case CtlKind::HyperLink: {
            auto* l = new CHyperLink(text, dlg);
            l->setAlignment(TextAlignment(c.styles));
            w = l;
            break;
        }
        case CtlKind::ImageStatic: {
            auto* p = new CImageStatic(dlg);
            if (c.styles & kStyleBorder) p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            w = p;
            break;
        }
        case CtlKind::Progress: {
            auto* p = new QProgressBar(dlg);
            p->setTextVisible(false);
            w = p;
            break;
        }
        }
        w->setGeometry(dlu.Rect(c.x, c.y, c.w, c.h));
        if (c.kind == CtlKind::HyperLink) static_cast<CHyperLink*>(w)->Attach();
        if (c.id != -1) {
            w->setObjectName(QStringLiteral("ctl%1").arg(c.id));
            out.byId[c.id] = w;
        }
    }
    // Group boxes only frame their neighbours: keep them below, so that they
    // never take the clicks meant for the controls inside them.
    for (QWidget* g : groupBoxes) g->lower();
    return out;
}
