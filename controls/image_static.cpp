#include "controls/image_static.h"

#include <algorithm>
#include <condition_variable>
#include <new>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>

#include "controls/gif_info.h"
#include "controls/resources.h"
#include "controls/web_open.h"

namespace {
// Decoded frames of one picture are kept within this many bytes; frames past
// it are dropped.
constexpr qsizetype kMaxDecodedBytes = qsizetype(256) << 20;

QRect FromEdges(int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); }
}  // namespace

struct CImageStatic::Picture {
    std::vector<QImage> frames;
    bool isGif = false;  // frames are in time (animation), else pages
    bool hasDelays = false;
    std::vector<int> delays;  // hundredths of a second per frame
    std::optional<int> loopCount;
};

PictureLayout ComputePictureLayout(int cw, int ch, int w, int h) {
    PictureLayout l;
    if (w <= 0 || h <= 0) return l;
    const double s = std::min({static_cast<double>(cw) / w, static_cast<double>(ch) / h, 1.0});
    l.dw = static_cast<int>(w * s);
    l.dh = static_cast<int>(h * s);
    l.xo = (cw - l.dw) >> 1;
    l.yo = (ch - l.dh) >> 1;
    l.background = FromEdges(l.xo, l.yo, l.xo + l.dw + 1, l.yo + l.dh + 1);
    if (l.yo != 0) {
        l.bands.push_back(FromEdges(0, 0, cw, l.yo));
        l.bands.push_back(FromEdges(0, ch - l.yo - 1, cw, ch));
    }
    if (l.xo != 0) {
        l.bands.push_back(FromEdges(0, 0, l.xo, ch));
        l.bands.push_back(FromEdges(cw - l.xo - 1, 0, cw, ch));
    }
    return l;
}

CImageStatic::CImageStatic(QWidget* parent) : QFrame(parent) {
    m_frameTimer.setSingleShot(true);
    connect(&m_frameTimer, &QTimer::timeout, this, [this] { update(); });
}

CImageStatic::~CImageStatic() = default;

bool CImageStatic::LoadFromMemory(const void* data, qsizetype size) {
    if (!data || size <= 0) {
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_picture.reset();
            m_nFrameIndex = -1;
            m_nLoopsLeft = -1;
        }
        AfterLoad(After::Invalidate);
        return false;
    }
    std::unique_ptr<Picture> pic;
    try {
        // A private copy: the caller's buffer may go away at once.
        const QByteArray bytes(static_cast<const char*>(data), size);
        pic = Decode(bytes);
    } catch (const std::bad_alloc&) {
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_picture.reset();
            m_nFrameIndex = -1;
            m_nLoopsLeft = -1;
        }
        AfterLoad(After::Nothing);
        return false;
    }
    const bool ok = pic != nullptr;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_picture = std::move(pic);
        m_nFrameIndex = -1;
        m_nLoopsLeft = -1;
    }
    // Outside the lock, so that the user-interface thread can take it to paint.
    AfterLoad(After::PaintNow);
    return ok;
}

bool CImageStatic::LoadFromFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    QByteArray bytes;
    try {
        bytes = f.readAll();
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (f.error() != QFileDevice::NoError) return false;
    return LoadFromMemory(bytes.constData(), bytes.size());
}

bool CImageStatic::LoadFromResource(int id, const char* type) {
    const std::optional<QByteArray> bytes = res::LoadResourceData(id, type);
    if (!bytes) return false;
    return LoadFromMemory(bytes->constData(), bytes->size());
}

void CImageStatic::AfterLoad(After what) {
    auto act = [this, what] {
        m_frameTimer.stop();
        if (what == After::Invalidate) update();
        if (what == After::PaintNow) repaint();
    };
    if (QThread::currentThread() == thread()) {
        act();
    } else if (what == After::PaintNow) {
        // Wait until the user-interface thread has painted. The waiter is
        // woken when the queued call has run, or when it is dropped unrun
        // (the control destroyed first), so it can never wait forever.
        struct Wake {
            std::mutex m;
            std::condition_variable cv;
            bool done = false;
        };
        struct Waker {
            std::shared_ptr<Wake> w;
            ~Waker() {
                if (!w) return;
                std::lock_guard<std::mutex> hold(w->m);
                w->done = true;
                w->cv.notify_all();
            }
        };
        auto wake = std::make_shared<Wake>();
        auto waker = std::make_shared<Waker>();
        waker->w = wake;
        QMetaObject::invokeMethod(this, [act, waker] { act(); }, Qt::QueuedConnection);
        waker.reset();
        std::unique_lock<std::mutex> lock(wake->m);
        wake->cv.wait(lock, [&] { return wake->done; });
    } else {
        QMetaObject::invokeMethod(this, act, Qt::QueuedConnection);
    }
}

