// The job context: the one channel through which a reversal job reports to
// the user and reads the user's cancel request. The main window, the
// command-line front-end and the tests each implement it.
//
// All operations are called from the worker thread during a job (and from the
// user-interface thread by the probe). Each call returns once the front-end
// has handled it; message boxes return once the user has closed them.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

#include "engine/app_settings.h"

// Message box styles.
enum : int { kMbOk = 0x00, kMbIconError = 0x10 };

class JobContext {
public:
    virtual ~JobContext() = default;

    // Progress bar: range 0 .. max, then positions inside it.
    virtual void SetProgressRange(int max) = 0;
    virtual void SetProgressPos(int pos) = 0;

    // The one-line step label ("Step 2 : Reversing the video", "" or "Canceled...").
    virtual void SetStepText(const std::string& text) = 0;

    // Appends text to m_strLog unchanged (the caller supplies the "\r\n" line
    // ends), then lets the front-end show it.
    void AppendLog(const std::string& text) {
        m_strLog += text;
        OnLogAppended(text);
    }
    // Empties the log (the probe does this before its report).
    void ClearLog() {
        m_strLog.clear();
        OnLogCleared();
    }

    // Preview picture: a picture file, or compressed picture bytes in memory.
    // LoadFromMemory(nullptr, 0) clears the preview.
    virtual void LoadFromFile(const std::string& path) = 0;
    virtual void LoadFromMemory(const void* data, std::size_t size) = 0;

    // A message box owned by the main window; returns when it is closed.
    virtual void ShowMessage(const std::string& text, const std::string& title, int style) = 0;

    // Busy state: choose, reverse and Options disabled, Cancel enabled,
    // dropped files refused (true); the reverse (false).
    virtual void SetBusyState(bool busy) = 0;

    int Language() const { return m_settings.Language; }
    bool Cancelled() const { return m_bCancel.load() != 0; }

    // Shared between the job and the front-end.
    std::atomic<int> m_bCancel{0};   // non-zero: stop as soon as possible
    std::atomic<int> m_bBusy{0};     // 1 while the worker runs
    std::string m_strInputPath;
    std::string m_strOutputPath;
    std::string m_strLog;
    int m_bHasAudio = 0;
    double m_dDuration = 0.0;        // seconds, set by the probe
    AppSettings m_settings;          // snapshot taken when the job starts
    int m_nError = 0;                // code of the last fatal error reported (0: none)

protected:
    virtual void OnLogAppended(const std::string& text) = 0;
    virtual void OnLogCleared() {}
};
