#include "settings/init_language_dlg.h"

#include <QCoreApplication>

#include "controls/hand_button.h"
#include "controls/resources.h"
#include "settings/settings_store.h"

namespace {

const ControlTemplate kControls[] = {
    {-1, CtlKind::GroupBox, 36, 19, 126, 76, 0, "简体中文点这里："},
    {1035, CtlKind::HandButton, 59, 37, 78, 43, 0, nullptr},
    {1034, CtlKind::HandButton, 59, 122, 78, 43, 0, nullptr},
    {1036, CtlKind::HandButton, 212, 37, 78, 43, 0, nullptr},
    {1037, CtlKind::HandButton, 212, 122, 78, 43, 0, nullptr},
    {-1, CtlKind::GroupBox, 187, 19, 126, 76, 0, "Vous parlez français ? Cliquez ici :"},
    {-1, CtlKind::GroupBox, 188, 104, 126, 76, 0, "si parla italiano? Clicca qui"},
    {-1, CtlKind::GroupBox, 36, 104, 126, 76, 0, "¿Hablas Español? ¡haz click aquí!"},
};

struct Flag {
    int button;
    int bitmap;
    const char* tip;
    int language;
};

// In the order the tooltips are set.
const Flag kFlags[] = {
    {CInitLanguageDlg::kFlagSpain, res::kBmpFlagSpain, "¿Hablas Español? ¡haz click aquí!", kLangSpanish},
    {CInitLanguageDlg::kFlagChina, res::kBmpFlagChina, "简体中文点这里 !", kLangDefault},
    {CInitLanguageDlg::kFlagFrance, res::kBmpFlagFrance, "Vous parlez français ? Cliquez ici !", kLangFrench},
    {CInitLanguageDlg::kFlagItaly, res::kBmpFlagItaly, "si parla italiano? Clicca qui", kLangItalian},
};

}  // namespace

CInitLanguageDlg::CInitLanguageDlg(AppSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const QByteArray title = QByteArray("Ambrelo - Quillon - ") + res::kMakerAddress;
    m_controls = BuildDialog(this, MakeTemplate(104, title.constData(), 350, 201, kControls));

    std::optional<QCursor> hand;
    if (QCoreApplication::instance()) hand = res::LoadHandCursor();
    for (const Flag& f : kFlags) {
        CHandButton* b = FlagButton(f.button);
        b->SetImage(res::LoadBitmap(f.bitmap));
        b->SetHandCursor(hand);
        b->SetTip(QString::fromUtf8(f.tip));
        const int language = f.language;
        connect(b, &QAbstractButton::clicked, this, [this, language] { OnFlag(language); });
    }
}

CHandButton* CInitLanguageDlg::FlagButton(int id) const { return static_cast<CHandButton*>(m_controls.Item(id)); }

void CInitLanguageDlg::OnFlag(int language) {
    m_settings.Language = language;
    if (QCoreApplication::instance()) settings::WriteInt(settings::kLanguage, language);
    QDialog::done(QDialog::Accepted);
}
