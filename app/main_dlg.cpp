#include "app/main_dlg.h"

#include <chrono>

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QThread>
#include <QUrl>

#include "app/about_dlg.h"
#include "app/file_dialogs.h"
#include "app/main_texts.h"
#include "controls/hand_button.h"
#include "controls/hyper_link.h"
#include "controls/image_static.h"
#include "controls/message_box.h"
#include "controls/resources.h"
#include "engine/job_texts.h"
#include "engine/output_naming.h"
#include "engine/probe.h"
#include "engine/reversal_job.h"
#include "engine/temp_files.h"
#include "settings/init_language_dlg.h"
#include "settings/options_dlg.h"
#include "settings/settings_store.h"

namespace {

const ControlTemplate kControls[] = {
    {CAmbrelo2Dlg::kChoose, CtlKind::HandButton, 6, 2, 47, 45, kStyleMultiline, "Choose video\nto reverse"},
    {CAmbrelo2Dlg::kOptions, CtlKind::HandButton, 71, 2, 47, 45, kStyleMultiline, "Options"},
    {CAmbrelo2Dlg::kReverse, CtlKind::HandButton, 6, 51, 47, 45, kStyleMultiline, "Reverse video !"},
    {CAmbrelo2Dlg::kCancel, CtlKind::HandButton, 71, 51, 47, 45, kStyleMultiline, "Cancel !"},
    {CAmbrelo2Dlg::kProgress, CtlKind::Progress, 6, 103, 111, 14, kStyleBorder, nullptr},
    {CAmbrelo2Dlg::kPreview, CtlKind::ImageStatic, 124, 2, 218, 115, kStyleBorder | kStyleCenter | kStyleCenterImage,
     nullptr},
    {CAmbrelo2Dlg::kFilePath, CtlKind::Static, 7, 122, 146, 8, kStylePathEllipsis, "Static"},
    {CAmbrelo2Dlg::kInfo, CtlKind::Static, 160, 122, 138, 8, kStyleCenter, "Static"},
    {CAmbrelo2Dlg::kStep, CtlKind::Static, 7, 133, 331, 8, 0, "Static"},
    {CAmbrelo2Dlg::kLog, CtlKind::Edit, 7, 145, 335, 55, kStyleMultiline | kStyleReadOnly | kStyleBorder, nullptr},
    {CAmbrelo2Dlg::kThanks, CtlKind::Static, 90, 200, 169, 8, kStyleCenter, nullptr},
    {CAmbrelo2Dlg::kFacebook, CtlKind::ImageStatic, 10, 203, 31, 31, kStyleCenter | kStyleCenterImage, nullptr},
    {CAmbrelo2Dlg::kGooglePlus, CtlKind::ImageStatic, 56, 203, 31, 31, kStyleCenter | kStyleCenterImage, nullptr},
    {CAmbrelo2Dlg::kWebLink, CtlKind::HyperLink, 128, 213, 94, 8, 0, res::kMakerAddress},
    {CAmbrelo2Dlg::kDonate, CtlKind::ImageStatic, 248, 203, 94, 30, kStyleCenter | kStyleCenterImage, nullptr},
};

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }
QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The log keeps "\r\n" line ends; the panel shows plain "\n".
QString DisplayText(const std::string& text) {
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    s.remove(QLatin1Char('\r'));
    return s;
}

bool HasLocalFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls()) return false;
    for (const QUrl& u : mime->urls())
        if (u.isLocalFile()) return true;
    return false;
}

}  // namespace

