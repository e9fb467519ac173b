// window_screenshots: runs a real job through the main window in each of the
// four languages and saves pictures of it, to look at as a person would.
//   window_screenshots CLIP OUT_DIR      (under Xvfb: xvfb-run -a window_screenshots ...)
// For each language it writes <lang>_idle.png (the clip probed),
// <lang>_busy.png (a job in progress), <lang>_endbox.png (the end message)
// and <lang>_done.png (after the job),
// with the settings in a private folder.
#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include "app/file_dialogs.h"
#include "app/main_dlg.h"
#include "controls/message_box.h"
#include "settings/settings_store.h"

int main(int argc, char** argv) {
    QTemporaryDir config;
    if (!config.isValid()) return 2;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ambrelo"));
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CLIP OUT_DIR\n", argv[0]);
        return 64;
    }
    const QString clip = QString::fromLocal8Bit(argv[1]);
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(outDir);
    const char* names[] = {"zh", "fr", "it", "es"};

    QString boxes;
    SetMessageBoxHook([&](QWidget*, const QString& text, const QString& caption, int) {
        boxes += caption + QStringLiteral(": ") + text + QLatin1Char('\n');
    });
    for (int lang = 0; lang < 4; ++lang) {
        const QString name = QString::fromLatin1(names[lang]);
        settings::WriteInt(settings::kLanguage, lang);
        settings::WriteInt(settings::kShowDebug, 1);
        settings::WriteInt(settings::kOutputFormat, lang == 3 ? 3 : 0);
        const QString out = outDir + QStringLiteral("/out_") + name + (lang == 3 ? ".mp4" : ".avi");
        QFile::remove(out);
        SetFileDialogHooks({}, [&](QWidget*, const SaveFileRequest&) { return out; });

        CAmbrelo2Dlg dlg;
        dlg.show();
        QApplication::processEvents();
        dlg.OnDropFiles({clip});
        QApplication::processEvents();
        dlg.grab().save(outDir + "/" + name + "_idle.png");

        // A picture once the reversal is under way (the preview shows a frame).
        bool taken = false;
        auto* bar = static_cast<QProgressBar*>(dlg.Item(CAmbrelo2Dlg::kProgress));
        QObject::connect(bar, &QProgressBar::valueChanged, &dlg, [&](int v) {
            if (taken || bar->maximum() < 20 || v < bar->maximum() * 2 / 5) return;
            taken = true;
            dlg.grab().save(outDir + "/" + name + "_busy.png");
        });
        // The real end message box: a picture of it, then OK.
        SetMessageBoxHook({});
        QTimer boxWatch;
        QObject::connect(&boxWatch, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            box->grab().save(outDir + "/" + name + "_endbox.png");
            boxes += box->windowTitle() + QStringLiteral(": ") + box->text() + QLatin1Char('\n');
            box->accept();
        });
        boxWatch.start(100);
        dlg.OnReverseVideo();
        while (dlg.m_bBusy.load() != 0) QApplication::processEvents(QEventLoop::AllEvents, 20);
        boxWatch.stop();
        QApplication::processEvents();
        dlg.grab().save(outDir + "/" + name + "_done.png");
        std::printf("%s: %s\n", names[lang], qPrintable(boxes));
        boxes.clear();
    }
    // The log panel hidden (ShowDebug 0), in Italian for its thanks line.
    settings::WriteInt(settings::kShowDebug, 0);
    settings::WriteInt(settings::kLanguage, 2);
    CAmbrelo2Dlg dlg;
    dlg.show();
    dlg.OnDropFiles({clip});
    QApplication::processEvents();
    dlg.grab().save(outDir + "/it_nopanel.png");
    bool taken = false;
    auto* bar = static_cast<QProgressBar*>(dlg.Item(CAmbrelo2Dlg::kProgress));
    QObject::connect(bar, &QProgressBar::valueChanged, &dlg, [&](int v) {
        if (taken || bar->maximum() < 20 || v < bar->maximum() / 2) return;
        taken = true;
        dlg.grab().save(outDir + "/it_nopanel_busy.png");
    });
    const QString out = outDir + QStringLiteral("/out_nopanel.avi");
    QFile::remove(out);
    SetFileDialogHooks({}, [&](QWidget*, const SaveFileRequest&) { return out; });
    dlg.OnReverseVideo();
    while (dlg.m_bBusy.load() != 0) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return 0;
}
