#include "tests/common/recording_context.h"

std::vector<long long> RecordingContext::Values(RecordedCall::Kind kind) const {
    std::vector<long long> out;
    for (const auto& c : Calls())
        if (c.kind == kind) out.push_back(c.value);
    return out;
}

std::vector<std::string> RecordingContext::Texts(RecordedCall::Kind kind) const {
    std::vector<std::string> out;
    for (const auto& c : Calls())
        if (c.kind == kind) out.push_back(c.text);
    return out;
}

std::vector<std::string> RecordingContext::LogLines() const {
    std::vector<std::string> out;
    const std::string log = m_strLog;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find("\r\n", start);
        end = (end == std::string::npos) ? log.size() : end + 2;
        out.push_back(log.substr(start, end - start));
        start = end;
    }
    return out;
}