CAmbrelo2Dlg::CAmbrelo2Dlg(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    const QByteArray title = QByteArray(maintext::kWindowTitlePrefix) + res::kMakerAddress;
    m_controls = BuildDialog(this, MakeTemplate(102, title.constData(), 349, 238, kControls));

    m_btnChoose = Button(kChoose);
    m_btnOptions = Button(kOptions);
    m_btnReverse = Button(kReverse);
    m_btnCancel = Button(kCancel);
    m_progress = static_cast<QProgressBar*>(Item(kProgress));
    m_step = static_cast<QLabel*>(Item(kStep));
    m_preview = static_cast<CImageStatic*>(Item(kPreview));
    m_filePath = static_cast<QLabel*>(Item(kFilePath));
    m_info = static_cast<QLabel*>(Item(kInfo));
    m_log = static_cast<QPlainTextEdit*>(Item(kLog));
    m_webLink = static_cast<CHyperLink*>(Item(kWebLink));
    m_donate = static_cast<CImageStatic*>(Item(kDonate));
    m_facebook = static_cast<CImageStatic*>(Item(kFacebook));
    m_googlePlus = static_cast<CImageStatic*>(Item(kGooglePlus));
    m_thanks = static_cast<QLabel*>(Item(kThanks));
    m_footer = {m_thanks, m_facebook, m_googlePlus, m_webLink, m_donate};
    m_log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // long lines scroll with the caret

    // The bound labels start empty.
    m_step->clear();
    UpdateLabels();

    setWindowIcon(res::LoadAppIcon());
    m_settings.Language = 0;
    if (QCoreApplication::instance()) {
        m_settings.Language = settings::ReadInt(settings::kLanguage, -1);
        m_settings.ShowDebug = settings::ReadInt(settings::kShowDebug, 0);
        m_hHandCursor = res::LoadHandCursor();
    }
    for (int i = 0; i < 8; ++i) m_pictures[i] = res::LoadBitmap(res::kBmpCancelActive + i);

    m_closeTimer.setSingleShot(true);
    m_closeTimer.setInterval(kCloseRetryMs);
    connect(&m_closeTimer, &QTimer::timeout, this, &CAmbrelo2Dlg::reject);

    connect(m_btnChoose, &QAbstractButton::clicked, this, &CAmbrelo2Dlg::OnChooseVideo);
    connect(m_btnReverse, &QAbstractButton::clicked, this, &CAmbrelo2Dlg::OnReverseVideo);
    connect(m_btnCancel, &QAbstractButton::clicked, this, &CAmbrelo2Dlg::OnCancelJob);
    connect(m_btnOptions, &QAbstractButton::clicked, this, &CAmbrelo2Dlg::OnOptions);
}

