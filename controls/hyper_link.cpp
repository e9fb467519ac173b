#include "controls/hyper_link.h"

#include <QApplication>
#include <QMouseEvent>

#include "controls/web_open.h"

CHyperLink::CHyperLink(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
}

void CHyperLink::Attach() {
    if (m_strTarget.isEmpty()) m_strTarget = text();
    if (text().isEmpty()) setText(m_strTarget);
    QFont f = font();
    f.setUnderline(m_bUnderline);
    setFont(f);
    m_bAttached = true;
    FitToText();
    LoadFallbackCursor();
    if (m_strTip.isEmpty()) m_strTip = m_strTarget;
    setToolTip(m_strTip);
    ApplyColour();
}

void CHyperLink::SetTarget(const QString& address) { m_strTarget = address; }

void CHyperLink::SetTip(const QString& text) {
    m_strTip = text;
    if (m_bAttached) {
        FitToText();
        setToolTip(m_strTip);
    }
}

void CHyperLink::FitToText() {
    if (!m_bAttached || !m_bAdjustToFit) return;
    QRect r = geometry();
    const QFontMetrics fm(font());
    const int textW = fm.horizontalAdvance(text());
    const int textH = fm.height();
    const Qt::Alignment a = alignment();
    // Edges move inward by half the difference, truncated toward zero
    // (outward when the text is larger than the label).
    if (a & Qt::AlignVCenter) {
        const int d = (r.height() - textH) / 2;
        r.setTop(r.top() + d);
        r.setBottom(r.bottom() - d);
    } else {
        r.setHeight(textH);
    }
    if (a & Qt::AlignHCenter) {
        const int d = (r.width() - textW) / 2;
        r.setLeft(r.left() + d);
        r.setRight(r.right() - d);
    } else if (a & Qt::AlignRight) {
        r.setLeft(r.right() + 1 - textW);
    } else {
        r.setWidth(textW);
    }
    setGeometry(r);
}

void CHyperLink::LoadFallbackCursor() {
    if (m_hHandCursor) return;
    m_hHandCursor = QCursor(Qt::PointingHandCursor);
    setCursor(*m_hHandCursor);
}

void CHyperLink::SetHandCursor(const std::optional<QCursor>& cursor) {
    m_hHandCursor = cursor;
    if (m_hHandCursor)
        setCursor(*m_hHandCursor);
    else
        unsetCursor();
}

QColor CHyperLink::CurrentColour() const {
    return m_bOverControl ? kHoverColour : m_bVisited ? kVisitedColour : kLinkColour;
}

void CHyperLink::ApplyColour() {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, CurrentColour());
    setPalette(p);
    repaint();
}

void CHyperLink::enterEvent(QEnterEvent* e) {
    QLabel::enterEvent(e);
    m_bOverControl = true;
    ApplyColour();
}

void CHyperLink::leaveEvent(QEvent* e) {
    QLabel::leaveEvent(e);
    m_bOverControl = false;
    ApplyColour();
}

void CHyperLink::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) m_bPressed = true;
    QLabel::mousePressEvent(e);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    const bool click = m_bPressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    m_bPressed = false;
    if (click) OnClicked();
}

void CHyperLink::OnClicked() {
    m_bOverControl = false;
    ApplyColour();
    const int code = OpenWebAddress(m_strTarget);
    if (code > 32) {
        m_bVisited = true;
        ApplyColour();
    } else {
        m_bVisited = false;
        QApplication::beep();
        ShowOpenError(code);
    }
}
