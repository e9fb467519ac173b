#include "encode/encode_texts.h"

namespace enctext {

const Text kVideoMsmpeg4 = {
    "   Video codec has been automatically replaced by MSMPEG4\r\n",
    "   Le codec vidéo a été automatiquement remplacé par MSMPEG4\r\n",
    "   Il codec video è stato sostituito automaticamente da MSMPEG4\r\n",
    "   El códec de vídeo ha sido reemplazado automáticamente por MSMPEG4\r\n"};
const Text kVideoMpeg4 = {
    "   Video codec has been automatically replaced by MPEG4\r\n",
    "   Le codec vidéo a été automatiquement remplacé par MPEG4\r\n",
    "   Il codec video è stato sostituito automaticamente da MPEG4\r\n",
    "   El códec de vídeo ha sido reemplazado automáticamente por MPEG4\r\n"};
const Text kFormatMov = {
    "   File format has been automatically changed to MOV\r\n",
    "   Le format de fichier a été automatiquement changé en MOV\r\n",
    "   Il formato del file è stato cambiato automaticamente in MOV\r\n",
    "   El formato de archivo ha sido cambiado automáticamente a MOV\r\n"};
const Text kAudioRemoved = {
    "   Error while looking for a valid audio codec. Sound will be removed\r\n",
    "   Erreur lors de la recherche d'un codec audio valide. Le son sera supprimé\r\n",
    "   Errore durante la ricerca di un codec audio valido. Il suono sarà rimosso\r\n",
    "   Error al buscar un códec de audio válido. El sonido será eliminado\r\n"};
const Text kAudioPcm = {
    "   Audio codec has been automatically replaced by uncompressed PCM\r\n",
    "   Le codec audio a été automatiquement remplacé par du PCM non compressé\r\n",
    "   Il codec audio è stato sostituito automaticamente da PCM non compresso\r\n",
    "   El códec de audio ha sido reemplazado automáticamente por PCM sin comprimir\r\n"};
const Text kAudioAac = {
    "   Audio codec has been automatically replaced by AAC\r\n",
    "   Le codec audio a été automatiquement remplacé par AAC\r\n",
    "   Il codec audio è stato sostituito automaticamente da AAC\r\n",
    "   El códec de audio ha sido reemplazado automáticamente por AAC\r\n"};
const Text kAudioOpenError = {
    "   Error while opening audio file. Sound will be removed\r\n",
    "   Erreur lors de l'ouverture du fichier audio. Le son sera supprimé\r\n",
    "   Errore durante l'apertura del file audio. Il suono sarà rimosso\r\n",
    "   Error al abrir el archivo de audio. El sonido será eliminado\r\n"};

}  // namespace enctext
