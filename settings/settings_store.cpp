#include "settings/settings_store.h"

#include <QSettings>
#include <QString>

namespace settings {

const char* const kLanguage = "界面语言";
const char* const kSoundOption = "SoundOption";
const char* const kOutputFormat = "OutputFormat";
const char* const kBitrate = "bitrate";
const char* const kFastComputation = "FastComputation";
const char* const kBitrateSameAsInput = "BitrateSameAsInput";
const char* const kReplaceH264 = "ReplaceH264";
const char* const kShowDebug = "ShowDebug";
const char* const kReplaceMTS = "ReplaceMTS";

namespace {
// Both programs use the window program's name, so that they share one store.
QSettings Store() { return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                                     QStringLiteral("Quillon Software"), QStringLiteral("ambrelo")); }

QString Key(const char* name) { return QStringLiteral("Settings/") + QString::fromUtf8(name); }
}  // namespace

int ReadInt(const char* name, int def) {
    const QVariant v = Store().value(Key(name));
    if (!v.isValid()) return def;
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok || n < INT32_MIN || n > INT32_MAX) return def;
    return static_cast<int>(n);
}

void WriteInt(const char* name, int value) {
    QSettings s = Store();
    s.setValue(Key(name), value);
    s.sync();
}

void ReadJobSettings(AppSettings& s) {
    s.SoundOption = ReadInt(kSoundOption, 1);
    s.OutputFormat = ReadInt(kOutputFormat, 0);
    s.bitrate = ReadInt(kBitrate, 24000);
    s.FastComputation = ReadInt(kFastComputation, 1);
    s.BitrateSameAsInput = ReadInt(kBitrateSameAsInput, 1);
    s.ReplaceH264 = ReadInt(kReplaceH264, 0);
    s.ReplaceMTS = ReadInt(kReplaceMTS, 1);
}

}  // namespace settings
