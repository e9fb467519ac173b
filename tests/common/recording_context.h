// A job context for tests: keeps every channel call in order and can raise the
// cancel flag when a chosen call is made.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/job_context.h"

struct RecordedCall {
    enum Kind { Range, Pos, Step, Log, File, Memory, Message, Busy } kind;
    long long value = 0;   // range, position, byte count, style, busy flag
    std::string text;      // step label, log text, path, message text
    std::string title;     // message title

    bool operator==(const RecordedCall&) const = default;
};

class RecordingContext : public JobContext {
public:
    void SetProgressRange(int max) override { Record({RecordedCall::Range, max, {}, {}}); }
    void SetProgressPos(int pos) override { Record({RecordedCall::Pos, pos, {}, {}}); }
    void SetStepText(const std::string& t) override { Record({RecordedCall::Step, 0, t, {}}); }
    void LoadFromFile(const std::string& p) override { Record({RecordedCall::File, 0, p, {}}); }
    void LoadFromMemory(const void* data, std::size_t size) override {
        Record({RecordedCall::Memory, static_cast<long long>(size), {}, {}});
        if (data && size && onMemory) onMemory(data, size);
    }
    void ShowMessage(const std::string& text, const std::string& title, int style) override {
        Record({RecordedCall::Message, style, text, title});
    }
    void SetBusyState(bool busy) override { Record({RecordedCall::Busy, busy ? 1 : 0, {}, {}}); }

    // Raises m_bCancel when a call matching the predicate is recorded (after recording it).
    std::function<bool(const RecordedCall&)> cancelWhen;
    // Sees every compressed preview handed to LoadFromMemory.
    std::function<void(const void*, std::size_t)> onMemory;

    std::vector<RecordedCall> Calls() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }
    // Values of every call of one kind, in order.
    std::vector<long long> Values(RecordedCall::Kind kind) const;
    std::vector<std::string> Texts(RecordedCall::Kind kind) const;
    // The log split into lines, each keeping its "\r\n".
    std::vector<std::string> LogLines() const;

protected:
    void OnLogAppended(const std::string& t) override { Record({RecordedCall::Log, 0, t, {}}); }

private:
    void Record(RecordedCall call) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            calls_.push_back(call);
        }
        if (cancelWhen && cancelWhen(call)) m_bCancel = 1;
    }
    mutable std::mutex mutex_;
    std::vector<RecordedCall> calls_;
};
