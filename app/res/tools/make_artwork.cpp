// Draws the program's artwork into app/res/, one file per resource id:
// bitmap_<id>.png, image_<id>.gif|png, icon_128.ico, cursor_105.png.
// Run once by make_artwork.sh; the files are committed.
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>

namespace {

QString g_out;

QImage Canvas(int w, int h, QColor fill, QImage::Format fmt = QImage::Format_RGB32) {
    QImage img(w, h, fmt);
    img.fill(fill);
    return img;
}

void Save(const QImage& img, const QString& name, const char* format = nullptr) {
    QImageWriter w(g_out + "/" + name, format);
    if (!w.write(img)) std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(name), qPrintable(w.errorString()));
}

// A single-frame GIF: the picture reduced to at most 256 colours, LZW-coded.
void SaveGif(const QImage& src, const QString& name) {
    QImage ix = src.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    QVector<QRgb> pal = ix.colorTable();
    while (pal.size() < 256) pal.push_back(qRgb(0, 0, 0));
    QByteArray out;
    auto u16 = [&](int v) { out.append(char(v & 0xFF)); out.append(char((v >> 8) & 0xFF)); };
    out.append("GIF89a");
    u16(ix.width()); u16(ix.height());
    out.append(char(0xF7)); out.append(char(0)); out.append(char(0));
    for (QRgb c : pal) { out.append(char(qRed(c))); out.append(char(qGreen(c))); out.append(char(qBlue(c))); }
    out.append(char(0x2C)); u16(0); u16(0); u16(ix.width()); u16(ix.height()); out.append(char(0));
    out.append(char(8));  // minimum code size

    QByteArray data;
    unsigned bits = 0; int nbits = 0;
    int codeSize = 9;
    auto putCode = [&](int code) {
        bits |= unsigned(code) << nbits; nbits += codeSize;
        while (nbits >= 8) { data.append(char(bits & 0xFF)); bits >>= 8; nbits -= 8; }
    };
    std::map<int, int> dict;
    int next = 258;
    putCode(256);
    int prefix = -1;
    for (int y = 0; y < ix.height(); ++y) {
        const uchar* row = ix.constScanLine(y);
        for (int x = 0; x < ix.width(); ++x) {
            const int k = row[x];
            if (prefix < 0) { prefix = k; continue; }
            const int key = (prefix << 8) | k;
            const auto it = dict.find(key);
            if (it != dict.end()) { prefix = it->second; continue; }
            putCode(prefix);
            if (next < 4093) {
                dict[key] = next++;
                if (next > (1 << codeSize) && codeSize < 12) ++codeSize;
            } else {
                putCode(256);
                dict.clear(); next = 258; codeSize = 9;
            }
            prefix = k;
        }
    }
    putCode(prefix);
    putCode(257);
    if (nbits > 0) data.append(char(bits & 0xFF));
    for (qsizetype i = 0; i < data.size(); i += 255) {
        const qsizetype n = std::min<qsizetype>(255, data.size() - i);
        out.append(char(n)); out.append(data.mid(i, n));
    }
    out.append(char(0));
    out.append(char(0x3B));
    QFile f(g_out + "/" + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size()) std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
}

QPainterPath Star(QPointF c, double r, double rotation) {
    QPainterPath p;
    for (int i = 0; i < 10; ++i) {
        const double a = rotation - M_PI / 2 + i * M_PI / 5;
        const double rr = (i % 2) ? r * 0.382 : r;
        const QPointF pt(c.x() + rr * std::cos(a), c.y() + rr * std::sin(a));
        if (i == 0) p.moveTo(pt); else p.lineTo(pt);
    }
    p.closeSubpath();
    return p;
}

