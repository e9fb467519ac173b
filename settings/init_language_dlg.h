// CInitLanguageDlg: the first-run language chooser (template 104). Four flag
// buttons, each in the group box that invites its language; a click sets
// settings.Language, stores the language index and closes the dialog. Enter,
// Escape and the close box do nothing: a flag must be chosen.
#pragma once

#include <QDialog>

#include "controls/dialog_template.h"
#include "engine/app_settings.h"

class CHandButton;

class CInitLanguageDlg : public QDialog {
    Q_OBJECT
public:
    // Flag buttons of template 104.
    enum : int { kFlagSpain = 1034, kFlagChina = 1035, kFlagFrance = 1036, kFlagItaly = 1037 };

    explicit CInitLanguageDlg(AppSettings& settings, QWidget* parent = nullptr);

    CHandButton* FlagButton(int id) const;

protected:
    void accept() override {}
    void reject() override {}

private:
    void OnFlag(int language);

    AppSettings& m_settings;
    DialogControls m_controls;
};
