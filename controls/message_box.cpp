#include "controls/message_box.h"

#include <QMessageBox>

namespace {
MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}
}  // namespace

void ShowMessageBox(QWidget* parent, const QString& text, const QString& caption, int style) {
    if (Hook()) {
        Hook()(parent, text, caption, style);
        return;
    }
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style & 0xF0) {
    case kMsgIconError: icon = QMessageBox::Critical; break;
    case kMsgIconQuestion: icon = QMessageBox::Question; break;
    case kMsgIconExclamation: icon = QMessageBox::Warning; break;
    case kMsgIconInformation: icon = QMessageBox::Information; break;
    default: break;
    }
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

void SetMessageBoxHook(MessageBoxHook hook) { Hook() = std::move(hook); }
