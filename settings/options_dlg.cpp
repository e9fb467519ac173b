#include "settings/options_dlg.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include "controls/message_box.h"
#include "engine/texts.h"
#include "settings/settings_store.h"

namespace {

const ControlTemplate kControls[] = {
    {1, CtlKind::DefPushButton, 257, 196, 50, 14, 0, "&OK"},
    {2, CtlKind::PushButton, 315, 196, 50, 14, 0, "&Cancel"},
    {1012, CtlKind::RadioButton, 16, 13, 50, 10, kStyleGroup, "English"},
    {1013, CtlKind::RadioButton, 97, 13, 48, 10, 0, "French"},
    {1032, CtlKind::RadioButton, 16, 25, 48, 10, 0, "Italian"},
    {1033, CtlKind::RadioButton, 97, 25, 48, 10, 0, "Spanish"},
    {1014, CtlKind::GroupBox, 7, 3, 169, 35, kStyleGroup, "Language"},
    {1015, CtlKind::GroupBox, 191, 3, 191, 66, kStyleGroup, "Sound option"},
    {1016, CtlKind::RadioButton, 197, 16, 176, 10, kStyleGroup, "Remove sound"},
    {1017, CtlKind::RadioButton, 197, 28, 176, 10, 0, "Reverse sound"},
    {1018, CtlKind::RadioButton, 197, 40, 176, 10, 0, "Reverse sound in a separate wav file"},
    {1031, CtlKind::RadioButton, 197, 52, 176, 10, 0, "Keep original sound"},
    {1019, CtlKind::GroupBox, 7, 47, 169, 74, kStyleGroup, "Output file format"},
    {1020, CtlKind::RadioButton, 16, 60, 158, 10, kStyleGroup, "MJPEG avi file (bigger file)"},
    {1021, CtlKind::RadioButton, 16, 75, 158, 10, 0, "Same as input file (if possible)"},
    {1022, CtlKind::RadioButton, 16, 90, 158, 10, 0, "Windows Movie Video file"},
    {1030, CtlKind::RadioButton, 16, 105, 158, 10, 0, "MPEG 4 file"},
    {1023, CtlKind::GroupBox, 6, 124, 170, 66, kStyleGroup, "Output video bitrate"},
    {1024, CtlKind::Edit, 14, 147, 51, 14, kStyleGroup | kStyleDigitsOnly | kStyleRight | kStyleBorder, ""},
    {1028, CtlKind::Static, 73, 149, 26, 8, kStyleGroup, "Kbits / s"},
    {1025, CtlKind::PushButton, 14, 166, 50, 20, kStyleMultiline, "Full HD\n(high quality)"},
    {1026, CtlKind::PushButton, 67, 166, 50, 20, kStyleMultiline, "Full HD\n(std quality)"},
    {1027, CtlKind::PushButton, 121, 166, 50, 20, kStyleMultiline, "720p\n(std quality)"},
    {1029, CtlKind::GroupBox, 198, 89, 181, 54, kStyleGroup, "Computation option for reverse"},
    {1035, CtlKind::RadioButton, 205, 105, 161, 10, kStyleGroup, "Slow (Select this if you are unsure)"},
    {1036, CtlKind::RadioButton, 205, 122, 171, 10, 0, "Fast (if results are not good, select Slow)"},
    {1037, CtlKind::CheckBox, 15, 135, 150, 10, 0, "Same as input file                                       "},
    {1038, CtlKind::GroupBox, 191, 74, 191, 116, 0, "Advanced settings"},
    {1039, CtlKind::CheckBox, 197, 149, 176, 10, 0, "Replace H264 codec by MPEG4 codec"},
    {1040, CtlKind::CheckBox, 197, 175, 176, 10, 0, "Show debug messages"},
    {1041, CtlKind::CheckBox, 197, 162, 176, 10, 0, "Replace MTS files to MOV files (recommended)"},
};

struct Label {
    int id;
    Text text;  // default (Chinese), French, Italian, Spanish
};

// Every control but the bit-rate box and its unit.
const Label kLabels[] = {
    {1, {"&Ok", "&Ok", "&Ok", "&Ok"}},
    {2, {"&Cancel", "&Annuler", "&Annulla", "&Cancelar"}},
    {1012, {"中文", "Anglais", "Inglese", "Inglés"}},
    {1013, {"French", "Français", "Francese", "Francés"}},
    {1032, {"Italian", "Italien", "Italiano", "Italiano"}},
    {1033, {"Spanish", "Espagnol", "Spagnolo", "Español"}},
    {1014, {"界面语言", "Langue", "Lingua", "Idioma"}},
    {1015, {"声音选项", "Option son", "Opzione audio", "Opción de sonido"}},
    {1016, {"去除声音", "Supprimer le son", "Rimuovi l'audio", "Quitar el sonido"}},
    {1017, {"反转声音", "Inverser le son", "Inverti l'audio", "Invertir el sonido"}},
    {1018, {"反转声音: 分离出wav文件", "Inverser le son (fichier wav séparé)",
            "Inverti l'audio (file wav separato)", "Invertir el sonido (wav aparte)"}},
    {1031, {"保持原始声音(不反转声音)", "Garder le son d'origine", "Mantieni l'audio originale",
            "Mantener el sonido original"}},
    {1019, {"输出文件格式", "Format du fichier de sortie", "Formato del file in uscita",
            "Formato del archivo de salida"}},
    {1020, {"MJPEG avi 文件(更大的文件)", "Fichier avi MJPEG (plus gros)", "File avi MJPEG (più grande)",
            "Archivo avi MJPEG (más grande)"}},
    {1021, {"与输入文件相同(如果可能)", "Comme le fichier d'entrée (si possible)",
            "Come il file di ingresso (se possibile)", "Como el archivo de entrada (si es posible)"}},
    {1022, {"WMV 文件", "Fichier Windows Media Video", "File Windows Media Video", "Archivo Windows Media Video"}},
    {1030, {"MPEG 4 视频", "Fichier MPEG 4", "File MPEG 4", "Archivo MPEG 4"}},
    {1023, {"输出视频码率", "Débit vidéo de sortie", "Bitrate del video in uscita",
            "Velocidad de bits del vídeo"}},
    {1025, {"全高清\n(高质量)", "Full HD\n(haute qualité)", "Full HD\n(alta qualità)", "Full HD\n(alta calidad)"}},
    {1026, {"全高清\n(标准质量)", "Full HD\n(qualité std)", "Full HD\n(qualità std)", "Full HD\n(calidad std)"}},
    {1027, {"720p\n(标准质量)", "720p\n(qualité std)", "720p\n(qualità std)", "720p\n(calidad std)"}},
    {1029, {"计算选项", "Option de calcul de l'inversion", "Opzione di calcolo", "Opción de cálculo"}},
    {1035, {"慢速(更清晰)", "Lente (mais sure)", "Lento (Scegli questa opzione se non sei sicuro)",
            "Lento (Elija éste si no está seguro)"}},
    {1036, {"快速(如果画质差就选慢速)", "Rapide (si pb, prenez lente)",
            "Veloce (se i risultati non sono buoni, scegli Lento)", "Rápido (si no son buenos, elija Lento)"}},
    {1037, {"与输入文件相同", "Comme le fichier d'entrée", "Come il file di ingresso", "Como el archivo de entrada"}},
    {1038, {"高级设置", "Réglages avancés", "Impostazioni avanzate", "Ajustes avanzados"}},
    {1039, {"用MPEG4编码替换H264编码", "Remplacer le codec H264 par MPEG4", "Sostituisci il codec H264 con MPEG4",
            "Reemplazar el códec H264 por MPEG4"}},
    {1040, {"显示调试消息", "Afficher les messages de débogage", "Mostra i messaggi di debug",
            "Mostrar los mensajes de depuración"}},
    {1041, {"改变.MTS文件格式为.MOV(推荐)", "Remplacer MTS par MOV (recommandé)", "Sostituisci MTS con MOV (consigliato)",
            "Reemplazar MTS por MOV (recomendado)"}},
};

const Text kNotUnsigned = {"Enter a positive integer.", "Entrez un entier positif.", "Immettere un intero positivo.",
                           "Escriba un entero positivo."};

const Text kRangeText = {"Please set a bitrate for output video between 10 and 100000 Kbits/s",
                         "Merci d'entrer un débit vidéo compris entre 10 et 100000 Kbits/s",
                         "Imposta un bitrate per il video output da 10 a 100000 Kbit/s",
                         "Por favor fije la velocidad en bits por segundo entre 10 y 100000 Kbits/s"};
const Text kRangeCaption = {"Error", "Erreur", "Errore", "Error"};

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

COptionsDlg::COptionsDlg(QWidget* parent) : QDialog(parent) {
    if (QCoreApplication::instance()) {
        m_nLanguage = settings::ReadInt(settings::kLanguage, 0);
        m_nSoundOption = settings::ReadInt(settings::kSoundOption, 1);
        m_nOutputFormat = settings::ReadInt(settings::kOutputFormat, 0);
        m_nBitrate = static_cast<unsigned>(settings::ReadInt(settings::kBitrate, 24000));
        m_nFastComputation = settings::ReadInt(settings::kFastComputation, 1);
        m_bBitrateSameAsInput = settings::ReadInt(settings::kBitrateSameAsInput, 1);
        m_bReplaceH264 = settings::ReadInt(settings::kReplaceH264, 0);
        m_bShowDebug = settings::ReadInt(settings::kShowDebug, 0);
        m_bReplaceMTS = settings::ReadInt(settings::kReplaceMTS, 1);
    }

    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    m_controls = BuildDialog(this, MakeTemplate(103, "Options", 389, 223, kControls));

    auto button = [this](int id) { return static_cast<QAbstractButton*>(Item(id)); };
    connect(button(IDOK), &QAbstractButton::clicked, this, &COptionsDlg::accept);
    connect(button(IDCANCEL), &QAbstractButton::clicked, this, &COptionsDlg::reject);
    const int languages[] = {kLangDefault, kLangFrench, kLangItalian, kLangSpanish};
    for (int i = 0; i < 4; ++i)
        connect(button(languages[i]), &QAbstractButton::clicked, this, [this, i] { ApplyLabelSet(i); });
    for (int id : {kFormatAvi, kFormatSame, kFormatWmv, kFormatMp4, kSameBitrate})
        connect(button(id), &QAbstractButton::clicked, this, &COptionsDlg::OnFormatOrSameBitrate);
    connect(button(kPresetFullHdHigh), &QAbstractButton::clicked, this, [this] { OnPreset(48000); });
    connect(button(kPresetFullHdStd), &QAbstractButton::clicked, this, [this] { OnPreset(24000); });
    connect(button(kPreset720p), &QAbstractButton::clicked, this, [this] { OnPreset(10000); });

    LoadControls();
    UpdateEnabling();
    ApplyLabelSet(m_nLanguage);
}

void COptionsDlg::ApplyLabelSet(int language) {
    m_nLabelSet = language;
    for (const Label& l : kLabels) {
        if (auto* b = qobject_cast<QAbstractButton*>(Item(l.id)))
            b->setText(Q(l.text.Pick(language)));
        else if (auto* g = Item(l.id))
            g->setProperty("title", Q(l.text.Pick(language)));
    }
}

void COptionsDlg::UpdateEnabling() {
    const bool bitrateChoice = m_nOutputFormat >= 1;
    const bool typedBitrate = bitrateChoice && m_bBitrateSameAsInput == 0;
    Item(kSameBitrate)->setEnabled(bitrateChoice);
    for (int id : {kPreset720p, kPresetFullHdStd, kPresetFullHdHigh, kBitrateEdit, kBitrateUnit})
        Item(id)->setEnabled(typedBitrate);
    Item(kReplaceMts)->setEnabled(m_nOutputFormat == 1);
    Item(kReplaceH264)->setEnabled(m_nOutputFormat == 1);
}

namespace {
// The position of the checked radio of a group; the member stays as it was
// when none is checked (a stored value outside the group's range).
void SaveRadio(const DialogControls& c, int firstId, int& member) {
    const int checked = c.radioGroups.at(firstId)->checkedId();
    if (checked >= 0) member = checked;
}
void LoadRadio(const DialogControls& c, int firstId, int value) {
    QButtonGroup* g = c.radioGroups.at(firstId);
    if (QAbstractButton* b = g->button(value)) {
        b->setChecked(true);
    } else if (QAbstractButton* on = g->checkedButton()) {
        g->setExclusive(false);
        on->setChecked(false);
        g->setExclusive(true);
    }
}
bool Checked(QWidget* w) { return static_cast<QAbstractButton*>(w)->isChecked(); }
void SetChecked(QWidget* w, int v) { static_cast<QAbstractButton*>(w)->setChecked(v != 0); }
}  // namespace

bool COptionsDlg::SaveControls() {
    SaveRadio(m_controls, kLangDefault, m_nLanguage);
    SaveRadio(m_controls, kSoundRemove, m_nSoundOption);
    SaveRadio(m_controls, kFormatAvi, m_nOutputFormat);
    SaveRadio(m_controls, kSlow, m_nFastComputation);

    auto* edit = static_cast<QLineEdit*>(Item(kBitrateEdit));
    bool ok = false;
    const unsigned value = edit->text().trimmed().toUInt(&ok);
    // The store holds signed 32-bit values: a larger number is refused too.
    if (!ok || value > 0x7FFFFFFFu) {
        ShowMessageBox(this, Q(kNotUnsigned.Pick(m_nLabelSet)), QCoreApplication::applicationName(),
                       kMsgIconExclamation);
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    m_nBitrate = value;

    m_bBitrateSameAsInput = Checked(Item(kSameBitrate));
    m_bReplaceH264 = Checked(Item(kReplaceH264));
    m_bShowDebug = Checked(Item(kShowDebug));
    m_bReplaceMTS = Checked(Item(kReplaceMts));
    return true;
}

void COptionsDlg::LoadControls() {
    LoadRadio(m_controls, kLangDefault, m_nLanguage);
    LoadRadio(m_controls, kSoundRemove, m_nSoundOption);
    LoadRadio(m_controls, kFormatAvi, m_nOutputFormat);
    LoadRadio(m_controls, kSlow, m_nFastComputation);
    static_cast<QLineEdit*>(Item(kBitrateEdit))->setText(QString::number(m_nBitrate));
    SetChecked(Item(kSameBitrate), m_bBitrateSameAsInput);
    SetChecked(Item(kReplaceH264), m_bReplaceH264);
    SetChecked(Item(kShowDebug), m_bShowDebug);
    SetChecked(Item(kReplaceMts), m_bReplaceMTS);
}

void COptionsDlg::OnFormatOrSameBitrate() {
    SaveControls();
    UpdateEnabling();
}

void COptionsDlg::OnPreset(unsigned kbps) {
    SaveControls();
    m_nBitrate = kbps;
    LoadControls();
}

void COptionsDlg::accept() {
    if (!SaveControls()) return;
    if (m_nOutputFormat >= 2 && (m_nBitrate <= 10 || m_nBitrate >= 100000)) {
        ShowMessageBox(this, Q(kRangeText.Pick(m_nLanguage)), Q(kRangeCaption.Pick(m_nLanguage)), kMsgIconError);
        return;
    }
    if (QCoreApplication::instance()) {
        settings::WriteInt(settings::kLanguage, m_nLanguage);
        settings::WriteInt(settings::kSoundOption, m_nSoundOption);
        settings::WriteInt(settings::kOutputFormat, m_nOutputFormat);
        if (m_nOutputFormat >= 1) {
            settings::WriteInt(settings::kBitrateSameAsInput, m_bBitrateSameAsInput);
            if (m_bBitrateSameAsInput == 0) settings::WriteInt(settings::kBitrate, static_cast<int>(m_nBitrate));
        }
        settings::WriteInt(settings::kFastComputation, m_nFastComputation);
        settings::WriteInt(settings::kReplaceH264, m_bReplaceH264);
        settings::WriteInt(settings::kShowDebug, m_bShowDebug);
        settings::WriteInt(settings::kReplaceMTS, m_bReplaceMTS);
    }
    QDialog::accept();
}
