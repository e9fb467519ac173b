// The output file a job proposes for an input, and the check that refuses an
// output that would destroy the input or a file the job itself uses.
#pragma once

#include <string>
#include <vector>

#include "engine/temp_files.h"

struct FileFilter {
    std::string description;  // "avi files", "all files", ...
    std::string pattern;      // "*.avi", "*.*"
};

struct OutputProposal {
    std::string defaultExtension;       // "avi", "mov", "" ...
    std::string proposedName;           // the input path + ".rev." + extension
    std::vector<FileFilter> filters;    // first the format's own, then all files
};

// Proposal for output format 0 (Motion-JPEG AVI), 1 (same as input), 2 (WMV)
// or 3 (MP4); any other format gives an empty proposal. For format 1 the
// extension is the text after the last "." of the input path, lower-cased, and
// "mts" becomes "mov" when replaceMts is non-zero.
OutputProposal ProposeOutput(const std::string& inputPath, int outputFormat, int replaceMts, int language);

enum class OutputConflict { None, SameAsInput, TemporaryFile };

// Whether writing `output` would overwrite the input (same path or the same
// file through another name) or one of the job's temporary files.
OutputConflict CheckOutputPath(const std::string& input, const std::string& output, const TempFileSet& temps);

// The message for a refused output, in the given language.
const char* OutputConflictMessage(OutputConflict conflict, int language);
