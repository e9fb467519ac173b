// Opening a web address with the desktop, and reporting a failed open.
// Shared by the hyperlink label and the picture control.
#pragma once

#include <functional>

#include <QString>

// Codes above 32 mean success; 32 or less are the error codes below.
enum : int {
    kOpenOk = 33,
    kOpenFileNotFound = 2,       // the registered handler could not be started
    kOpenNoAssociation = 31,     // the desktop could not open the address
};

// The command line may hold the handler's command, a space and the address
// up to this length; a longer one is not run.
constexpr int kMaxOpenCommand = 520;

// Opens address (a full address, or host and path without a scheme) with the
// desktop's opener. When that fails, runs the desktop's registered HTML
// handler: its command cut at its placeholder, a space, the address. Returns
// kOpenOk, the handler's failure code, or the desktop's code when no handler
// can be found.
int OpenWebAddress(const QString& address);

// The handler's command cut at its first quoted placeholder ("%1", or a
// desktop field code "%u" "%U" "%f" "%F" in double quotes), else at its first
// unquoted placeholder, else the whole command; then a space and the address.
// An empty result when the whole line would exceed kMaxOpenCommand.
QString BuildHandlerCommand(const QString& command, const QString& address);

// The error box text for a code: "impossible d'ouvrir le lien:\n\n" and the
// text of the code.
QString OpenErrorText(int code);
// Shows OpenErrorText(code) in a box with the exclamation icon, captioned
// with the application's name.
void ShowOpenError(int code);

// Tests replace the opening itself; an empty hook restores it.
void SetWebOpenHook(std::function<int(const QString& address)> hook);