CAmbrelo2Dlg::~CAmbrelo2Dlg() {
    m_closeTimer.stop();
    if (m_worker.joinable()) {
        // Only when the window goes away while a job still runs (the close
        // rule prevents it otherwise): stop the job and serve its calls until
        // it has finished its clean-up.
        m_bCancel = 1;
        while (m_bBusy.load() != 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        m_worker.join();
    }
}

CHandButton* CAmbrelo2Dlg::Button(int id) const { return static_cast<CHandButton*>(Item(id)); }

template <typename F>
void CAmbrelo2Dlg::OnUiThread(F&& f) {
    if (QThread::currentThread() == thread())
        f();
    else
        QMetaObject::invokeMethod(this, std::forward<F>(f), Qt::BlockingQueuedConnection);
}

// ---- Start-up -------------------------------------------------------------

void CAmbrelo2Dlg::setVisible(bool visible) {
    if (visible && !m_bInitDone) {
        m_bInitDone = true;
        OnInitDialog();
    }
    if (visible && !m_bFooterCaptured) OnFirstShow();
    QDialog::setVisible(visible);
    if (visible && !m_strStartFile.isEmpty()) {
        const QString file = m_strStartFile;
        m_strStartFile.clear();
        QTimer::singleShot(0, this, [this, file] { OnDropFiles({file}); });
    }
}

void CAmbrelo2Dlg::OnInitDialog() {
    // No language stored yet: the chooser first; it cannot be left without a choice.
    if (m_settings.Language == -1) {
        CInitLanguageDlg chooser(m_settings);
        chooser.setWindowIcon(res::LoadAppIcon());
        chooser.exec();
    }
    SetButton(kChoose, true, res::kBmpChooseActive);
    SetButton(kOptions, true, res::kBmpOptionsActive);
    SetButton(kReverse, false, res::kBmpReverseInactive);
    SetButton(kCancel, false, res::kBmpCancelInactive);

    for (CHandButton* b : {m_btnChoose, m_btnOptions, m_btnReverse, m_btnCancel}) b->SetHandCursor(m_hHandCursor);
    m_webLink->SetHandCursor(m_hHandCursor);
    if (!m_hHandCursor) m_webLink->LoadFallbackCursor();
    for (CImageStatic* p : {m_donate, m_facebook, m_googlePlus}) p->SetHandCursor(m_hHandCursor);

    ApplyLanguageTexts();
    setAcceptDrops(true);
}

void CAmbrelo2Dlg::OnFirstShow() {
    for (std::size_t i = 0; i < m_footer.size(); ++i) m_footerRects[i] = m_footer[i]->geometry();
    m_bFooterCaptured = 1;
    if (m_settings.ShowDebug == 0) ShowDebugPanel(0);
}

void CAmbrelo2Dlg::ApplyLanguageTexts() {
    const int lang = m_settings.Language;
    m_btnOptions->SetTip(Q(maintext::kTipOptions.Pick(lang)));
    m_btnReverse->SetTip(Q(maintext::kTipReverse.Pick(lang)));
    m_btnChoose->SetTip(Q(maintext::kTipChoose.Pick(lang)));
    m_btnCancel->SetTip(Q(maintext::kTipCancel.Pick(lang)));
    m_webLink->SetTarget(Q(maintext::kWebTarget.Pick(lang)));
    m_webLink->SetTip(Q(maintext::kWebTip.Pick(lang)));
    m_donate->LoadFromResource(maintext::DonatePicture(lang), "IMAGE");
    m_donate->SetTarget(Q(maintext::kDonateTarget.Pick(lang)));
    m_donate->SetTip(Q(maintext::kDonateTip.Pick(lang)));
    m_facebook->LoadFromResource(res::kImgSocialFacebook, "IMAGE");
    m_facebook->SetTarget(Q(maintext::kFacebookTarget));
    m_facebook->SetTip(Q(maintext::kFacebookTip.Pick(lang)));
    m_googlePlus->LoadFromResource(res::kImgSocialGooglePlus, "IMAGE");
    m_googlePlus->SetTarget(Q(maintext::kGooglePlusTarget));
    m_googlePlus->SetTip(Q(maintext::kGooglePlusTip.Pick(lang)));
    m_thanks->setText(Q(maintext::kThanks.Pick(lang)));
}

// ---- Log panel --------------------------------------------------------------

void CAmbrelo2Dlg::ShowDebugPanel(int show) {
    if (show != 0 && m_bDebugPanelShown == 0) {
        m_bDebugPanelShown = 1;
        setFixedSize(width(), height() + kPanelStep);
        for (std::size_t i = 0; i < m_footer.size(); ++i) m_footer[i]->setGeometry(m_footerRects[i]);
        m_log->show();
        m_log->verticalScrollBar()->setValue(m_log->verticalScrollBar()->maximum());
    } else if (show == 0 && m_bDebugPanelShown != 0) {
        std::array<QRect, 5> moved;
        for (std::size_t i = 0; i < moved.size(); ++i) moved[i] = m_footerRects[i].translated(0, -kPanelStep);
        m_bDebugPanelShown = 0;
        m_log->hide();
        for (std::size_t i = 0; i < m_footer.size(); ++i) m_footer[i]->setGeometry(moved[i]);
        setFixedSize(width(), height() - kPanelStep);
    }
}

// ---- Buttons ------------------------------------------------------------------

void CAmbrelo2Dlg::SetButton(int id, bool enabled, int picture) {
    CHandButton* b = Button(id);
    const QPixmap& pm = m_pictures[picture - res::kBmpCancelActive];
    b->SetImage(pm);
    // The picture chosen for the state is shown as drawn, not greyed again.
    QIcon icon(pm);
    icon.addPixmap(pm, QIcon::Disabled);
    b->setIcon(icon);
    b->setEnabled(enabled);
}

void CAmbrelo2Dlg::UpdateLabels() {
    m_filePath->setText(m_strFilePath);
    m_info->setText(m_strInfo);
}

void CAmbrelo2Dlg::OnChooseVideo() {
    if (m_bBusy.load() != 0) return;
    const int lang = m_settings.Language;
    OpenFileRequest request;
    request.filters << NameFilter(Q(maintext::kVideoFiles.Pick(lang)), Q(maintext::kVideoPatterns))
                    << NameFilter(Q(maintext::kAllFiles.Pick(lang)), QStringLiteral("*.*"));
    const QString path = AskOpenFile(this, request);
    if (path.isEmpty()) return;
    m_strInputPath = PathBytes(path);
    m_strFilePath = path;
    ProbeChosenInput();
    UpdateLabels();
}

void CAmbrelo2Dlg::OnDropFiles(const QStringList& paths) {
    if (paths.isEmpty() || m_bBusy.load() != 0) return;
    m_strInputPath = PathBytes(paths.first());
    m_strFilePath = paths.first();
    ProbeChosenInput();
    UpdateLabels();
}

void CAmbrelo2Dlg::ProbeChosenInput() {
    if (m_strInputPath.empty()) return;
    const ProbeResult r = ::ProbeInput(*this);
    if (r.accepted) {
        m_strInfo = QString::fromStdString(r.info);
        SetButton(kReverse, true, res::kBmpReverseActive);
    } else {
        // Error 01 has been logged and shown; the input is forgotten.
        m_strInputPath.clear();
        m_strFilePath.clear();
        m_strInfo.clear();
        SetButton(kReverse, false, res::kBmpReverseInactive);
    }
}

void CAmbrelo2Dlg::OnReverseVideo() {
    if (m_bBusy.load() != 0 || m_strInputPath.empty()) return;
    if (QCoreApplication::instance()) settings::ReadJobSettings(m_settings);
    const int lang = m_settings.Language;
    const OutputProposal p =
        ProposeOutput(m_strInputPath, m_settings.OutputFormat, m_settings.ReplaceMTS, lang);
    SaveFileRequest request;
    request.proposedName = PathText(p.proposedName);
    request.defaultSuffix = QString::fromStdString(p.defaultExtension);
    for (const FileFilter& f : p.filters)
        request.filters << NameFilter(Q(f.description.c_str()), QString::fromStdString(f.pattern));
    const QString chosen = AskSaveFile(this, request);
    if (chosen.isEmpty()) return;

    // An output that is the input itself or a file the job uses would be
    // destroyed by the job: refuse it, and start nothing.
    const std::string output = PathBytes(chosen);
    const TempFileSet temps = MakeTempFileSet();
    std::vector<std::string> written{output};
    if (m_settings.SoundOption == 2 && m_bHasAudio) written.push_back(output + ".wav");
    for (const std::string& target : written) {
        const OutputConflict conflict = CheckOutputPath(m_strInputPath, target, temps);
        if (conflict != OutputConflict::None) {
            ShowMessageBox(this, Q(OutputConflictMessage(conflict, lang)), Q(jobtext::kErrorTitle.Pick(lang)),
                           kMsgIconError);
            return;
        }
    }

    m_strOutputPath = output;
    m_bCancel = 0;
    FinishedWorker();
    // Busy from now on, so that no close can slip in before the worker's first action.
    m_bBusy = 1;
    m_worker = std::thread(ReversalThreadProc, static_cast<JobContext*>(this));
}

void CAmbrelo2Dlg::OnCancelJob() { m_bCancel = 1; }

void CAmbrelo2Dlg::FinishedWorker() {
    // The worker's last action is clearing m_bBusy: joining then never waits.
    if (m_worker.joinable() && m_bBusy.load() == 0) m_worker.join();
}

void CAmbrelo2Dlg::OnOptions() {
    if (m_bBusy.load() != 0) return;
    COptionsDlg options(this);
    if (options.exec() != QDialog::Accepted || !QCoreApplication::instance()) return;
    const int lang = settings::ReadInt(settings::kLanguage, 0);
    if (lang != m_settings.Language) {
        m_settings.Language = lang;
        ApplyLanguageTexts();
    }
    const int debug = settings::ReadInt(settings::kShowDebug, 0);
    if (debug != m_settings.ShowDebug) {
        m_settings.ShowDebug = debug;
        ShowDebugPanel(debug);
    }
}

void CAmbrelo2Dlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

// ---- Closing ----------------------------------------------------------------------

void CAmbrelo2Dlg::accept() { reject(); }

void CAmbrelo2Dlg::reject() {
    m_closeTimer.stop();
    m_bCancel = 1;
    if (m_bBusy.load() == 0) {
        FinishedWorker();
        QDialog::reject();
    } else {
        m_closeTimer.start();
    }
}

void CAmbrelo2Dlg::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier) {
            accept();
            return;
        }
        break;
    case Qt::Key_F1:
        OnAbout();
        return;
    default:
        break;
    }
    QDialog::keyPressEvent(e);
}

