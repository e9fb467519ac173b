// CAboutDlg: the About box (template 100): the icon, the version line, the
// maker's notice and an OK button.
#pragma once

#include <QDialog>

#include "controls/dialog_template.h"

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    enum : int { IDOK = 1, kIcon = 2000, kVersion = 2001, kNotice = 2002 };

    explicit CAboutDlg(QWidget* parent = nullptr);

    QWidget* Item(int id) const { return m_controls.Item(id); }

private:
    DialogControls m_controls;
};
