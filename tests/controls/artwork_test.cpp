// Every resource id the windows use is compiled in, with its size and format.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>

#include "controls/resources.h"

namespace {
struct Art {
    int id;
    const char* type;
    QByteArray format;
    QSize size;
};
}  // namespace

TEST(Artwork, EveryResourceIsThereWithItsSize) {
    const Art arts[] = {
        {139, "BITMAP", "png", {120, 80}}, {140, "BITMAP", "png", {120, 80}}, {149, "BITMAP", "png", {120, 80}},
        {153, "BITMAP", "png", {120, 80}}, {141, "BITMAP", "png", {70, 70}},  {142, "BITMAP", "png", {70, 70}},
        {143, "BITMAP", "png", {70, 70}},  {144, "BITMAP", "png", {70, 70}},  {145, "BITMAP", "png", {70, 70}},
        {146, "BITMAP", "png", {70, 70}},  {147, "BITMAP", "png", {70, 70}},  {148, "BITMAP", "png", {70, 70}},
        {129, "IMAGE", "gif", {92, 26}},   {130, "IMAGE", "gif", {124, 26}},  {152, "IMAGE", "gif", {110, 26}},
        {157, "IMAGE", "gif", {92, 26}},   {151, "IMAGE", "png", {62, 62}},   {153, "IMAGE", "png", {62, 62}},
        {105, "CURSOR", "png", {32, 32}},
    };
    for (const Art& a : arts) {
        SCOPED_TRACE(testing::Message() << a.type << " " << a.id);
        const std::optional<QByteArray> bytes = res::LoadResourceData(a.id, a.type);
        ASSERT_TRUE(bytes.has_value());
        QBuffer buf;
        buf.setData(*bytes);
        buf.open(QIODevice::ReadOnly);
        QImageReader reader(&buf);
        EXPECT_EQ(reader.format(), a.format);
        const QImage img = reader.read();
        EXPECT_EQ(img.size(), a.size);
        if (a.format == "gif") {
            EXPECT_FALSE(reader.canRead()) << "a single frame";
        }
    }
    EXPECT_FALSE(res::LoadAppIcon().isNull());
    EXPECT_TRUE(res::LoadHandCursor().has_value());
    EXPECT_FALSE(res::LoadResourceData(999, "IMAGE").has_value());
    EXPECT_TRUE(res::LoadBitmap(999).isNull());
}