void CAmbrelo2Dlg::contextMenuEvent(QContextMenuEvent* e) {
    QMenu menu(this);
    menu.addAction(Q(maintext::kVersionEntry), this, &CAmbrelo2Dlg::OnAbout);
    menu.exec(e->globalPos());
}

// ---- Dropped files ------------------------------------------------------------------

void CAmbrelo2Dlg::dragEnterEvent(QDragEnterEvent* e) {
    if (m_bBusy.load() == 0 && HasLocalFile(e->mimeData()))
        e->acceptProposedAction();
    else
        e->ignore();
}

void CAmbrelo2Dlg::dropEvent(QDropEvent* e) {
    if (m_bBusy.load() != 0 || !HasLocalFile(e->mimeData())) {
        e->ignore();
        return;
    }
    QStringList paths;
    for (const QUrl& u : e->mimeData()->urls())
        if (u.isLocalFile()) paths << u.toLocalFile();
    e->acceptProposedAction();
    // The first file only.
    OnDropFiles(paths.mid(0, 1));
}

// ---- Job context ------------------------------------------------------------------------

void CAmbrelo2Dlg::SetProgressRange(int max) {
    m_nLastPos = -1;
    OnUiThread([this, max] {
        // The position stays, kept inside the new range. An empty range would
        // show the busy animation instead of an empty bar.
        const int pos = m_progress->value();
        const int top = max > 0 ? max : 1;
        m_progress->setRange(0, top);
        if (pos >= 0) m_progress->setValue(qMin(pos, top));
    });
}

