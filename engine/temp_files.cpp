#include "engine/temp_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

static std::string TempRoot();

std::string PrivateTempFolder() {
    const std::string folder = TempRoot() + "ambrelo-" + std::to_string(::getuid());

    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return "";
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return "";
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return "";
    if ((st.st_mode & 0777) != 0700) return "";
    return folder + "/";
}

static std::string TempRoot() {
    const char* base = std::getenv("TMPDIR");
    std::string root = (base && *base) ? base : "/tmp";
    if (root.back() != '/') root += '/';
    return root;
}

TempFileSet MakeTempFileSet() {
    TempFileSet t;
    t.folder = PrivateTempFolder();
    if (t.folder.empty()) {
        std::string tmpl = TempRoot() + "ambrelo-XXXXXX";
        if (!::mkdtemp(tmpl.data())) return t;
        t.folder = tmpl + "/";
    }
    t.mjpeg = t.folder + "tmpAMB2.avi";
    t.preview = t.folder + "tmpAMB2Img.bmp";
    t.reversed = t.folder + "tmpAMB2Rev.avi";
    t.audio = t.folder + "tmpAMB2Audio.wav";
    t.audioRev = t.folder + "tmpAMB2AudioRev.wav";
    return t;
}

void TempFileSet::RemoveAll() const {
    for (const std::string* p : {&mjpeg, &preview, &audio, &reversed, &audioRev})
        if (!p->empty()) std::remove(p->c_str());
}

bool TempFileSet::Contains(const std::string& path) const {
    std::error_code ec;
    const auto target = std::filesystem::weakly_canonical(path, ec);
    if (ec) return false;
    for (const std::string* p : {&mjpeg, &preview, &reversed, &audio, &audioRev}) {
        if (p->empty()) continue;
        const auto own = std::filesystem::weakly_canonical(*p, ec);
        if (!ec && own == target) return true;
    }
    return false;
}
