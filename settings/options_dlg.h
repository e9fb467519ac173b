// COptionsDlg: the modal options dialog (template 103). It reads every stored
// setting when constructed, shows them with the label set of the stored
// language, relabels itself when another language is clicked, enables only
// the controls that matter for the chosen output format, offers three
// bit-rate presets, checks the bit rate for the WMV and MP4 outputs, and
// writes the settings on OK. Cancel (Escape, the close box) writes nothing.
//
// exec() returns QDialog::Accepted after OK, QDialog::Rejected otherwise.
#pragma once

#include <QDialog>

#include "controls/dialog_template.h"

class COptionsDlg : public QDialog {
    Q_OBJECT
public:
    // Control identifiers of template 103.
    enum : int {
        IDOK = 1, IDCANCEL = 2,
        kLangDefault = 1012, kLangFrench = 1013, kLangItalian = 1032, kLangSpanish = 1033,
        kSoundRemove = 1016, kSoundReverse = 1017, kSoundSeparate = 1018, kSoundKeep = 1031,
        kFormatAvi = 1020, kFormatSame = 1021, kFormatWmv = 1022, kFormatMp4 = 1030,
        kBitrateEdit = 1024, kBitrateUnit = 1028,
        kPresetFullHdHigh = 1025, kPresetFullHdStd = 1026, kPreset720p = 1027,
        kSlow = 1035, kFast = 1036,
        kSameBitrate = 1037, kReplaceH264 = 1039, kShowDebug = 1040, kReplaceMts = 1041,
    };

    explicit COptionsDlg(QWidget* parent = nullptr);

    // The control with that identifier (nullptr when none).
    QWidget* Item(int id) const { return m_controls.Item(id); }

    // Texts of every control from the label set of a language index.
    void ApplyLabelSet(int language);
    // Enables the controls that matter for m_nOutputFormat and m_bBitrateSameAsInput.
    void UpdateEnabling();
    // Controls to members. A bit-rate text that is not an unsigned integer
    // shows "Enter a positive integer.", puts the focus on the box, leaves the
    // check boxes' members as they were and returns false.
    bool SaveControls();
    // Members to controls.
    void LoadControls();

    // The members, named after the stored values.
    int m_nLanguage = 0;
    int m_nSoundOption = 1;
    int m_nOutputFormat = 0;
    unsigned m_nBitrate = 24000;
    int m_nFastComputation = 1;
    int m_bBitrateSameAsInput = 1;
    int m_bReplaceH264 = 0;
    int m_bShowDebug = 0;
    int m_bReplaceMTS = 1;

protected:
    void accept() override;  // OK and Enter: validate, store, close

private:
    void OnPreset(unsigned kbps);
    void OnFormatOrSameBitrate();

    DialogControls m_controls;
    int m_nLabelSet = 0;  // language of the texts on screen
};