void Flags() {
    {   // China: red field, one large and four small yellow stars.
        QImage img = Canvas(120, 80, QColor(222, 41, 16));
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 222, 0));
        const double u = 4.0;  // 120 / 30
        p.drawPath(Star({5 * u, 5 * u}, 3 * u, 0));
        const QPointF small[] = {{10 * u, 2 * u}, {12 * u, 4 * u}, {12 * u, 7 * u}, {10 * u, 9 * u}};
        for (const QPointF& s : small) {
            const double toBig = std::atan2(5 * u - s.y(), 5 * u - s.x());
            p.drawPath(Star(s, u, toBig + M_PI / 2));
        }
        p.end();
        Save(img.convertToFormat(QImage::Format_RGB888), "bitmap_139.png");
    }
    auto vertical = [](QColor a, QColor b, QColor c, const char* name) {
        QImage img = Canvas(120, 80, b);
        QPainter p(&img);
        p.fillRect(0, 0, 40, 80, a);
        p.fillRect(80, 0, 40, 80, c);
        p.end();
        Save(img.convertToFormat(QImage::Format_RGB888), name);
    };
    vertical(QColor(0, 35, 149), Qt::white, QColor(237, 41, 57), "bitmap_140.png");   // France
    vertical(QColor(0, 146, 70), Qt::white, QColor(206, 43, 55), "bitmap_149.png");   // Italy
    {   // Spain: red, yellow (double height), red; a simple shield on the left.
        QImage img = Canvas(120, 80, QColor(170, 21, 27));
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(0, 20, 120, 40, QColor(241, 191, 0));
        p.setPen(QPen(QColor(120, 20, 20), 1.5));
        p.setBrush(QColor(200, 40, 40));
        QPainterPath shield;
        shield.moveTo(30, 28); shield.lineTo(46, 28); shield.lineTo(46, 44);
        shield.quadTo(46, 52, 38, 54); shield.quadTo(30, 52, 30, 44); shield.closeSubpath();
        p.drawPath(shield);
        p.end();
        Save(img.convertToFormat(QImage::Format_RGB888), "bitmap_153.png");
    }
}

// Button pictures: active ones in colour, inactive ones as black silhouettes.
QPainterPath FolderPath() {
    QPainterPath p;
    p.moveTo(8, 20); p.lineTo(26, 20); p.lineTo(31, 26); p.lineTo(62, 26);
    p.lineTo(62, 58); p.lineTo(8, 58); p.closeSubpath();
    return p;
}

QPainterPath GearPath(QPointF c, double rOut, double rIn, int teeth) {
    QPainterPath p;
    for (int i = 0; i < teeth * 4; ++i) {
        const double a = i * 2 * M_PI / (teeth * 4);
        const double r = (i % 4 == 0 || i % 4 == 1) ? rOut : rIn;
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0) p.moveTo(pt); else p.lineTo(pt);
    }
    p.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, rIn * 0.4, rIn * 0.4);
    return p.subtracted(hole);
}

QPainterPath ArcArrow(QPointF c, double r, double startDeg, double spanDeg, double width) {
    QPainterPath arc;
    QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    arc.arcMoveTo(box, startDeg);
    arc.arcTo(box, startDeg, spanDeg);
    QPainterPathStroker st;
    st.setWidth(width);
    st.setCapStyle(Qt::FlatCap);
    QPainterPath body = st.createStroke(arc);
    // Arrow head at the end of the arc, pointing along the turn.
    const double end = (startDeg + spanDeg) * M_PI / 180.0;
    const QPointF tip(c.x() + r * std::cos(end), c.y() - r * std::sin(end));
    const double dir = spanDeg > 0 ? 1 : -1;
    const QPointF tangent(-std::sin(end) * dir, -std::cos(end) * dir);
    const QPointF normal(std::cos(end), -std::sin(end));
    QPainterPath head;
    head.moveTo(tip + tangent * width * 1.3);
    head.lineTo(tip + normal * width * 1.2);
    head.lineTo(tip - normal * width * 1.2);
    head.closeSubpath();
    return body.united(head);
}

