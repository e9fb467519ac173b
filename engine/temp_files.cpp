#include "engine/temp_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {
// $TMPDIR, or /tmp, with a final '/'.
std::string TempRoot() {
    const char* base = std::getenv("TMPDIR");
    std::string root = (base && *base) ? base : "/tmp";
    if (root.back() != '/') root += '/';
    return root;
}
}  // namespace

std::string PrivateTempFolder() {
    const std::string folder = TempRoot() + "ambrelo-" + std::to_string(::getuid());

    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return "";
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return "";
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return "";
    if ((st.st_mode & 0777) != 0700) return "";
    return folder + "/";
}

namespace {

TempFileSet FileSetIn(const std::string& folder) {
    TempFileSet t;
    t.folder = folder;
    t.mjpeg = folder + "tmpAMB2.avi";
    t.preview = folder + "tmpAMB2Img.bmp";
    t.reversed = folder + "tmpAMB2Rev.avi";
    t.audio = folder + "tmpAMB2Audio.wav";
    t.audioRev = folder + "tmpAMB2AudioRev.wav";
    return t;
}

std::string FreshPrivateFolder() {
    std::string tmpl = TempRoot() + "ambrelo-" + std::to_string(::getuid()) + "-XXXXXX";
    if (!::mkdtemp(tmpl.data())) return "";
    return tmpl + "/";
}

// An exclusive lock on the folder itself, held until the last copy of the
// result is gone; null when another job holds it.
std::shared_ptr<int> LockFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::shared_ptr<int>(new int(fd), [](int* p) {
        ::close(*p);
        delete p;
    });
}

}  // namespace

TempFileSet MakeTempFileSet() {
    std::string folder = PrivateTempFolder();
    if (folder.empty()) folder = FreshPrivateFolder();
    return folder.empty() ? TempFileSet{} : FileSetIn(folder);
}

TempFileSet ClaimTempFileSet() {
    const std::string shared = PrivateTempFolder();
    if (!shared.empty()) {
        if (auto claim = LockFolder(shared)) {
            TempFileSet t = FileSetIn(shared);
            t.claim = std::move(claim);
            return t;
        }
    }
    const std::string own = FreshPrivateFolder();
    if (own.empty()) return {};
    TempFileSet t = FileSetIn(own);
    t.ownFolder = true;
    return t;
}

void TempFileSet::RemoveAll() const {
    for (const std::string* p : {&mjpeg, &preview, &audio, &reversed, &audioRev})
        if (!p->empty()) std::remove(p->c_str());
    if (ownFolder && !folder.empty()) ::rmdir(folder.c_str());
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
