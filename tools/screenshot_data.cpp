// Writes a program folder's data files with a few sample accounts, for the README's screenshots:
//   screenshot_data FOLDER          accounts, no login: the program opens its main window
//   screenshot_data FOLDER login    the same accounts behind a login: the program opens the login dialog
#include "SilentPlatform.h"
#include "app/AppState.h"
#include "app/Login.h"
#include "app/files/AccountFile.h"
#include "app/files/AccountRecord.h"
#include "app/files/OptionsFile.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Sample
{
    const char* name;
    const char* website;
    const char* notes;
    const char* userId;
    const char* password;
};

// Websites stay empty so that a lookup opens no browser while the screenshots are taken.
constexpr Sample kSamples[] = {
    {"Bank", "", "Card ending 4711", "jdoe", "c0rrect-h0rse"},
    {"Ärztekammer", "", "Member number 2231", "j.doe@example.org", "Tr0ub4dor&3"},
    {"mail", "", "Work mail", "jane.doe", "staple-battery"},
    {"Zoo shop", "", "Season ticket 2027\r\nGate B\r\nGroup: Family", "jane", "l1on-k1ng"},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "login") != 0)) {
        std::fprintf(stderr, "usage: screenshot_data FOLDER [login]\n");
        return 2;
    }
    AgreeingPlatform desktop;
    AppState state(argv[1], desktop);
    Login login;
    if (argc == 3) {
        login.LoginUserName = "jane";
        login.LoginPassword1 = "secret";
        login.LoginPassword2 = "1234";
    }
    if (!WriteOptionsFile(state.programFolder, OptionsRecord::defaults()).isOk()) {
        std::fprintf(stderr, "cannot write the options file in %s\n", argv[1]);
        return 1;
    }
    AccountTable table{MakeHeaderRecord(login.LoginUserName, login.LoginPassword1, login.LoginPassword2)};
    for (const Sample& s : kSamples) {
        AccountRecord r;
        r.RecordNo = static_cast<std::int16_t>(table.size());
        r.AccountName = s.name;
        r.Website = s.website;
        r.Notes = s.notes;
        r.UserId = s.userId;
        r.Password = s.password;
        table.push_back(r);
    }
    const Result saved = SaveAccountFile(state, login, table);
    if (!saved.isOk()) {
        std::fprintf(stderr, "cannot store the sample accounts: %s\n", saved.message().c_str());
        return 1;
    }
    return 0;
}
