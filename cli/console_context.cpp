#include "cli/console_context.h"

namespace {
// The log keeps "\r\n" line ends; a terminal wants "\n".
std::string UnixLineEnds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}
}  // namespace

ConsoleContext::ConsoleContext(bool showProgress, std::FILE* out, std::FILE* err)
    : showProgress_(showProgress), out_(out), err_(err) {}

void ConsoleContext::SetProgressRange(int max) {
    std::lock_guard<std::mutex> lock(mutex_);
    max_ = max;
    stepStart_ = std::chrono::steady_clock::now();
}

void ConsoleContext::SetProgressPos(int pos) {
    std::lock_guard<std::mutex> lock(mutex_);
    pos_ = pos;
    if (!showProgress_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDraw_ < std::chrono::milliseconds(100)) return;
    lastDraw_ = now;
    DrawProgress();
}

void ConsoleContext::SetStepText(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    step_ = text;
    if (showProgress_ && !text.empty()) DrawProgress();
}

void ConsoleContext::DrawProgress() {
    if (step_.empty()) return;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - stepStart_).count();
    const int percent = max_ > 0 ? static_cast<int>(100.0 * pos_ / max_) : 0;
    const double rate = seconds > 0 ? pos_ / seconds : 0.0;
    std::fprintf(err_, "\r\033[K%s  %3d%%  (%.1f/s)", step_.c_str(), percent < 0 ? 0 : percent > 100 ? 100 : percent,
                 rate);
    std::fflush(err_);
    lineOpen_ = true;
}

void ConsoleContext::EndProgressLine() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (lineOpen_) {
        std::fputs("\r\033[K", err_);
        std::fflush(err_);
        lineOpen_ = false;
    }
}

void ConsoleContext::ShowMessage(const std::string& text, const std::string& title, int) {
    EndProgressLine();
    std::lock_guard<std::mutex> lock(mutex_);
    std::fprintf(err_, "%s: %s\n", title.c_str(), UnixLineEnds(text).c_str());
    std::fflush(err_);
}

void ConsoleContext::OnLogAppended(const std::string& text) {
    EndProgressLine();
    std::lock_guard<std::mutex> lock(mutex_);
    std::fputs(UnixLineEnds(text).c_str(), out_);
    std::fflush(out_);
}