bool CImageStatic::HasImage() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_picture != nullptr;
}

int CImageStatic::FrameIndex() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nFrameIndex;
}

int CImageStatic::LoopsLeft() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nLoopsLeft;
}

int CImageStatic::FrameTimerInterval() const { return m_frameTimer.isActive() ? m_frameTimer.interval() : -1; }

void CImageStatic::SetTarget(const QString& address) { m_strTarget = address; }

void CImageStatic::SetTip(const QString& text) {
    m_strTip = text;
    setToolTip(text);
}

void CImageStatic::SetHandCursor(const std::optional<QCursor>& cursor) {
    m_hHandCursor = cursor;
    if (m_hHandCursor)
        setCursor(*m_hHandCursor);
    else
        unsetCursor();
}

// One paint moves an animation one frame on (or a multi-page picture one page
// on) and starts the timer for the next paint. Called with the lock held.
void CImageStatic::StepAnimation(const Picture& pic) {
    const int n = static_cast<int>(pic.frames.size());
    if (n <= 1) return;
    if (!pic.isGif) {
        if (++m_nFrameIndex >= n) m_nFrameIndex = 0;
        m_frameTimer.start(kPageInterval);
        return;
    }
    if (m_nLoopsLeft == -1 && pic.loopCount) {
        m_nLoopsLeft = *pic.loopCount == 0 ? -2 : *pic.loopCount;
    }
    if (++m_nFrameIndex >= n) {
        if (m_nLoopsLeft > 0) --m_nLoopsLeft;
        m_nFrameIndex = m_nLoopsLeft != 0 ? 0 : n - 1;
    }
    if (m_nLoopsLeft != 0) {
        int delay = kDefaultFrameDelay;
        if (pic.hasDelays) {
            const std::size_t i = static_cast<std::size_t>(m_nFrameIndex);
            delay = (i < pic.delays.size() ? pic.delays[i] : 0) * 10;
        }
        m_frameTimer.start(delay);
    } else {
        m_frameTimer.stop();  // the animation has ended
    }
}

void CImageStatic::paintEvent(QPaintEvent* e) {
    QFrame::paintEvent(e);  // the border, when there is one
    QPainter p(this);
    const QRect client = contentsRect();
    const QColor face = palette().color(QPalette::Window);

    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_picture) {
        p.fillRect(client, face);
        return;
    }
    const Picture& pic = *m_picture;
    StepAnimation(pic);
    const QImage& img = pic.frames[static_cast<std::size_t>(std::max(m_nFrameIndex, 0))];
    const PictureLayout l = ComputePictureLayout(client.width(), client.height(), img.width(), img.height());
    p.translate(client.topLeft());
    if (pic.isGif) p.fillRect(l.background, face);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (l.dw > 0 && l.dh > 0) p.drawImage(QRect(l.xo, l.yo, l.dw, l.dh), img);
    for (const QRect& band : l.bands) p.fillRect(band, face);
}

void CImageStatic::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) m_bPressed = true;
    QFrame::mousePressEvent(e);
}

void CImageStatic::mouseReleaseEvent(QMouseEvent* e) {
    QFrame::mouseReleaseEvent(e);
    const bool click = m_bPressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    m_bPressed = false;
    if (!click || m_strTarget.isEmpty()) return;
    const int code = OpenWebAddress(m_strTarget);
    if (code <= 32) {
        QApplication::beep();
        ShowOpenError(code);
    }
}

std::unique_ptr<CImageStatic::Picture> CImageStatic::Decode(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly)) return nullptr;
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    auto pic = std::make_unique<Picture>();
    pic->isGif = reader.format() == "gif";

    qsizetype total = 0;
    auto keep = [&](QImage img) {
        if (img.isNull() || total + img.sizeInBytes() > kMaxDecodedBytes) return false;
        total += img.sizeInBytes();
        pic->frames.push_back(std::move(img));
        return true;
    };
    if (pic->isGif) {
        if (const std::optional<GifInfo> info = ReadGifInfo(bytes)) {
            pic->hasDelays = info->hasDelays;
            pic->delays = info->delays;
            pic->loopCount = info->loopCount;
        }
        while (reader.canRead() && keep(reader.read())) {
        }
    } else {
        const int pages = std::max(reader.imageCount(), 1);
        if (keep(reader.read())) {
            for (int i = 1; i < pages && reader.jumpToNextImage() && keep(reader.read()); ++i) {
            }
        }
    }
    if (pic->frames.empty() || pic->frames.front().width() == 0 || pic->frames.front().height() == 0) return nullptr;
    return pic;
}
