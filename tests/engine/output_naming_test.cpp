// Proposed output names and the refusal of outputs that would destroy the input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "engine/output_naming.h"
#include "tests/common/media.h"

TEST(OutputNaming, ProposalByFormat) {
    const struct {
        const char* input;
        int format;
        int replaceMts;
        const char* ext;
        const char* name;
        const char* firstPattern;
    } cases[] = {
        {"/v/holiday.MTS", 1, 1, "mov", "/v/holiday.MTS.rev.mov", "*.mov"},
        {"/v/holiday.MTS", 1, 0, "mts", "/v/holiday.MTS.rev.mts", "*.mts"},
        {"/v/holiday.mTs", 1, 1, "mov", "/v/holiday.mTs.rev.mov", "*.mov"},
        {"/v/holiday.mp4", 0, 1, "avi", "/v/holiday.mp4.rev.avi", "*.avi"},
        {"/v/holiday.mp4", 1, 1, "mp4", "/v/holiday.mp4.rev.mp4", "*.mp4"},
        {"/v/holiday.mp4", 2, 1, "wmv", "/v/holiday.mp4.rev.wmv", "*.wmv"},
        {"/v/holiday.mp4", 3, 1, "mp4", "/v/holiday.mp4.rev.mp4", "*.mp4"},
        // The only "." is in a folder name: the extension is the rest of the path.
        {"/v/my.clips/holiday", 1, 1, "clips/holiday", "/v/my.clips/holiday.rev.clips/holiday", "*.clips/holiday"},
        {"/v/holiday", 1, 1, "", "/v/holiday.rev", "*.*"},
        {"/v/holiday.mp4", 7, 1, "", "", nullptr},
    };
    for (const auto& c : cases) {
        const OutputProposal p = ProposeOutput(c.input, c.format, c.replaceMts, 0);
        EXPECT_EQ(p.defaultExtension, c.ext) << c.input << " format " << c.format;
        EXPECT_EQ(p.proposedName, c.name) << c.input << " format " << c.format;
        if (c.firstPattern) {
            ASSERT_FALSE(p.filters.empty());
            EXPECT_EQ(p.filters.front().pattern, c.firstPattern);
            EXPECT_EQ(p.filters.back().pattern, "*.*");
        } else {
            EXPECT_TRUE(p.filters.empty());
        }
    }
}

TEST(OutputNaming, FilterDescriptionsFollowLanguage) {
    EXPECT_EQ(ProposeOutput("/v/a.mp4", 0, 1, 0).filters[0].description, "avi files");
    EXPECT_EQ(ProposeOutput("/v/a.mp4", 0, 1, 1).filters[0].description, "fichiers avi");
    EXPECT_EQ(ProposeOutput("/v/a.mp4", 3, 1, 3).filters[1].description, "todos los archivos");
}

TEST(OutputNaming, RefusesInputItselfAndTemporaryFiles) {
    testmedia::TempDir dir;
    const std::string input = dir.File("clip.mp4");
    std::ofstream(input) << "x";
    ASSERT_EQ(::link(input.c_str(), dir.File("hard.mp4").c_str()), 0);
    TempFileSet temps;
    temps.mjpeg = dir.File("tmpAMB2.avi");
    temps.reversed = dir.File("tmpAMB2Rev.avi");

    EXPECT_EQ(CheckOutputPath(input, input, temps), OutputConflict::SameAsInput);
    EXPECT_EQ(CheckOutputPath(input, dir.path() + "/./sub/../clip.mp4", temps), OutputConflict::SameAsInput);
    EXPECT_EQ(CheckOutputPath(input, dir.File("hard.mp4"), temps), OutputConflict::SameAsInput);
    EXPECT_EQ(CheckOutputPath(input, dir.File("tmpAMB2Rev.avi"), temps), OutputConflict::TemporaryFile);
    EXPECT_EQ(CheckOutputPath(input, dir.File("clip.mp4.rev.avi"), temps), OutputConflict::None);
    EXPECT_NE(std::string(OutputConflictMessage(OutputConflict::SameAsInput, 0)), "");
}
