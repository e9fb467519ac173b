#include "app/main_texts.h"

#include "controls/resources.h"
#include "engine/app_settings.h"

namespace maintext {

// Default set: Chinese labels; the footer's tooltips are English.
const Text kTipOptions = {"选项", "选项", "Opzioni", "Opciones"};
const Text kTipReverse = {"开始反向转换", "Retourner la vidéo !", "Rovescia il video !", "¡Invertir el vídeo!"};
const Text kTipChoose = {"选择文件", "Choisir une vidéo", "Scegli un video", "Elegir un vídeo"};
const Text kTipCancel = {"取消", "Annuler !", "Annulla !", "¡Cancelar¡"};

const Text kWebTarget = {"https://quillon.example/en/ambrelo.html", "https://quillon.example/fr/ambrelo.html",
                         "https://quillon.example/it/ambrelo.html", "https://quillon.example/fr/ambrelo.html"};
const Text kWebTip = {"Go to Ambrelo page on Quillon's website", "Aller sur la page d'Ambrelo du site de Quillon",
                      "Vai alla pagina di Ambrelo sul sito di Quillon",
                      "Ir a la página de Ambrelo en el sitio de Quillon"};
const Text kDonateTarget = {"https://quillon.example/en/donate.html", "https://quillon.example/fr/donate.html",
                            "https://quillon.example/en/donate.html", "https://quillon.example/en/donate.html"};
const Text kDonateTip = {"Donate with PayPal from Quillon's website to support me !",
                         "Faites un don avec PayPal depuis le site de Quillon pour me soutenir !",
                         "Fai una donazione con PayPal dal sito di Quillon per sostenermi !",
                         "¡Haz una donación con PayPal desde el sitio de Quillon para apoyarme!"};
const char* const kFacebookTarget = "www.facebook.com/AmbreloQuillon";
const Text kFacebookTip = {"Join us on Facebook !", "Rejoignez-nous sur Facebook !", "Unisciti a noi su Facebook !",
                           "¡Únete a nosotros en Facebook!"};
const char* const kGooglePlusTarget = "plus.google.com/+QuillonSoftware";
const Text kGooglePlusTip = {"Follow me on Google plus !", "Suivez-moi sur Google plus !",
                             "Seguimi su Google plus !", "¡Sígueme en Google plus!"};
// Short enough to stay clear of the donation picture beside it.
const Text kThanks = {"", "", "Grazie al traduttore italiano !", "¡Gracias al traductor español!"};

int DonatePicture(int language) {
    switch (language) {
    case kLangFrench: return res::kImgDonateFrench;
    case kLangItalian: return res::kImgDonateItalian;
    case kLangSpanish: return res::kImgDonateSpanish;
    default: return res::kImgDonateDefault;
    }
}

const Text kVideoFiles = {"video files ", "fichiers vidéo ", "file video ", "archivos de vídeo "};
const Text kAllFiles = {"All files ", "Tous les fichiers ", "Tutti i file ", "Todos los archivos "};
const char* const kVideoPatterns = "*.wmv;*.mov;*.avi;*.mts;*.mp4;*.3GP";

const char* const kWindowTitlePrefix = "Ambrelo 2.08 - Quillon - ";
const char* const kAboutCaption = "Ambrelo 2";
const char* const kAboutVersion = "Ambrelo 2 - v2.08";
const char* const kAboutNotice = "(c) Quillon Software - quillon.example";
const char* const kVersionEntry = "Version";

}  // namespace maintext