void CAmbrelo2Dlg::SetProgressPos(int pos) {
    if (m_nLastPos.exchange(pos) == pos) return;
    OnUiThread([this, pos] { m_progress->setValue(qBound(m_progress->minimum(), pos, m_progress->maximum())); });
}

void CAmbrelo2Dlg::SetStepText(const std::string& text) {
    const QString s = QString::fromStdString(text);
    OnUiThread([this, &s] { m_step->setText(s); });
}

void CAmbrelo2Dlg::LoadFromFile(const std::string& path) { m_preview->LoadFromFile(PathText(path)); }

void CAmbrelo2Dlg::LoadFromMemory(const void* data, std::size_t size) {
    m_preview->LoadFromMemory(data, static_cast<qsizetype>(size));
}

void CAmbrelo2Dlg::ShowMessage(const std::string& text, const std::string& title, int style) {
    const QString t = QString::fromStdString(text), c = QString::fromStdString(title);
    OnUiThread([this, &t, &c, style] { ShowMessageBox(this, t, c, style); });
}

void CAmbrelo2Dlg::SetBusyState(bool busy) {
    OnUiThread([this, busy] {
        if (busy) {
            m_btnChoose->setEnabled(false);
            setAcceptDrops(false);
            SetButton(kChoose, false, res::kBmpChooseInactive);
            SetButton(kCancel, true, res::kBmpCancelActive);
            SetButton(kReverse, false, res::kBmpReverseInactive);
            SetButton(kOptions, false, res::kBmpOptionsInactive);
        } else {
            SetButton(kOptions, true, res::kBmpOptionsActive);
            SetButton(kChoose, true, res::kBmpChooseActive);
            setAcceptDrops(true);
            SetButton(kCancel, false, res::kBmpCancelInactive);
            SetButton(kReverse, true, res::kBmpReverseActive);
        }
    });
}

void CAmbrelo2Dlg::OnLogAppended(const std::string& text) {
    const QString s = DisplayText(text);
    OnUiThread([this, &s] {
        m_log->moveCursor(QTextCursor::End);
        m_log->insertPlainText(s);
        m_log->moveCursor(QTextCursor::End);
        m_log->verticalScrollBar()->setValue(m_log->verticalScrollBar()->maximum());
    });
}

void CAmbrelo2Dlg::OnLogCleared() {
    OnUiThread([this] { m_log->clear(); });
}
