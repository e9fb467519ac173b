#include "controls/hand_button.h"

#include <QEvent>

CHandButton::CHandButton(QWidget* parent) : QPushButton(parent) {}

CHandButton::CHandButton(const QString&, QWidget* parent) : QPushButton(parent) {}

void CHandButton::SetImage(const QPixmap& picture) {
    m_picture = picture;
    setText(QString());
    setIcon(QIcon(picture));
    FitIcon();
}

// The picture at its own size, or shrunk to fit inside the button's frame.
void CHandButton::FitIcon() {
    const QSize room = size() - QSize(6, 6);
    QSize s = m_picture.size();
    if (s.width() > room.width() || s.height() > room.height()) s.scale(room, Qt::KeepAspectRatio);
    setIconSize(s);
}

void CHandButton::resizeEvent(QResizeEvent* e) {
    QPushButton::resizeEvent(e);
    if (!m_picture.isNull()) FitIcon();
}

void CHandButton::SetTip(const QString& text) {
    m_strTip = text;
    m_bTipActive = !text.isEmpty();
    setToolTip(m_bTipActive ? text : QString());
}

void CHandButton::SetHandCursor(const std::optional<QCursor>& cursor) {
    m_hHandCursor = cursor;
    ApplyCursor();
}

void CHandButton::changeEvent(QEvent* e) {
    QPushButton::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) ApplyCursor();
}

void CHandButton::ApplyCursor() {
    // A disabled button receives no cursor messages: the dialog's cursor shows.
    if (m_hHandCursor && isEnabled())
        setCursor(*m_hHandCursor);
    else
        unsetCursor();
}
