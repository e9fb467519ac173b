#include "engine/job_texts.h"

namespace jobtext {

const Text kStartProcess = {
    "* Starting process to reverse video to : ",
    "* Début du retournement de la vidéo vers : ",
    "* Avvio del rovesciamento del video verso : ",
    "* Iniciando la reversión del vídeo hacia : "};
const Text kSoundToFile = {
    "   Sound will be recorded into file : ",
    "   Le son sera enregistré dans le fichier : ",
    "   Il suono sarà registrato nel file : ",
    "   El sonido se grabará en el archivo : "};
const Text kSoundRemoved = {
    "   Sound will be removed\r\n",
    "   Le son sera supprimé\r\n",
    "   Il suono sarà rimosso\r\n",
    "   El sonido será eliminado\r\n"};
const Text kSoundKept = {
    "   Sound will be kept unreversed\r\n",
    "   Le son sera conservé sans être retourné\r\n",
    "   Il suono sarà mantenuto senza rovesciarlo\r\n",
    "   El sonido se mantendrá sin invertir\r\n"};
const Text kConversionEnded = {
    "   Conversion ended\r\n",
    "   Conversion terminée\r\n",
    "   Conversione terminata\r\n",
    "   Conversión terminada\r\n"};
const Text kReversingFast = {
    "* Reversing MJPEG file (using Fast mode) to file : ",
    "* Retournement du fichier MJPEG (mode rapide) vers le fichier : ",
    "* Rovesciamento del file MJPEG (modalità veloce) nel file : ",
    "* Invirtiendo el archivo MJPEG (modo rápido) en el archivo : "};
const Text kReversingSlow = {
    "* Reversing MJPEG file (using Slow mode) to file : ",
    "* Retournement du fichier MJPEG (mode lent) vers le fichier : ",
    "* Rovesciamento del file MJPEG (modalità lenta) nel file : ",
    "* Invirtiendo el archivo MJPEG (modo lento) en el archivo : "};
const Text kVideoReverseEnded = {
    "   Video reverse ended\r\n",
    "   Retournement de la vidéo terminé\r\n",
    "   Rovesciamento del video terminato\r\n",
    "   Reversión del vídeo terminada\r\n"};
const Text kProcessDone = {
    "* Process done !\r\n",
    "* Processus terminé !\r\n",
    "* processo è completo !\r\n",
    "* ¡Reversión hecha!\r\n"};
const Text kEndBoxText = {
    "反向转换完成 !",
    "Retournement effectué !",
    "Rovesciamento completato !",
    "¡Reversión hecha!"};
const Text kEndBoxTitle = {
    "成功!",
    "Fin du retournement !",
    "Successo !",
    "成功!"};
const Text kProcessCanceled = {
    "* Process canceled by user !\r\n",
    "* Processus annulé par l'utilisateur !\r\n",
    "* Processo annullato dall'utente !\r\n",
    "* ¡Proceso cancelado por el usuario!\r\n"};

const Text kNotMjpeg = {
    "* Video is not MJPEG ==> convert it to MJPEG ! using temp file : ",
    "* La vidéo n'est pas en MJPEG ==> conversion en MJPEG ! fichier temporaire : ",
    "* Il video non è MJPEG ==> conversione in MJPEG ! file temporaneo : ",
    "* El vídeo no es MJPEG ==> ¡conversión a MJPEG! archivo temporal : "};
const Text kWarnFiveErrors = {
    "   warning : More than 5 consecutive error. Aborting conversion here\r\n",
    "   attention : plus de 5 erreurs consécutives. Conversion arrêtée ici\r\n",
    "   attenzione : più di 5 errori consecutivi. Conversione interrotta qui\r\n",
    "   atención : más de 5 errores consecutivos. Conversión detenida aquí\r\n"};
const Text kWarnSixErrors = {
    "   warning : More than 6 consecutive error. Aborting conversion here\r\n",
    "   attention : plus de 6 erreurs consécutives. Conversion arrêtée ici\r\n",
    "   attenzione : più di 6 errori consecutivi. Conversione interrotta qui\r\n",
    "   atención : más de 6 errores consecutivos. Conversión detenida aquí\r\n"};
const Text kSpecialCondition = {
    "   detected special condition : adjusting frame rate to : %.1f fps. Please check if result is ok !\r\n",
    "   condition spéciale détectée : fréquence d'images ajustée à : %.1f ips. Vérifiez que le résultat est correct !\r\n",
    "   rilevata condizione speciale : frequenza dei fotogrammi regolata a : %.1f fps. Verificare che il risultato sia corretto !\r\n",
    "   detectada condición especial de archivo HDMV : ajustando la velocidad a : %.1f fps. ¡Compruebe que el resultado es correcto!\r\n"};

const Text kStartExtraction = {
    "* Starting audio extraction to : ",
    "* Début de l'extraction du son vers : ",
    "* Avvio dell'estrazione del suono verso : ",
    "* Iniciando la extracción del sonido hacia : "};
const Text kWarnExtraction = {
    "   warning : error in audio extraction. Removing audio from video\r\n",
    "   attention : erreur d'extraction du son. Le son est retiré de la vidéo\r\n",
    "   attenzione : errore nell'estrazione del suono. Il suono viene rimosso dal video\r\n",
    "   atención : error en la extracción del sonido. Se elimina el sonido del vídeo\r\n"};
const Text kExtractionEnded = {
    "   Audio extraction ended\r\n",
    "   Extraction du son terminée\r\n",
    "   Estrazione del suono terminata\r\n",
    "   Extracción del sonido terminada\r\n"};
const Text kStartAudioReverse = {
    "* Starting audio reverse. Saving it in file : ",
    "* Début du retournement du son. Enregistrement dans le fichier : ",
    "* Avvio del rovesciamento del suono. Salvataggio nel file : ",
    "* Iniciando la reversión del sonido. Guardándolo en el archivo : "};
const Text kWarnAudioReverse = {
    "   warning : error in audio reversing. Removing audio from video\r\n",
    "   attention : erreur de retournement du son. Le son est retiré de la vidéo\r\n",
    "   attenzione : errore nel rovesciamento del suono. Il suono viene rimosso dal video\r\n",
    "   atención : error en la reversión del sonido. Se elimina el sonido del vídeo\r\n"};
const Text kAudioReverseEnded = {
    "   Audio reverse ended\r\n",
    "   Retournement du son terminé\r\n",
    "   Rovesciamento del suono terminato\r\n",
    "   Reversión del sonido terminada\r\n"};
const Text kMuxFast = {
    "* Muxing video and sound tracks (fast mode) in final output file : ",
    "* Assemblage de la vidéo et du son (mode rapide) dans le fichier final : ",
    "* Unione di video e suono (modalità veloce) nel file finale : ",
    "* Uniendo vídeo y sonido (modo rápido) en el archivo final : "};
const Text kMuxSlow = {
    "* Muxing video and sound tracks in final output file : ",
    "* Assemblage de la vidéo et du son dans le fichier final : ",
    "* Unione di video e suono nel file finale : ",
    "* Uniendo vídeo y sonido en el archivo final : "};
const Text kCopyOutput = {
    "* Copy of reversed video file into output file : ",
    "* Copie de la vidéo retournée dans le fichier final : ",
    "* Copia del video rovesciato nel file finale : ",
    "* Copia del vídeo invertido en el archivo final : "};
const Text kCopyDone = {
    "   Output file copy done !\r\n",
    "   Copie du fichier final effectuée !\r\n",
    "   Copia del file finale completata !\r\n",
    "   ¡Copia del archivo final hecha!\r\n"};
const Text kEncodeSame = {
    "* Encoding video in final output file (same format as input file) : ",
    "* Encodage de la vidéo dans le fichier final (même format que l'entrée) : ",
    "* Codifica del video nel file finale (stesso formato del file di ingresso) : ",
    "* Codificando el vídeo en el archivo final (mismo formato que la entrada) : "};
const Text kEncodeWmv = {
    "* Encoding video in final WMV output file : ",
    "* Encodage de la vidéo dans le fichier final WMV : ",
    "* Codifica del video nel file finale WMV : ",
    "* Codificando el vídeo en el archivo final WMV : "};
const Text kEncodeMp4 = {
    "* Encoding video in final MP4 output file : ",
    "* Encodage de la vidéo dans le fichier final MP4 : ",
    "* Codifica del video nel file finale MP4 : ",
    "* Codificando el vídeo en el archivo final MP4 : "};

const Text kStep1 = {
    "Step 1 : Converting input video file into MJPG video",
    "Étape 1 : Conversion de la vidéo d'entrée en MJPG",
    "Passo 1 : Conversione del video di ingresso in MJPG",
    "Paso 1 : Convirtiendo el vídeo de entrada a MJPG"};
const Text kStep1b = {
    "Step 1b : Converting input video file into MJPG video",
    "Étape 1b : Conversion de la vidéo d'entrée en MJPG",
    "Passo 1b : Conversione del video di ingresso in MJPG",
    "Paso 1b : Convirtiendo el vídeo de entrada a MJPG"};
const Text kStepReverseVideo = {
    "Step %d : Reversing the video",
    "Étape %d : Retournement de la vidéo",
    "Passo %d : Rovesciamento del video",
    "Paso %d : Invirtiendo el vídeo"};
const Text kStepExtractAudio = {
    "Step %d : Extracting audio track",
    "Étape %d : Extraction du son",
    "Passo %d : Estrazione del suono",
    "Paso %d : Extrayendo el sonido"};
const Text kStepReverseAudio = {
    "Step %d : Reversing audio track",
    "Étape %d : Retournement du son",
    "Passo %d : Rovesciamento del suono",
    "Paso %d : Invirtiendo el sonido"};
const Text kStepMux = {
    "Step %d : Muxing video and sound",
    "Étape %d : Assemblage de la vidéo et du son",
    "Passo %d : Unione di video e suono",
    "Paso %d : Uniendo vídeo y sonido"};
const Text kStepCopy = {
    "Step %d : Copy of output file",
    "Étape %d : Copie du fichier final",
    "Passo %d : Copia del file finale",
    "Paso %d : Copia del archivo final"};
const Text kStepEncodeSame = {
    "Step %d : Encoding final file",
    "Étape %d : Encodage du fichier final",
    "Passo %d : Codifica del file finale",
    "Paso %d : Codificando el archivo final"};
const Text kStepEncodeWmv = {
    "Step %d : Encoding video into WMV",
    "Étape %d : Encodage de la vidéo en WMV",
    "Passo %d : Codifica del video in WMV",
    "Paso %d : Codificando el vídeo en WMV"};
const Text kStepEncodeMp4 = {
    "Step %d : Encoding video into MP4",
    "Étape %d : Encodage de la vidéo en MP4",
    "Passo %d : Codifica del video in MP4",
    "Paso %d : Codificando el vídeo en MP4"};
const Text kStepCanceled = {
    "Canceled...",
    "Annulé...",
    "Annullato...",
    "Cancelado..."};

const Text kOpenningFile = {
    "* Openning file : ",
    "* Ouverture du fichier : ",
    "* Apertura del file : ",
    "* Abriendo el archivo : "};
const Text kProbeReport = {
    "   Video stream detected : size : %dx%d ; frame rate : %.2f fps ; Total Frames : %d\r\n"
    "   Total time of video : %.2f s\r\n"
    "   video compression codec : %s\r\n",
    "   Flux vidéo détecté : taille : %dx%d ; fréquence : %.2f ips ; Nombre d'images : %d\r\n"
    "   Durée totale de la vidéo : %.2f s\r\n"
    "   codec de compression vidéo : %s\r\n",
    "   Flusso video rilevato : dimensioni : %dx%d ; frequenza : %.2f fps ; Fotogrammi totali : %d\r\n"
    "   Durata totale del video : %.2f s\r\n"
    "   codec di compressione video : %s\r\n",
    "   Flujo de vídeo detectado : tamaño : %dx%d ; velocidad : %.2f fps ; Fotogramas totales : %d\r\n"
    "   Duración total del vídeo : %.2f s\r\n"
    "   códec de compresión de vídeo : %s\r\n"};
const Text kAudioDetected = {
    "   Audio track detected\r\n",
    "   Piste son détectée\r\n",
    "   Traccia audio rilevata\r\n",
    "   Pista de sonido detectada\r\n"};
const Text kNoAudioDetected = {
    "   NO audio track detected\r\n",
    "   AUCUNE piste son détectée\r\n",
    "   NESSUNA traccia audio rilevata\r\n",
    "   NINGUNA pista de sonido detectada\r\n"};
const char* const kInfoFormat = "%dx%d    %.2f fps     %.2f s";

const Text kErrorTitle = {"Error", "Erreur", "Errore", "Error"};

const ErrorText kError01 = {
    1,
    {"* Error 01 : This file seems not to be a valid video file : No video stream detected\r\n",
     "* Erreur 01 : Ce fichier ne semble pas être un fichier vidéo valide\r\n",
     "* Errore 01 : Questo file non sembra essere un file video valido : Nessun flusso video rilevato\r\n",
     "* Error 01 : Este archivo no parece ser un archivo de vídeo válido : No se ha detectado ningún flujo de vídeo\r\n"},
    {"Error 01 : This file seems not to be a valid video file...",
     "Erreur 01 : Ce fichier ne semble pas être un fichier vidéo valide...",
     "Errore 01 : Questo file non sembra essere un file video valido...",
     "Error 01 : Este archivo no parece ser un archivo de vídeo válido..."}};
const ErrorText kError02 = {
    2,
    {"* Error  02 : Cannot open temp MJPG file... Fatal error\r\n",
     "* Erreur  02 : Impossible d'ouvrir le fichier MJPG temporaire... Erreur fatale\r\n",
     "* Errore  02 : Impossibile aprire il file MJPG temporaneo... Errore fatale\r\n",
     "* Error  02 : No se puede abrir el archivo MJPG temporal... Error fatal\r\n"},
    {"Error 02 : Cannot open temp MJPG file...",
     "Erreur 02 : Impossible d'ouvrir le fichier MJPG temporaire...",
     "Errore 02 : Impossibile aprire il file MJPG temporaneo...",
     "Error 02 : No se puede abrir el archivo MJPG temporal..."}};
const ErrorText kError03Step1 = {
    3,
    {"* Error 03 : cannot read temp MJPEG file... Error fatal.\r\n",
     "* Erreur 03 : impossible de lire le fichier MJPEG temporaire... Erreur fatale.\r\n",
     "* Errore 03 : impossibile leggere il file MJPEG temporaneo... Errore fatale.\r\n",
     "* Error 03 : no se puede leer el archivo MJPEG temporal... Error fatal.\r\n"},
    {"Error 03 : Cannot read temp MJPG file...",
     "Erreur 03 : Impossible de lire le fichier MJPG temporaire...",
     "Errore 03 : Impossibile leggere il file MJPG temporaneo...",
     "Error 03 : No se puede leer el archivo MJPG temporal..."}};
const ErrorText kError03Step1b = {
    3,
    {"* Error 03 : cannot read temp MJPEG file... Fatal error.\r\n",
     "* Erreur 03 : impossible de lire le fichier MJPEG temporaire... Erreur fatale.\r\n",
     "* Errore 03 : impossibile leggere il file MJPEG temporaneo... Errore fatale.\r\n",
     "* Error 03 : no se puede leer el archivo MJPEG temporal... Error fatal.\r\n"},
    kError03Step1.box};
const ErrorText kError04 = {
    4,
    {"* Error 04 : cannot open file... Fatal error.\r\n",
     "* Erreur 04 : impossible d'ouvrir le fichier... Erreur fatale.\r\n",
     "* Errore 04 : impossibile aprire il file... Errore fatale.\r\n",
     "* Error 04 : no se puede abrir el archivo... Error fatal.\r\n"},
    {"Error 04 : Cannot open output file...",
     "Erreur 04 : Impossible d'ouvrir le fichier de sortie...",
     "Errore 04 : Impossibile aprire il file di uscita...",
     "Error 04 : No se puede abrir el archivo de salida..."}};
const ErrorText kError05 = {
    5,
    {"* Error 05 : Cannot open input file... Please check that file is still here. Fatal Error\r\n",
     "* Erreur 05 : Impossible d'ouvrir le fichier d'entrée... Vérifiez que le fichier est toujours là. Erreur fatale\r\n",
     "* Errore 05 : Impossibile aprire il file di ingresso... Verificare che il file sia ancora presente. Errore fatale\r\n",
     "* Error 05 : No se puede abrir el archivo de entrada... Compruebe que el archivo sigue ahí. Error fatal\r\n"},
    {"Error 05 : Cannot open input file...\nPlease check that file is still here",
     "Erreur 05 : Impossible d'ouvrir le fichier d'entrée...\nVérifiez que le fichier est toujours là",
     "Errore 05 : Impossibile aprire il file di ingresso...\nVerificare che il file sia ancora presente",
     "Error 05 : No se puede abrir el archivo de entrada...\nCompruebe que el archivo sigue ahí"}};
const ErrorText kError07 = {
    7,
    {"* Error 07 : Fatal error while reversing video in Fast mode. Please try Slow mode\r\n",
     "* Erreur 07 : Erreur fatale pendant le retournement de la vidéo en mode rapide. Essayez le mode lent\r\n",
     "* Errore 07 : Errore fatale durante il rovesciamento del video in modalità veloce. Provare la modalità lenta\r\n",
     "* Error 07 : Error fatal al invertir el vídeo en modo rápido. Pruebe el modo lento\r\n"},
    {"Error 07 : Fatal error while reversing video in Fast mode. Please try Slow mode",
     "Erreur 07 : Erreur fatale pendant le retournement de la vidéo en mode rapide. Essayez le mode lent",
     "Errore 07 : Errore fatale durante il rovesciamento del video in modalità veloce. Provare la modalità lenta",
     "Error 07 : Error fatal al invertir el vídeo en modo rápido. Pruebe el modo lento"}};
const ErrorText kError08 = {
    8,
    {"* Error 08 : Fatal error while muxing video and sound tracks in Fast mode. Please try Slow mode\r\n",
     "* Erreur 08 : Erreur fatale pendant l'assemblage de la vidéo et du son en mode rapide. Essayez le mode lent\r\n",
     "* Errore : Errore fatale durante l'unione di video e suono in modalità veloce. Provare la modalità lenta\r\n",
     "* Error 08 : Error fatal al unir vídeo y sonido en modo rápido. Pruebe el modo lento\r\n"},
    {"Error 08 : Fatal error while muxing video and sound in Fast mode. Please try Slow mode",
     "Erreur 08 : Erreur fatale pendant l'assemblage de la vidéo et du son en mode rapide. Essayez le mode lent",
     "Errore : Errore fatale durante l'unione di video e suono in modalità veloce. Provare la modalità lenta",
     "Error 08 : Error fatal al unir vídeo y sonido en modo rápido. Pruebe el modo lento"}};
const ErrorText kError09 = {
    9,
    {"* Error 09 : Fatal error while muxing video and sound tracks\r\n",
     "* Erreur 09 : Erreur fatale pendant l'assemblage de la vidéo et du son\r\n",
     "* Errore 09 : Errore fatale durante l'unione di video e suono\r\n",
     "* Error 09 : Error fatal al unir vídeo y sonido\r\n"},
    {"Error 09 : Fatal error while muxing video and sound",
     "Erreur 09 : Erreur fatale pendant l'assemblage de la vidéo et du son",
     "Errore 09 : Errore fatale durante l'unione di video e suono",
     "Error 09 : Error fatal al unir vídeo y sonido"}};
const ErrorText kError10Same = {
    10,
    {"* Error 10 : Fatal error while encoding. Please try a fixed output format\r\n",
     "* Erreur 10 : Erreur fatale pendant l'encodage. Essayez un format de sortie fixe\r\n",
     "* Errore 10 : Errore fatale durante la codifica. Provare un formato di uscita fisso\r\n",
     "* Error 10 : Error fatal al codificar. Pruebe un formato de salida fijo como mp4 o mjpeg\r\n"},
    {"Error 10 : Fatal error while encoding. Please try a fixed output format such as mp4 or wmv or mjpeg",
     "Erreur 10 : Erreur fatale pendant l'encodage. Essayez un format de sortie fixe comme mp4, wmv ou mjpeg",
     "Errore 10 : Errore fatale durante la codifica. Provare un formato di uscita fisso come mp4, wmv o mjpeg",
     "Error 10 : Error fatal al codificar. Pruebe un formato de salida fijo como mp4 o mjpeg"}};
const ErrorText kError10Wmv = {
    10,
    {"* Error 10 : Fatal error while encoding in WMV\r\n",
     "* Erreur 10 : Erreur fatale pendant l'encodage en WMV\r\n",
     "* Errore 10 : Errore fatale durante la codifica in WMV\r\n",
     "* Error 10 : Error fatal al codificar en WMV\r\n"},
    {"Error 10 : Fatal error while encoding in WMV",
     "Erreur 10 : Erreur fatale pendant l'encodage en WMV",
     "Errore 10 : Errore fatale durante la codifica in WMV",
     "Error 10 : Error fatal al codificar en WMV"}};
const ErrorText kError11 = {
    11,
    {"* Error 11 : Fatal error while encoding in MP4\r\n",
     "* Erreur 11 : Erreur fatale pendant l'encodage en MP4\r\n",
     "* Errore 11 : Errore fatale durante la codifica in MP4\r\n",
     "* Error 11 : Error fatal al codificar en MP4\r\n"},
    {"Error 11 : Fatal error while encoding in MP4",
     "Erreur 11 : Erreur fatale pendant l'encodage en MP4",
     "Errore 11 : Errore fatale durante la codifica in MP4",
     "Error 11 : Error fatal al codificar en MP4"}};
const ErrorText kError20409 = {
    12,
    {"* Error 2.04.09 : Fatal error while copying output file\r\n",
     "* Erreur 2.04.09 : Erreur fatale pendant la copie du fichier final\r\n",
     "* Errore 2.04.09 : Errore fatale durante la copia del file finale\r\n",
     "* Error 2.04.09 : Error fatal al copiar el archivo final\r\n"},
    {"Error 2.04.09 : Fatal error while copying output file",
     "Erreur 2.04.09 : Erreur fatale pendant la copie du fichier final",
     "Errore 2.04.09 : Errore fatale durante la copia del file finale",
     "Error 2.04.09 : Error fatal al copiar el archivo final"}};

}  // namespace jobtext
