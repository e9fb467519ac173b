// CImageStatic: a picture control. It shows one picture (PNG, GIF, JPEG, BMP,
// multi-page TIFF) shrunk to fit and centred, never enlarged, with the margins
// filled in the dialog colour. Animated GIFs play with their own frame delays
// and loop count and stop on their last frame; pages of a multi-page picture
// cycle every second. A click opens the target address; tooltip and hand
// cursor as set by the owner.
//
// LoadFromMemory and LoadFromFile may be called from any thread: the picture
// is guarded by a lock, and a load from another thread waits until the
// user-interface thread has painted the new picture (or until the control is
// destroyed). That thread must therefore keep its event loop running while
// another thread loads (it must never wait for the loading thread).
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <QCursor>
#include <QFrame>
#include <QImage>
#include <QRect>
#include <QTimer>

// Where a w x h picture goes in a cw x ch client area, and the margin bands
// painted around it (the bottom and right bands are one pixel larger).
struct PictureLayout {
    int dw = 0, dh = 0;  // drawn size
    int xo = 0, yo = 0;  // drawn origin
    std::vector<QRect> bands;  // top, bottom when yo != 0; left, right when xo != 0
    QRect background;          // filled behind a GIF before it is drawn
};
PictureLayout ComputePictureLayout(int cw, int ch, int w, int h);

class CImageStatic : public QFrame {
    Q_OBJECT
public:
    explicit CImageStatic(QWidget* parent = nullptr);
    ~CImageStatic() override;

    // Shows the encoded picture; nullptr or size 0 clears the control (and
    // returns false). An undecodable picture also leaves the control empty.
    bool LoadFromMemory(const void* data, qsizetype size);
    // Shows the picture in a file; false (the picture stays) when the file
    // cannot be read, false (control empty) when it cannot be decoded.
    bool LoadFromFile(const QString& path);
    // Shows a compiled-in picture (type "IMAGE" for the footer pictures);
    // false when there is none, the picture then stays. User-interface thread.
    bool LoadFromResource(int id, const char* type);

    void SetTarget(const QString& address);
    void SetTip(const QString& text);
    void SetHandCursor(const std::optional<QCursor>& cursor);

    const QString& Target() const { return m_strTarget; }
    bool HasImage() const;
    // The frame or page shown by the last paint (-1 after a load).
    int FrameIndex() const;
    // Passes left: -1 not read yet, -2 endless, 0 finished.
    int LoopsLeft() const;
    // Interval of the pending frame timer in milliseconds, -1 when none.
    int FrameTimerInterval() const;

    static constexpr int kPageInterval = 1000;
    static constexpr int kDefaultFrameDelay = 10;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    struct Picture;
    static std::unique_ptr<Picture> Decode(const QByteArray& bytes);
    enum class After { Nothing, Invalidate, PaintNow };
    void AfterLoad(After what);
    void StepAnimation(const Picture& pic);

    mutable std::mutex m_lock;  // guards m_picture, m_nLoopsLeft, m_nFrameIndex
    std::unique_ptr<Picture> m_picture;
    int m_nLoopsLeft = -1;
    int m_nFrameIndex = -1;

    QTimer m_frameTimer;  // user-interface thread only
    QString m_strTarget;
    QString m_strTip;
    std::optional<QCursor> m_hHandCursor;
    bool m_bPressed = false;
};
