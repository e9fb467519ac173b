#include "tests/controls/ui_test_util.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <QProcess>
#include <QSettings>
#include <QVariant>

#include "controls/message_box.h"

namespace {
QSettings Store() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quillon Software", "ambrelo"); }
}  // namespace

void ClearStore() {
    QSettings s = Store();
    s.clear();
    s.sync();
}

std::map<QString, QVariant> StoredValues() {
    QSettings s = Store();
    s.beginGroup("Settings");
    std::map<QString, QVariant> out;
    for (const QString& k : s.childKeys()) out[k] = s.value(k);
    return out;
}

MessageRecorder::MessageRecorder() {
    SetMessageBoxHook([this](QWidget*, const QString& text, const QString& caption, int style) {
        boxes.push_back({text, caption, style});
    });
}

MessageRecorder::~MessageRecorder() { SetMessageBoxHook({}); }

bool RunFfmpeg(const QStringList& args) {
    QProcess p;
    p.start("ffmpeg", QStringList{"-v", "error", "-y"} + args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

static QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray MakeAnimatedGif(const QString& dir, int frames, int loop) {
    const QString out = QString("%1/anim_%2_%3.gif").arg(dir).arg(frames).arg(loop);
    const QString src = QString("color=c=black:s=16x16:r=20:d=%1,geq=lum='16+60*N':cb=128:cr=128")
                            .arg(frames / 20.0, 0, 'f', 3);
    if (!RunFfmpeg({"-f", "lavfi", "-i", src, "-frames:v", QString::number(frames), "-loop", QString::number(loop),
                    "-f", "gif", out}))
        return {};
    return ReadAll(out);
}

QByteArray StripGraphicControl(const QByteArray& gif) {
    auto u8 = [&](qsizetype i) { return static_cast<unsigned char>(gif[i]); };
    QByteArray out = gif.left(13);
    qsizetype pos = 13;
    if (u8(10) & 0x80) {
        const qsizetype table = 3 * (2 << (u8(10) & 7));
        out += gif.mid(13, table);
        pos += table;
    }
    auto subBlocksEnd = [&](qsizetype p) {
        while (p < gif.size() && u8(p) != 0) p += 1 + u8(p);
        return p + 1;
    };
    while (pos < gif.size()) {
        const unsigned char b = u8(pos);
        if (b == 0x21) {
            const qsizetype end = subBlocksEnd(pos + 2);
            if (u8(pos + 1) != 0xF9) out += gif.mid(pos, end - pos);
            pos = end;
        } else if (b == 0x2C) {
            qsizetype p = pos + 10;
            if (u8(pos + 9) & 0x80) p += 3 * (2 << (u8(pos + 9) & 7));
            const qsizetype end = subBlocksEnd(p + 1);
            out += gif.mid(pos, end - pos);
            pos = end;
        } else {
            out += gif.mid(pos);
            break;
        }
    }
    return out;
}

QByteArray MakeStill(const QString& dir, const QString& name, int w, int h, const char* colour) {
    const QString out = dir + "/" + name;
    if (!RunFfmpeg({"-f", "lavfi", "-i", QString("color=c=%1:s=%2x%3:d=0.04").arg(colour).arg(w).arg(h),
                    "-frames:v", "1", "-update", "1", out}))
        return {};
    return ReadAll(out);
}

bool DropFiles(QWidget* w, const QStringList& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    mime.setUrls(urls);
    const QPoint at(w->width() / 2, w->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &drop);
    return drop.isAccepted();
}
