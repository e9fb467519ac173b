// The five temporary files of a job. They live in a private per-user folder
// (mode 0700) under the system's temporary folder, never in the shared folder
// itself, where another user could plant links under the fixed names.
#pragma once

#include <memory>
#include <string>

struct TempFileSet {
    std::string folder;       // ends with '/'
    std::string mjpeg;        // tmpAMB2.avi         intermediate Motion-JPEG file
    std::string preview;      // tmpAMB2Img.bmp      preview picture
    std::string reversed;     // tmpAMB2Rev.avi      reversed video
    std::string audio;        // tmpAMB2Audio.wav    extracted sound
    std::string audioRev;     // tmpAMB2AudioRev.wav reversed sound

    // Set by ClaimTempFileSet: keeps other jobs out of the folder while held.
    std::shared_ptr<int> claim;
    bool ownFolder = false;   // a folder made for this job alone, removed with the files

    // Deletes the five files (and a folder made for this job alone); a missing
    // file is no error.
    void RemoveAll() const;
    // True when path names one of the five files (same folder and name).
    bool Contains(const std::string& path) const;
};

// The private temporary folder of this user: $TMPDIR (or /tmp) followed by
// "ambrelo-<uid>/". Creates it with mode 0700 when missing, and refuses (returns
// "") a folder that is not a real directory owned by this user with mode 0700.
std::string PrivateTempFolder();

// The file set in PrivateTempFolder(), for checking paths against it. When
// that folder is refused, a fresh folder made with mkdtemp (mode 0700) serves
// instead; every path is empty only when no folder at all can be made.
TempFileSet MakeTempFileSet();

// The file set a job writes: PrivateTempFolder() claimed for this job alone,
// or, while another job holds it (a second window or terminal), a fresh
// private folder of its own. Two jobs never share the fixed names.
TempFileSet ClaimTempFileSet();
