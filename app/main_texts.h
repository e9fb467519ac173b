// Texts of the main window: the label set of each language (button tooltips,
// the footer's targets, pictures and tooltips, the thanks line), the filters
// of the file-open dialog, and the window's fixed texts.
#pragma once

#include "engine/texts.h"

namespace maintext {

// Button tooltips.
extern const Text kTipOptions;
extern const Text kTipReverse;
extern const Text kTipChoose;
extern const Text kTipCancel;

// Footer: the web link, the donation picture, the two social pictures.
extern const Text kWebTarget;        // the program's page (full address)
extern const Text kWebTip;
extern const Text kDonateTarget;     // the donation page (full address)
extern const Text kDonateTip;
extern const char* const kFacebookTarget;    // host and path, no scheme
extern const Text kFacebookTip;
extern const char* const kGooglePlusTarget;  // host and path, no scheme
extern const Text kGooglePlusTip;
extern const Text kThanks;           // empty in the default and French sets
// The donation picture ("IMAGE" resource) of a language index.
int DonatePicture(int language);

// File-open dialog: the descriptions of the two filters.
extern const Text kVideoFiles;
extern const Text kAllFiles;
// The patterns of the video filter.
extern const char* const kVideoPatterns;  // "*.wmv;*.mov;*.avi;*.mts;*.mp4;*.3GP"

// Window title, About box, context menu.
extern const char* const kWindowTitlePrefix;  // "Ambrelo 2.08 - Quillon - "
extern const char* const kAboutCaption;       // "Ambrelo 2"
extern const char* const kAboutVersion;       // "Ambrelo 2 - v2.08"
extern const char* const kAboutNotice;
extern const char* const kVersionEntry;       // "Version"

}  // namespace maintext
