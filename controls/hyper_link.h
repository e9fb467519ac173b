// CHyperLink: a text label that is a web link. Its text is underlined in the
// link colour and turns red while the mouse is over it; it shows a hand cursor
// and a tooltip (the target by default); a click opens its target with
// OpenWebAddress and reports a failure with ShowOpenError.
//
// Create it with its text and place it, then call Attach() once (the dialog
// builder does both): Attach takes the text as the target when none is set
// (and the reverse), underlines the font and fits the label to its text by its
// alignment (centred: shrinks from both sides; right: keeps the right edge;
// else keeps the left edge; vertically centred: shrinks from top and bottom).
#pragma once

#include <optional>

#include <QColor>
#include <QCursor>
#include <QLabel>

class CHyperLink : public QLabel {
    Q_OBJECT
public:
    explicit CHyperLink(const QString& text = QString(), QWidget* parent = nullptr);

    void Attach();
    // The address opened on a click; the shown text stays as it is.
    void SetTarget(const QString& address);
    // Tooltip text; refits the label when attached.
    void SetTip(const QString& text);
    void FitToText();
    // The desktop's pointing-hand cursor when no hand cursor has been set.
    void LoadFallbackCursor();
    void SetHandCursor(const std::optional<QCursor>& cursor);

    const QString& Target() const { return m_strTarget; }
    const QString& Tip() const { return m_strTip; }
    bool Visited() const { return m_bVisited; }
    bool MouseOver() const { return m_bOverControl; }
    QColor CurrentColour() const;
    const std::optional<QCursor>& HandCursor() const { return m_hHandCursor; }

    static constexpr QColor kLinkColour{0, 0, 238};
    static constexpr QColor kVisitedColour{0, 0, 238};
    static constexpr QColor kHoverColour{255, 0, 0};

protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void OnClicked();
    void ApplyColour();

    bool m_bOverControl = false;
    bool m_bVisited = false;
    bool m_bUnderline = true;
    bool m_bAdjustToFit = true;
    bool m_bAttached = false;
    bool m_bPressed = false;
    QString m_strTarget;
    QString m_strTip;
    std::optional<QCursor> m_hHandCursor;
};
