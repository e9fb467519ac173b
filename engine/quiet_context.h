// A job context that drops everything it is told: for tools and fuzz targets
// that run engine operations without anyone watching.
#pragma once

#include <string>

#include "engine/job_context.h"

class QuietContext : public JobContext {
public:
    void SetProgressRange(int) override {}
    void SetProgressPos(int) override {}
    void SetStepText(const std::string&) override {}
    void LoadFromFile(const std::string&) override {}
    void LoadFromMemory(const void*, std::size_t) override {}
    void ShowMessage(const std::string&, const std::string&, int) override {}
    void SetBusyState(bool) override {}

protected:
    void OnLogAppended(const std::string&) override {}
};
