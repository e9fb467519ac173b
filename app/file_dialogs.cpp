#include "app/file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {
OpenFileHook& OpenHook() {
    static OpenFileHook hook;
    return hook;
}
SaveFileHook& SaveHook() {
    static SaveFileHook hook;
    return hook;
}
}  // namespace

QString NameFilter(const QString& description, const QString& patterns) {
    QStringList list;
    for (const QString& p : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        list << (p == QLatin1String("*.*") ? QStringLiteral("*") : p);
    return description.trimmed() + QStringLiteral(" (") + list.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QString AskOpenFile(QWidget* parent, const OpenFileRequest& request) {
    if (OpenHook()) return OpenHook()(parent, request);
    QFileDialog d(parent);
    d.setAcceptMode(QFileDialog::AcceptOpen);
    d.setFileMode(QFileDialog::ExistingFile);
    d.setNameFilters(request.filters);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return {};
    return QFileInfo(d.selectedFiles().first()).absoluteFilePath();
}

QString AskSaveFile(QWidget* parent, const SaveFileRequest& request) {
    if (SaveHook()) return SaveHook()(parent, request);
    QFileDialog d(parent);
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setFileMode(QFileDialog::AnyFile);
    d.setNameFilters(request.filters);
    d.setDefaultSuffix(request.defaultSuffix);
    if (!request.proposedName.isEmpty()) {
        const QFileInfo proposed(request.proposedName);
        d.setDirectory(proposed.absolutePath());
        d.selectFile(proposed.fileName());
    }
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return {};
    return QFileInfo(d.selectedFiles().first()).absoluteFilePath();
}

void SetFileDialogHooks(OpenFileHook open, SaveFileHook save) {
    OpenHook() = std::move(open);
    SaveHook() = std::move(save);
}
