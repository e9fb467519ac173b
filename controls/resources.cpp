#include "controls/resources.h"

#include <mutex>

#include <QFile>
#include <QResource>

static void InitArtworkOnce() {
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(artwork); });
}

namespace res {

namespace {
// Where the pointing finger's tip lies in cursor 105 (32 x 32).
constexpr int kHandHotX = 9;
constexpr int kHandHotY = 1;
}  // namespace

QString ResourcePath(int id, const char* type) {
    return QStringLiteral(":/%1/%2").arg(QString::fromLatin1(type)).arg(id);
}

std::optional<QByteArray> LoadResourceData(int id, const char* type) {
    InitArtworkOnce();
    QFile f(ResourcePath(id, type));
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    return f.readAll();
}

QPixmap LoadBitmap(int id) {
    InitArtworkOnce();
    return QPixmap(ResourcePath(id, "BITMAP"));
}

QIcon LoadAppIcon() {
    InitArtworkOnce();
    return QIcon(ResourcePath(kIconMain, "ICON"));
}

std::optional<QCursor> LoadHandCursor() {
    InitArtworkOnce();
    const QPixmap pm(ResourcePath(kCursorHand, "CURSOR"));
    if (pm.isNull()) return std::nullopt;
    return QCursor(pm, kHandHotX, kHandHotY);
}

}  // namespace res
