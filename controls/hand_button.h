// CHandButton: a push button that shows a picture instead of its caption, a
// hand cursor while the mouse is over it (when one is set) and a tooltip
// (when its text is not empty). A disabled button keeps the ordinary cursor.
#pragma once

#include <optional>

#include <QCursor>
#include <QPixmap>
#include <QPushButton>

class CHandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CHandButton(QWidget* parent = nullptr);
    CHandButton(const QString& templateCaption, QWidget* parent);

    // The picture shown in place of the caption (the caption is never shown).
    void SetImage(const QPixmap& picture);
    // Tooltip text; an empty text shows no tooltip.
    void SetTip(const QString& text);
    // Hand cursor shown over the enabled button; std::nullopt for none.
    void SetHandCursor(const std::optional<QCursor>& cursor);

    const QString& Tip() const { return m_strTip; }
    bool TipActive() const { return m_bTipActive; }

protected:
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void ApplyCursor();
    void FitIcon();

    QPixmap m_picture;
    QString m_strTip;
    bool m_bTipActive = false;
    std::optional<QCursor> m_hHandCursor;
};
