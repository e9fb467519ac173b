// The job context of the command-line front-end: log lines on standard output
// exactly as the log panel shows them (with "\n" line ends), messages on
// standard error, and a one-line progress display on standard error when it
// is a terminal.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

#include "engine/job_context.h"

class ConsoleContext : public JobContext {
public:
    ConsoleContext(bool showProgress, std::FILE* out = stdout, std::FILE* err = stderr);

    void SetProgressRange(int max) override;
    void SetProgressPos(int pos) override;
    void SetStepText(const std::string& text) override;
    void LoadFromFile(const std::string&) override {}
    void LoadFromMemory(const void*, std::size_t) override {}
    void ShowMessage(const std::string& text, const std::string& title, int style) override;
    void SetBusyState(bool) override {}

    // Ends the progress line so that what follows starts on a fresh line.
    void EndProgressLine();

protected:
    void OnLogAppended(const std::string& text) override;

private:
    void DrawProgress();

    std::mutex mutex_;
    const bool showProgress_;
    std::FILE* out_;
    std::FILE* err_;
    std::string step_;
    int max_ = 0;
    int pos_ = 0;
    bool lineOpen_ = false;
    std::chrono::steady_clock::time_point stepStart_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastDraw_{};
};
