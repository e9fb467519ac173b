#include "engine/output_naming.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "engine/texts.h"

namespace {

const Text kFilesOf = {"%s files", "fichiers %s", "file %s", "archivos %s"};
const Text kAllFiles = {"all files", "tous les fichiers", "tutti i file", "todos los archivos"};
const Text kSameAsInput = {
    "The output file is the input file itself: choose another output name.",
    "Le fichier de sortie est le fichier d'entrée lui-même : choisissez un autre nom.",
    "Il file di uscita è il file di ingresso stesso: scegliere un altro nome.",
    "El archivo de salida es el propio archivo de entrada: elija otro nombre."};
const Text kTemporary = {
    "The output file is one of the temporary files of the job: choose another output name.",
    "Le fichier de sortie est un des fichiers temporaires du traitement : choisissez un autre nom.",
    "Il file di uscita è uno dei file temporanei del lavoro: scegliere un altro nome.",
    "El archivo de salida es uno de los archivos temporales del trabajo: elija otro nombre."};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

bool SameInode(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool SamePath(const std::string& a, const std::string& b) {
    std::error_code ec1, ec2;
    const auto ca = std::filesystem::weakly_canonical(a, ec1);
    const auto cb = std::filesystem::weakly_canonical(b, ec2);
    if (!ec1 && !ec2 && ca == cb) return true;
    return SameInode(a, b);
}

}  // namespace

OutputProposal ProposeOutput(const std::string& input, int format, int replaceMts, int lang) {
    OutputProposal p;
    std::string ext;
    switch (format) {
    case 0: ext = "avi"; break;
    case 2: ext = "wmv"; break;
    case 3: ext = "mp4"; break;
    case 1: {
        const auto dot = input.rfind('.');
        if (dot == std::string::npos) {
            p.proposedName = input + ".rev";
            p.filters = {{kAllFiles.Pick(lang), "*.*"}};
            return p;
        }
        ext = Lower(input.substr(dot + 1));
        if (ext == "mts" && replaceMts != 0) ext = "mov";
        break;
    }
    default:
        return p;
    }
    p.defaultExtension = ext;
    p.proposedName = input + ".rev." + ext;
    p.filters = {{Format(kFilesOf.Pick(lang), ext.c_str()), "*." + ext}, {kAllFiles.Pick(lang), "*.*"}};
    return p;
}

OutputConflict CheckOutputPath(const std::string& input, const std::string& output, const TempFileSet& temps) {
    if (SamePath(input, output)) return OutputConflict::SameAsInput;
    if (temps.Contains(output)) return OutputConflict::TemporaryFile;
    for (const std::string* t : {&temps.mjpeg, &temps.preview, &temps.reversed, &temps.audio, &temps.audioRev})
        if (!t->empty() && SameInode(*t, output)) return OutputConflict::TemporaryFile;
    return OutputConflict::None;
}

const char* OutputConflictMessage(OutputConflict conflict, int lang) {
    switch (conflict) {
    case OutputConflict::SameAsInput: return kSameAsInput.Pick(lang);
    case OutputConflict::TemporaryFile: return kTemporary.Pick(lang);
    case OutputConflict::None: break;
    }
    return "";
}
