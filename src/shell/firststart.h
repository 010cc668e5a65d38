#pragma once
// What an installed program does before the entry sequence: it makes its per-user settings
// folder, and on the first start, when there is no register yet, offers to create an empty one
// or the demo (made by the qintara-db tool installed beside the program). The build tree keeps
// its behaviour: nothing happens there.
#include <QString>

class FirstStart {
public:
    // False when the program is to end: the offer was declined or the register could not be
    // made (the user has been told why).
    static bool prepare();

private:
    static bool offerRegister(const QString& path);
    // Runs "qintara-db <command> <path>"; an empty result means success, else why it failed.
    static QString createRegister(const QString& command, const QString& path);
};