void Buttons() {
    auto canvas = [] { return Canvas(70, 70, Qt::white); };
    auto save = [](QImage img, int id) { Save(img.convertToFormat(QImage::Format_RGB888), QString("bitmap_%1.png").arg(id)); };
    auto painter = [](QImage& img) {
        auto* p = new QPainter(&img);
        p->setRenderHint(QPainter::Antialiasing);
        return p;
    };
    QPainterPath cross;
    {
        QPainterPath bar1, bar2;
        bar1.addRoundedRect(QRectF(-20, -5, 40, 10), 2, 2);
        QTransform t1; t1.translate(35, 35); t1.rotate(45);
        QTransform t2; t2.translate(35, 35); t2.rotate(-45);
        cross = t1.map(bar1).united(t2.map(bar1));
    }
    {   // 141 Cancel active: red disc, white cross.
        QImage img = canvas(); QPainter* p = painter(img);
        p->setPen(QPen(QColor(140, 0, 0), 2)); p->setBrush(QColor(220, 30, 30));
        p->drawEllipse(QPointF(35, 35), 30, 30);
        p->setPen(Qt::NoPen); p->setBrush(Qt::white); p->drawPath(cross);
        delete p; save(img, 141);
    }
    {   // 145 Cancel inactive: black cross on white.
        QImage img = canvas(); QPainter* p = painter(img);
        p->setPen(Qt::NoPen); p->setBrush(Qt::black); p->drawPath(cross);
        delete p; save(img, 145);
    }
    QPainterPath upArrow;
    upArrow.moveTo(46, 10); upArrow.lineTo(60, 26); upArrow.lineTo(51, 26); upArrow.lineTo(51, 42);
    upArrow.lineTo(41, 42); upArrow.lineTo(41, 26); upArrow.lineTo(32, 26); upArrow.closeSubpath();
    {   // 142 Choose active: folder with a green upward arrow.
        QImage img = canvas(); QPainter* p = painter(img);
        p->setPen(QPen(QColor(150, 100, 0), 2)); p->setBrush(QColor(250, 200, 70));
        p->drawPath(FolderPath());
        p->setPen(QPen(QColor(0, 90, 0), 1.5)); p->setBrush(QColor(40, 170, 40));
        p->drawPath(upArrow);
        delete p; save(img, 142);
    }
    {   // 146 Choose inactive: black folder silhouette.
        QImage img = canvas(); QPainter* p = painter(img);
        p->setPen(Qt::NoPen); p->setBrush(Qt::black); p->drawPath(FolderPath());
        delete p; save(img, 146);
    }
    const QPainterPath gear = GearPath({30, 36}, 24, 18, 8);
    QPainterPath screwdriver;
    {
        QPainterPath s;
        s.addRoundedRect(QRectF(-4, -30, 8, 22), 3, 3);   // handle
        s.addRect(QRectF(-1.5, -8, 3, 30));                 // shaft
        QTransform t; t.translate(50, 38); t.rotate(35);
        screwdriver = t.map(s);
    }
    {   // 143 Options active: grey gear with a screwdriver.
        QImage img = canvas(); QPainter* p = painter(img);
        p->setPen(QPen(QColor(60, 60, 60), 1.5)); p->setBrush(QColor(160, 165, 175)); p->drawPath(gear);
        p->setPen(QPen(QColor(90, 20, 20), 1)); p->setBrush(QColor(200, 60, 40)); p->drawPath(screwdriver);
        delete p; save(img, 143);
    }
    {   // 147 Options inactive: black gear silhouette.
        QImage img = canvas(); QPainter* p = painter(img);
        p->setPen(Qt::NoPen); p->setBrush(Qt::black); p->drawPath(gear);
        delete p; save(img, 147);
    }
    const QPainterPath arrows = ArcArrow({35, 35}, 22, 100, 150, 9).united(ArcArrow({35, 35}, 22, 280, 150, 9));
    {   // 144 Reverse active: two green circular arrows.
        QImage img = canvas(); QPainter* p = painter(img);
        p->setPen(QPen(QColor(0, 90, 0), 1.5)); p->setBrush(QColor(40, 170, 40)); p->drawPath(arrows);
        delete p; save(img, 144);
    }
    {   // 148 Reverse inactive: black circular arrows.
        QImage img = canvas(); QPainter* p = painter(img);
        p->setPen(Qt::NoPen); p->setBrush(Qt::black); p->drawPath(arrows);
        delete p; save(img, 148);
    }
}

