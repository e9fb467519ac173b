#include "app/about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "app/main_texts.h"
#include "controls/resources.h"

namespace {
const ControlTemplate kControls[] = {
    {CAboutDlg::kIcon, CtlKind::Static, 12, 15, 21, 20, 0, nullptr},
    {CAboutDlg::kVersion, CtlKind::Static, 42, 14, 114, 8, 0, nullptr},
    {CAboutDlg::kNotice, CtlKind::Static, 42, 26, 114, 8, 0, nullptr},
    {CAboutDlg::IDOK, CtlKind::DefPushButton, 113, 41, 50, 14, 0, "OK"},
};
}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    m_controls = BuildDialog(this, MakeTemplate(100, maintext::kAboutCaption, 170, 62, kControls));
    setWindowIcon(res::LoadAppIcon());

    auto* icon = static_cast<QLabel*>(Item(kIcon));
    const int side = qMin(icon->width(), icon->height());
    icon->setPixmap(res::LoadAppIcon().pixmap(side, side));
    static_cast<QLabel*>(Item(kVersion))->setText(QString::fromUtf8(maintext::kAboutVersion));
    static_cast<QLabel*>(Item(kNotice))->setText(QString::fromUtf8(maintext::kAboutNotice));
    connect(static_cast<QPushButton*>(Item(IDOK)), &QPushButton::clicked, this, &QDialog::accept);
}
