// Message boxes of the windows. Every box of the dialogs and controls goes
// through ShowMessageBox, so that tests can install a hook that sees the text,
// caption and style without a modal window blocking them.
#pragma once

#include <functional>

#include <QString>

class QWidget;

// Icon styles, with the values the job context uses (engine/job_context.h).
enum : int {
    kMsgIconError = 0x10,
    kMsgIconQuestion = 0x20,
    kMsgIconExclamation = 0x30,
    kMsgIconInformation = 0x40,
};

// Shows a modal box with an OK button owned by parent (may be null) and
// returns once it is closed. With a hook installed, calls the hook instead.
void ShowMessageBox(QWidget* parent, const QString& text, const QString& caption, int style);

using MessageBoxHook =
    std::function<void(QWidget* parent, const QString& text, const QString& caption, int style)>;
// Installs a hook in place of the real box; an empty hook restores the box.
void SetMessageBoxHook(MessageBoxHook hook);
