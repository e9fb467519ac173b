// Helpers of the window tests: the settings store as the tests see it, the
// message boxes the windows showed, and picture fixtures made by ffmpeg.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

class QWidget;

// Empties the store.
void ClearStore();
// The values in section "Settings", by name.
std::map<QString, QVariant> StoredValues();

// Records the message boxes shown while it lives (no modal window appears).
struct MessageRecorder {
    struct Box {
        QString text, caption;
        int style;
    };
    MessageRecorder();
    ~MessageRecorder();
    std::vector<Box> boxes;
};

// Drags the files onto the widget and drops them; false when the widget
// refused the drag or the drop.
bool DropFiles(QWidget* w, const QStringList& paths);

// Runs ffmpeg with the arguments; true when it succeeded.
bool RunFfmpeg(const QStringList& args);
// An animated GIF of `frames` 16 x 16 frames of distinct grey levels
// (16 + 60 * i, up to 4 frames), at 20 frames a second (a delay of 5 hundredths), made by
// ffmpeg. loop: -1 writes no looping block, else the looping block's count.
QByteArray MakeAnimatedGif(const QString& dir, int frames, int loop);
// The same GIF without its graphic control blocks (no frame delays).
QByteArray StripGraphicControl(const QByteArray& gif);
// A still picture (PNG/JPEG/BMP by extension) of one colour, made by ffmpeg.
QByteArray MakeStill(const QString& dir, const QString& name, int w, int h, const char* colour);
