// ambrelo: the desktop program. CAmbrelo2App selects the settings store, runs
// the main window modally and ends when it closes. A file given as the only
// argument (what a desktop's "Open with" passes) is probed once the window
// shows, as if it had been dropped on it.
#include <QApplication>
#include <QFileInfo>
#include <QUrl>

extern "C" {
#include <libavutil/log.h>
}
#include <opencv2/core/utils/logger.hpp>

#include "app/main_dlg.h"

namespace {

class CAmbrelo2App {
public:
    int InitInstance(int argc, char** argv) {
        QApplication app(argc, argv);
        // The settings live under "Quillon Software", named after the program.
        QApplication::setOrganizationName(QStringLiteral("Quillon Software"));
        QApplication::setApplicationName(QStringLiteral("ambrelo"));
        QApplication::setDesktopFileName(QStringLiteral("ambrelo"));

        // The libraries report their own trouble on the terminal: errors only.
        av_log_set_level(AV_LOG_ERROR);
        cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_ERROR);

        CAmbrelo2Dlg dlg;
        const QStringList args = QApplication::arguments();
        if (args.size() == 2) dlg.OpenAtStart(StartFile(args.at(1)));
        dlg.exec();
        return 0;
    }

private:
    // A path, or a file address ("file:///...") as some desktops pass it.
    static QString StartFile(const QString& arg) {
        const QUrl url(arg);
        if (url.isLocalFile()) return url.toLocalFile();
        return QFileInfo(arg).absoluteFilePath();
    }
};

}  // namespace

int main(int argc, char** argv) {
    CAmbrelo2App theApp;
    return theApp.InitInstance(argc, argv);
}