void DonationButtons() {
    struct B { int id; int w; const char* text; };
    const B buttons[] = {{129, 92, "Donate"}, {130, 124, "Faire un don"}, {152, 110, "Donazione"}, {157, 92, "Donar"}};
    for (const B& b : buttons) {
        QImage img = Canvas(b.w, 26, QColor(240, 240, 240));
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(190, 120, 0), 1));
        p.setBrush(QColor(255, 196, 57));
        p.drawRoundedRect(QRectF(1.5, 1.5, b.w - 3, 23), 10, 10);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(20, 40, 100));
        p.drawText(QRect(0, 0, b.w, 26), Qt::AlignCenter, QString::fromUtf8(b.text));
        p.end();
        SaveGif(img, QString("image_%1.gif").arg(b.id));
    }
}

void SocialPictures() {
    {   // 151: a blue tile with two friends (the "join us" picture).
        QImage img = Canvas(62, 62, Qt::transparent, QImage::Format_ARGB32);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(52, 90, 170));
        p.drawRoundedRect(QRectF(1, 1, 60, 60), 10, 10);
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(QPointF(23, 24), 7, 7);
        p.drawPie(QRectF(11, 33, 24, 24), 0, 180 * 16);
        p.setBrush(QColor(200, 215, 240));
        p.drawEllipse(QPointF(41, 27), 6, 6);
        p.drawPie(QRectF(31, 35, 20, 20), 0, 180 * 16);
        p.end();
        Save(img, "image_151.png");
    }
    {   // 153: a red tile with a white plus inside a ring (the "follow me" picture).
        QImage img = Canvas(62, 62, Qt::transparent, QImage::Format_ARGB32);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 60, 45));
        p.drawRoundedRect(QRectF(1, 1, 60, 60), 10, 10);
        p.setPen(QPen(Qt::white, 4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(31, 31), 19, 19);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(28, 19, 6, 24));
        p.drawRect(QRectF(19, 28, 24, 6));
        p.end();
        Save(img, "image_153.png");
    }
}

void Icon() {
    QImage img = Canvas(64, 64, Qt::transparent, QImage::Format_ARGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A film strip with a backward arrow.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 48));
    p.drawRoundedRect(QRectF(4, 10, 56, 44), 5, 5);
    p.setBrush(Qt::white);
    for (int i = 0; i < 6; ++i) {
        p.drawRect(QRectF(8 + i * 9, 13, 5, 5));
        p.drawRect(QRectF(8 + i * 9, 46, 5, 5));
    }
    p.setBrush(QColor(80, 160, 230));
    p.drawRect(QRectF(8, 21, 48, 22));
    QPainterPath back;
    back.moveTo(14, 32); back.lineTo(30, 23); back.lineTo(30, 29); back.lineTo(50, 29);
    back.lineTo(50, 35); back.lineTo(30, 35); back.lineTo(30, 41); back.closeSubpath();
    p.setBrush(QColor(255, 210, 40));
    p.drawPath(back);
    p.end();
    Save(img, "icon_128.ico", "ico");
}

void Cursor() {
    QImage img = Canvas(32, 32, Qt::transparent, QImage::Format_ARGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A pointing hand: finger up, the tip at (9, 1).
    QPainterPath hand;
    hand.moveTo(7, 3); hand.quadTo(9, -0.5, 11, 3);
    hand.lineTo(11, 13);
    hand.quadTo(13, 11, 15, 13); hand.quadTo(17, 11.5, 19, 14); hand.quadTo(21, 13, 23, 15.5);
    hand.lineTo(23, 23); hand.quadTo(22, 29, 17, 30); hand.lineTo(11, 30);
    hand.quadTo(7, 28, 4, 21); hand.lineTo(2.5, 17); hand.quadTo(4, 15, 7, 18);
    hand.closeSubpath();
    p.setPen(QPen(Qt::black, 1.3));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    p.drawLine(QPointF(15, 13.5), QPointF(15, 19));
    p.drawLine(QPointF(19, 14.5), QPointF(19, 19));
    p.end();
    Save(img, "cursor_105.png");
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_artwork OUT_DIR\n");
        return 64;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    Flags();
    Buttons();
    DonationButtons();
    SocialPictures();
    Icon();
    Cursor();
    return 0;
}
