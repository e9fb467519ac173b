// Copies a file in blocks of 1024 bytes with progress in KiB.
#pragma once

#include <string>

#include "engine/job_context.h"

// Progress range: source length / 1024; position after every block: bytes
// copied / 1024. The cancel flag, read after every block, stops the copy with
// true (the destination holds the blocks copied so far). On any failure (a
// file that cannot be opened, a read or write error) the destination is
// deleted and the result is false.
bool CopyFileWithProgress(JobContext& ctx, const std::string& sourcePath, const std::string& destPath);
