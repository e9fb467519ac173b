// CAmbrelo2Dlg: the main window (template 102) and the job context of the
// jobs it starts. A person chooses or drops a video, which is probed; the
// reverse button proposes an output name, asks for it in a save dialog and
// starts the job on a worker thread; the Cancel button asks the job to stop.
//
// Channel: every operation the worker calls reaches the controls through a
// blocking queued call onto the user-interface thread (a direct call when it
// is already on that thread, as the probe is), so the worker waits while the
// user-interface thread never waits for it. Message boxes of the job are shown
// on the user-interface thread and the worker waits until they are closed. The
// preview picture loads its previews itself, safely from the worker.
//
// Closing (Escape, Enter, the close box) sets m_bCancel; while a job runs the
// window stays open and tries again every 250 ms until m_bBusy is 0.
#pragma once

#include <array>
#include <atomic>
#include <optional>
#include <thread>

#include <QCursor>
#include <QDialog>
#include <QPixmap>
#include <QRect>
#include <QStringList>
#include <QTimer>

#include "controls/dialog_template.h"
#include "engine/job_context.h"

class CHandButton;
class CHyperLink;
class CImageStatic;
class QLabel;
class QPlainTextEdit;
class QProgressBar;

class CAmbrelo2Dlg : public QDialog, public JobContext {
    Q_OBJECT
public:
    // Control identifiers of template 102.
    enum : int {
        kChoose = 1000, kReverse = 1002, kProgress = 1003, kStep = 1004, kCancel = 1005, kPreview = 1006,
        kLog = 1007, kOptions = 1008, kWebLink = 1009, kDonate = 1010, kFilePath = 1011, kInfo = 1012,
        kFacebook = 1013, kThanks = 1014, kGooglePlus = 1015,
    };
    static constexpr int kPanelStep = 100;        // pixels the window grows or shrinks with the log panel
    static constexpr int kCloseRetryMs = 250;     // period of the close retry while a job runs

    explicit CAmbrelo2Dlg(QWidget* parent = nullptr);
    ~CAmbrelo2Dlg() override;

    QWidget* Item(int id) const { return m_controls.Item(id); }
    CHandButton* Button(int id) const;

    // A file to probe once the window shows, as if it had been dropped.
    void OpenAtStart(const QString& path) { m_strStartFile = path; }

    // Handlers.
    void OnChooseVideo();
    void OnDropFiles(const QStringList& paths);
    void OnReverseVideo();
    void OnCancelJob();
    void OnOptions();
    void OnAbout();

    void ApplyLanguageTexts();
    void ShowDebugPanel(int show);

    // Job context.
    void SetProgressRange(int max) override;
    void SetProgressPos(int pos) override;
    void SetStepText(const std::string& text) override;
    void LoadFromFile(const std::string& path) override;
    void LoadFromMemory(const void* data, std::size_t size) override;
    void ShowMessage(const std::string& text, const std::string& title, int style) override;
    void SetBusyState(bool busy) override;

    // Window state.
    int m_bDebugPanelShown = 1;
    int m_bFooterCaptured = 0;
    QString m_strFilePath;  // shown by the path label
    QString m_strInfo;      // shown by the information label

public slots:
    void accept() override;  // Enter: the same as reject()
    void reject() override;  // Escape, the close box: the close rule

protected:
    void OnLogAppended(const std::string& text) override;
    void OnLogCleared() override;

    void setVisible(bool visible) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void OnInitDialog();
    void OnFirstShow();
    void ProbeChosenInput();
    void UpdateLabels();
    void SetButton(int id, bool enabled, int picture);
    void FinishedWorker();
    // Runs f on the user-interface thread and returns when it has run.
    template <typename F>
    void OnUiThread(F&& f);

    DialogControls m_controls;
    CHandButton* m_btnChoose = nullptr;
    CHandButton* m_btnOptions = nullptr;
    CHandButton* m_btnReverse = nullptr;
    CHandButton* m_btnCancel = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_step = nullptr;
    CImageStatic* m_preview = nullptr;
    QLabel* m_filePath = nullptr;
    QLabel* m_info = nullptr;
    QPlainTextEdit* m_log = nullptr;
    CHyperLink* m_webLink = nullptr;
    CImageStatic* m_donate = nullptr;
    CImageStatic* m_facebook = nullptr;
    CImageStatic* m_googlePlus = nullptr;
    QLabel* m_thanks = nullptr;

    std::optional<QCursor> m_hHandCursor;
    std::array<QPixmap, 8> m_pictures;   // bitmaps 141 .. 148
    std::array<QRect, 5> m_footerRects;  // thanks, Facebook, Google+, web link, donation
    std::array<QWidget*, 5> m_footer{};  // the same controls
    bool m_bInitDone = false;
    QString m_strStartFile;
    QTimer m_closeTimer;                 // the close retry while a job runs
    std::thread m_worker;
    std::atomic<int> m_nLastPos{-1};     // last progress position sent to the bar
};
