// The artwork compiled into the program (files under app/res/, named by their
// resource ids) and the loaders the windows use. A resource is found by its
// numeric id and its type name: "BITMAP", "IMAGE", "ICON" or "CURSOR".
#pragma once

#include <optional>

#include <QByteArray>
#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace res {

enum : int {
    kIconMain = 128,  // window icon
    kCursorHand = 105,

    // Button pictures, 70 x 70: active and inactive per main-window button.
    kBmpCancelActive = 141,
    kBmpChooseActive = 142,
    kBmpOptionsActive = 143,
    kBmpReverseActive = 144,
    kBmpCancelInactive = 145,
    kBmpChooseInactive = 146,
    kBmpOptionsInactive = 147,
    kBmpReverseInactive = 148,

    // Flags of the language chooser, 120 x 80 bitmaps.
    kBmpFlagChina = 139,
    kBmpFlagFrance = 140,
    kBmpFlagItaly = 149,
    kBmpFlagSpain = 153,

    // Footer pictures of type "IMAGE": donation buttons (single-frame GIF)
    // per language, and the two social pictures (PNG, 62 x 62).
    kImgDonateDefault = 129,  // 92 x 26
    kImgDonateFrench = 130,   // 124 x 26
    kImgDonateItalian = 152,  // 110 x 26
    kImgDonateSpanish = 157,  // 92 x 26
    kImgSocialFacebook = 151,
    kImgSocialGooglePlus = 153,
};

// ":/<type>/<id>", the resource-system path of a picture.
QString ResourcePath(int id, const char* type);
// The bytes of a resource; std::nullopt when there is none.
std::optional<QByteArray> LoadResourceData(int id, const char* type);
// A "BITMAP" resource; a null pixmap when it is missing.
QPixmap LoadBitmap(int id);
// Icon 128.
QIcon LoadAppIcon();
// Cursor 105 (the hand cursor); std::nullopt when it cannot be loaded.
std::optional<QCursor> LoadHandCursor();

}  // namespace res

namespace res {
// The maker's web address (window titles, the web link's text).
inline constexpr const char* kMakerAddress = "https://quillon.example/";
}  // namespace res
