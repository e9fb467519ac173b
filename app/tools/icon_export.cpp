// Writes icon 128 as PNG files for the desktop's icon theme:
//   ambrelo_icon_export ICON OUT_DIR SIZE...   ->  OUT_DIR/<size>x<size>/ambrelo.png
#include <cstdio>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s ICON OUT_DIR SIZE...\n", argv[0]);
        return 64;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    // The largest picture the icon file holds.
    QImage best;
    do {
        const QImage img = reader.read();
        if (!img.isNull() && img.width() > best.width()) best = img;
    } while (reader.jumpToNextImage());
    if (best.isNull()) {
        std::fprintf(stderr, "cannot read %s: %s\n", argv[1], qPrintable(reader.errorString()));
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        if (size <= 0) return 64;
        const QString dir = QStringLiteral("%1/%2x%2").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        if (!QDir().mkpath(dir)) return 1;
        const QImage out = best.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (!out.save(dir + QStringLiteral("/ambrelo.png"), "PNG")) return 1;
    }
    return 0;
}
