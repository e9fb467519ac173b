// The file-open and file-save dialogs of the main window. Tests replace them
// with hooks that answer for the user, so that no native dialog blocks them.
#pragma once

#include <functional>

#include <QString>
#include <QStringList>

class QWidget;

// What the open dialog is asked with: the name filters, in Qt's form
// ("video files (*.wmv *.mov ...)", "All files (*)").
struct OpenFileRequest {
    QStringList filters;
};

// What the save dialog is asked with: the proposed file (folder included),
// the extension added to a name typed without one, and the filters. The user
// is asked before an existing file is replaced.
struct SaveFileRequest {
    QString proposedName;
    QString defaultSuffix;
    QStringList filters;
};

// The chosen path, or an empty string when the user cancelled.
QString AskOpenFile(QWidget* parent, const OpenFileRequest& request);
QString AskSaveFile(QWidget* parent, const SaveFileRequest& request);

using OpenFileHook = std::function<QString(QWidget* parent, const OpenFileRequest& request)>;
using SaveFileHook = std::function<QString(QWidget* parent, const SaveFileRequest& request)>;
// Installs hooks in place of the real dialogs; empty hooks restore them.
void SetFileDialogHooks(OpenFileHook open, SaveFileHook save);

// One filter in Qt's form from a description and ";"-separated patterns;
// "*.*" (every file) becomes "*".
QString NameFilter(const QString& description, const QString& patterns);
