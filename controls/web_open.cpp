#include "controls/web_open.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

#include "controls/message_box.h"

namespace {

std::function<int(const QString&)>& Hook() {
    static std::function<int(const QString&)> hook;
    return hook;
}

// The command line of the desktop's registered HTML handler: the Exec line of
// the .desktop file that xdg-mime names for text/html. Empty when none.
QString RegisteredHtmlCommand() {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("text/html")});
    if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    const QString desktopId = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    if (desktopId.isEmpty() || desktopId.contains(QLatin1Char('/'))) return {};
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
    if (path.isEmpty()) return {};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    QTextStream in(&f);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (inEntry && line.startsWith(QLatin1String("Exec="))) return line.mid(5);
    }
    return {};
}

int OpenWithDesktop(const QString& address) {
    const int shellCode = QDesktopServices::openUrl(QUrl::fromUserInput(address)) ? kOpenOk : kOpenNoAssociation;
    if (shellCode > 32) return shellCode;

    const QString command = RegisteredHtmlCommand();
    if (command.isEmpty()) return shellCode;
    const QString line = BuildHandlerCommand(command, address);
    if (line.isEmpty()) return shellCode;

    // The address stays one argument, whatever it holds.
    QStringList args = QProcess::splitCommand(line.left(line.size() - address.size() - 1));
    if (args.isEmpty()) return kOpenFileNotFound;
    const QString program = args.takeFirst();
    args.append(address);
    return QProcess::startDetached(program, args) ? kOpenOk : kOpenFileNotFound;
}

}  // namespace

int OpenWebAddress(const QString& address) {
    if (Hook()) return Hook()(address);
    return OpenWithDesktop(address);
}

QString BuildHandlerCommand(const QString& command, const QString& address) {
    static const char* const kPlaceholders[] = {"%1", "%u", "%U", "%f", "%F"};
    qsizetype cut = -1;
    for (const char* p : kPlaceholders) {
        const qsizetype at = command.indexOf(QLatin1Char('"') + QLatin1String(p) + QLatin1Char('"'));
        if (at >= 0 && (cut < 0 || at < cut)) cut = at;
    }
    if (cut < 0) {
        for (const char* p : kPlaceholders) {
            const qsizetype at = command.indexOf(QLatin1String(p));
            if (at >= 0 && (cut < 0 || at < cut)) cut = at;
        }
    }
    const QString line = (cut < 0 ? command : command.left(cut)) + QLatin1Char(' ') + address;
    if (line.size() > kMaxOpenCommand) return {};
    return line;
}

QString OpenErrorText(int code) {
    const char* text = nullptr;
    switch (code) {
    case 0: text = "Le système n'a plus assez de mémoire ou de ressources."; break;
    case 2: text = "Le fichier spécifié n'a pas été trouvé."; break;
    case 3: text = "Le chemin spécifié n'a pas été trouvé."; break;
    case 5: text = "Accès au fichier refusé."; break;
    case 8: text = "Le système n'a plus assez de mémoire."; break;
    case 11: text = "Le fichier .EXE n'est pas un éxécutable WIN32 valide."; break;
    case 26: text = "Une violation de partage est survenue. "; break;
    case 27: text = "Nom de fichier invalide."; break;
    case 28: text = "La transaction DDE n'a pas pu être finie."; break;
    case 29: text = "La transaction DDE a échouée."; break;
    case 30: text = "La transaction DDE n'a pas pu être finie."; break;
    case 31: text = "Il n'y a pas d'application associé au fichier."; break;
    case 32: text = "Une DLL n'a pas été trouvée."; break;
    default: break;
    }
    const QString detail = text ? QString::fromUtf8(text) : QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    return QStringLiteral("impossible d'ouvrir le lien:\n\n") + detail;
}

void ShowOpenError(int code) {
    ShowMessageBox(nullptr, OpenErrorText(code), QCoreApplication::applicationName(), kMsgIconExclamation);
}

void SetWebOpenHook(std::function<int(const QString&)> hook) { Hook() = std::move(hook); }
